#pragma once

#include "platform/FileServices.h"
#include "window/ProgressPort.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kelvanter {

// What every long run does around its work, alike for a destruction and a fill: the two times from
// zero with their timer, the hourglass, and requests to end the program held back until the work
// may be left; afterwards the normal pointer, the timer off, and the estimate the elapsed time.
// The words of an error that escaped the work, which the caller shows once the window is usable.
std::optional<std::string> runFramed(ProgressPort& progress, ProcessServices& process, std::int32_t& lSeconds,
                                     const std::function<void()>& work);

} // namespace kelvanter
