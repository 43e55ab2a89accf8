#pragma once

#include <cstdint>
#include <string>

namespace kelvanter {

// What every window that runs something long shows of it, alike in the main and the free-space
// window: the bar with its percent, the two times and their timer, the pointer, and its boxes.
// Each toolkit implements it once for both windows.
class ProgressPort {
public:
    virtual ~ProgressPort() = default;

    virtual void setPercentCaption(const std::string& caption) = 0; // Label1
    virtual void setBarBackground(std::uint32_t lColor) = 0;        // Picture1, erasing the bar
    // O_ShowProgressBar on Picture1.
    virtual void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) = 0;
    virtual void setTimerRunning(bool running) = 0; // Timer1, one tick a second
    virtual std::string elapsedCaption() const = 0; // Label4
    virtual void setElapsedCaption(const std::string& text) = 0;
    virtual void setEstimateCaption(const std::string& text) = 0; // Label5
    virtual void setMousePointer(int code) = 0;
    // Lets the windows repaint, tick and be clicked.
    virtual void processEvents() = 0;
    // A modal box owned by the window; the button pressed.
    virtual int messageBox(const std::string& text, int style, const std::string& title) = 0;
};

} // namespace kelvanter
