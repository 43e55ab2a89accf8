#pragma once

#include "core/RunReport.h"

#include <cstdint>
#include <string>

namespace kelvanter {

// Mouse pointer codes of the main window.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// Colours, 0x00BBGGRR.
inline constexpr std::uint32_t kBarColor = 49344;
inline constexpr std::uint32_t kEmptyBarColor = 16384;

// What the destruction core may do to the main window, and nothing more. The window layer
// implements it over each toolkit's window; the core tests use a recording fake.
class VeskDisplay {
public:
    virtual ~VeskDisplay() = default;

    virtual void setWindowEnabled(bool enabled) = 0;
    // index 0 is "normal", index 1 "intensiv".
    virtual bool isOptionSelected(int index) const = 0;
    virtual void setPercentCaption(const std::string& caption) = 0;
    virtual void setBarBackground(std::uint32_t lColor) = 0;
    virtual void setSuccessLabelVisible(bool visible) = 0;
    virtual void processEvents() = 0;
    virtual void setMousePointer(int code) = 0;
    // O_ShowProgressBar on the window's bar.
    virtual void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) = 0;
    // A modal box about the run, in the window's words; it returns when the user has read it.
    virtual void report(const RunReport& report) = 0;
};

} // namespace kelvanter
