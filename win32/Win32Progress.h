#pragma once

#include "win32/PictureBox.h"
#include "win32/Win32Seams.h"
#include "window/ControlTable.h"
#include "window/ProgressPort.h"

#include <memory>
#include <windows.h>

namespace kelvanter::win32ui {

// A run's progress in a Win32 window: the bar with its percent, the two times with their headings
// and their timer, made from the window's design, and the window's pointer and boxes.
class Win32Progress final : public ProgressPort {
public:
    static constexpr UINT_PTR kTimer1 = 1;

    Win32Progress(HWND window, MessageBoxSeam& boxes, const ProgressRowDesign& design, int firstId);
    ~Win32Progress() override;
    Win32Progress(const Win32Progress&) = delete;
    Win32Progress& operator=(const Win32Progress&) = delete;

    void setPercentCaption(const std::string& caption) override;
    void setBarBackground(std::uint32_t lColor) override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;
    void setTimerRunning(bool running) override;
    std::string elapsedCaption() const override;
    void setElapsedCaption(const std::string& text) override;
    void setEstimateCaption(const std::string& text) override;
    void setMousePointer(int code) override;
    void processEvents() override;
    int messageBox(const std::string& text, int style, const std::string& title) override;

    bool isTimerRunning() const { return timerRunning_; }
    bool isWaitPointer() const { return waitPointer_; }

    std::unique_ptr<PictureBox> Picture1;
    HWND Label1 = nullptr;
    HWND Label4 = nullptr;
    HWND Label5 = nullptr;
    HWND Label6 = nullptr;
    HWND Label7 = nullptr;

private:
    void setCaption(HWND label, const std::string& caption);
    int centreOfPercent() const;

    HWND window_;
    MessageBoxSeam& boxes_;
    const ProgressRowDesign design_;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    bool timerRunning_ = false;
    bool waitPointer_ = false;
};

// At WM_SETCURSOR: the hourglass over the window while its run asks for it; false where the
// window's own pointer should show.
bool showWaitPointer(const Win32Progress& progress);

} // namespace kelvanter::win32ui
