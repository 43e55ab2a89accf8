#pragma once

#include <gtest/gtest.h>
#include <string>

namespace kelvanter::testing {

// What a window shows once a run is over, whichever toolkit drew it.
struct WindowState {
    bool enabled = false;
    bool normalPointer = false;
    bool timerRunning = true;
    std::string elapsed;
    std::string estimate;
    bool runInProgress = true;
};

// The window is usable again: enabled, normal pointer, timer stopped, both times equal, and no
// run holding it.
inline void expectWindowUsable(const WindowState& state) {
    EXPECT_TRUE(state.enabled);
    EXPECT_TRUE(state.normalPointer);
    EXPECT_FALSE(state.timerRunning);
    EXPECT_EQ(state.estimate, state.elapsed);
    EXPECT_FALSE(state.runInProgress);
}

} // namespace kelvanter::testing
