#pragma once

#include "platform/Clock.h"

#include <cstdint>

namespace kelvanter {

// The window is served at least this often during a run, so that it repaints, its clock ticks on
// time and the desktop does not take it for hung.
inline constexpr std::int64_t kServeEveryMicroseconds = 100'000;

// When the window is next due to be served during a long run: a quarter of the promise after the
// last serving, well before the next call could keep it waiting past kServeEveryMicroseconds (a
// throttled device holds some calls twice as long as the pace expects).
class ServingPace {
public:
    explicit ServingPace(Clock& clock) : clock_(clock), lastServed_(clock.monotonicMicroseconds()) {}

    bool due() const { return clock_.monotonicMicroseconds() - lastServed_ >= kServeEveryMicroseconds / 4; }
    // The window was served just now, whoever served it.
    void served() { lastServed_ = clock_.monotonicMicroseconds(); }

    // Serves the window through `serve` if it is due.
    template <typename Serve> void serveIfDue(Serve&& serve) {
        if (!due())
            return;
        serve();
        served();
    }

private:
    Clock& clock_;
    std::int64_t lastServed_;
};

} // namespace kelvanter
