#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvanter {

// Whole seconds as hh:mm:ss, each field at least two digits; hours keep counting past 99.
std::string FormatTime(std::int32_t t);

// The whole run's estimated duration: seconds ÷ done × total − 1, to the nearest integer
// (a half to even). Empty while nothing is done yet or when it would not fit 32 bits.
std::optional<std::int32_t> estimatedDuration(std::int32_t lSeconds, std::int64_t lBytesDone, std::int64_t lBytesTotal);

} // namespace kelvanter
