#pragma once

#include <cstdint>
#include <string>

namespace kelvanter {

// The application's title: the main window's caption and the title of a box given none.
inline constexpr const char* kApplicationTitle = "Kelvanter";

// Mouse pointer codes of the main window.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// Message box styles and answers.
inline constexpr int kStyleOkOnly = 0;
inline constexpr int kStyleError = 16;
inline constexpr int kStyleQuestion = 36;
inline constexpr int kStyleWarning = 48;
// Yes and No with the warning icon, No the default button.
inline constexpr int kStyleWarningQuestion = 308;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Colours, 0x00BBGGRR.
inline constexpr std::uint32_t kBarColor = 49344;
inline constexpr std::uint32_t kEmptyBarColor = 16384;

// What the destruction core may do to the main window, and nothing more.
// frmVesk implements it; the core tests use a recording fake.
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
    virtual int messageBox(const std::string& text, int style, const std::string& title) = 0;
    virtual std::string executableName() const = 0;
    virtual void setMousePointer(int code) = 0;
    // O_ShowProgressBar on the window's bar.
    virtual void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) = 0;
};

} // namespace kelvanter
