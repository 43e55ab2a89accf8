#pragma once

#include "core/QuietDisplay.h"
#include "platform/FileServices.h"

#include <cmath>
#include <cstdint>

namespace kelvanter::testing {

// A fill's progress that shows nothing: it counts the servings, keeps the last percent, and
// cancels when told to, or where `stops` has a request to end the program, as the window does.
class WatchedFill : public QuietDisplay {
public:
    bool cancel = false;
    int servings = 0;
    std::int32_t lastPercent = 0;
    ProcessServices* stops = nullptr;

    void serve() override { ++servings; }
    void advance(double fraction) override { lastPercent = static_cast<std::int32_t>(std::lround(fraction * 100)); }
    bool cancelAsked() override { return cancel || (stops != nullptr && stops->stopRequested()); }
};

} // namespace kelvanter::testing
