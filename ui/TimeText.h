#pragma once

#include "TimeEstimate.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace kelvanter {

// Whole seconds as hh:mm:ss, each field at least two digits; hours keep counting past 99.
QString FormatTime(std::int32_t t);

} // namespace kelvanter
