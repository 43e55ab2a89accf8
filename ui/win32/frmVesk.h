#pragma once

#include "ByteCounters.h"
#include "Clock.h"
#include "FileServices.h"
#include "PictureBox.h"
#include "StdDialoge.h"
#include "VeskDisplay.h"
#include "Win32Seams.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <windows.h>

namespace kelvanter::win32ui {

class frmKelvanterInfo;

// The main window in plain Win32: the controls, the destroy command, the bar and the times,
// over the same core and display interface as the Qt window.
class frmVesk final : public VeskDisplay {
public:
    frmVesk(HINSTANCE instance, MessageBoxSeam& boxes, FileDialogSeam& dialogs, FileServices& files, Clock& clock);
    ~frmVesk() override;
    frmVesk(const frmVesk&) = delete;
    frmVesk& operator=(const frmVesk&) = delete;

    void show();
    // Hands one message to the window it is for, with the keyboard rules of dialogs (Tab, Enter).
    void dispatch(MSG& message);

    void vesk(const std::string& sFileName);
    void O_ShowProgressBar(PictureBox* pPicBox, std::int32_t lValue, std::uint32_t lColor, double dMaxValue);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Timer1_Timer();
    // A file handed over at start, relative to the current folder: shown as if chosen in the dialog.
    void takeFileFromCommandLine(const std::wstring& path);

    bool isRunInProgress() const { return runInProgress_; }
    frmKelvanterInfo* infoWindow() const { return infoWindow_.get(); }
    bool isTimerRunning() const { return timerRunning_; }
    bool isWaitPointer() const { return waitPointer_; }

    // VeskDisplay
    void setWindowEnabled(bool enabled) override;
    bool isOptionSelected(int index) const override;
    void setPercentCaption(const std::string& caption) override;
    void setBarBackground(std::uint32_t lColor) override;
    void setSuccessLabelVisible(bool visible) override;
    void processEvents() override;
    int messageBox(const std::string& text, int style, const std::string& title) override;
    std::string executableName() const override;
    std::string applicationTitle() const override;
    void setMousePointer(int code) override;
    std::string pathText() const override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;

    std::int32_t lSeconds = 0;
    ByteCounters counters;

    HWND window = nullptr;
    HWND Fname = nullptr;
    HWND Command1 = nullptr;
    HWND Command2 = nullptr;
    HWND Command3 = nullptr;
    HWND Command4 = nullptr;
    std::unique_ptr<PictureBox> Picture1;
    HWND Label1 = nullptr;
    HWND Label2 = nullptr;
    HWND Label3 = nullptr;
    HWND Label4 = nullptr;
    HWND Label5 = nullptr;
    HWND Label6 = nullptr;
    HWND Label7 = nullptr;
    std::array<HWND, 2> Option1{};

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void buildControls(HINSTANCE instance);
    void addToolTip(HWND control, const wchar_t* text);
    void onCommand(int id);
    LRESULT colorFor(HWND control, HDC dc);
    void drawDestroyButton(const DRAWITEMSTRUCT& item);
    void paintFrame();
    void resetProgressDisplay();
    void showChosenFile(const std::wstring& path);
    bool askToRemoveWriteProtection();
    bool acceptOverwriteInDoubt(const FileIdentity& identity);
    void runConfirmed(const FileIdentity& identity);
    void reportFailure(const std::string& reason);
    void setCaption(HWND label, const std::string& caption);
    void fitToText(HWND label);
    std::string captionOf(HWND control) const;
    int box(const std::string& text, int style, const std::string& title);
    void Form_Unload();

    MessageBoxSeam& boxes_;
    FileServices& files_;
    Clock& clock_;
    StdDialoge dialoge_;
    std::unique_ptr<frmKelvanterInfo> infoWindow_;
    HWND toolTips_ = nullptr;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HFONT destroyFont_ = nullptr;
    HBRUSH black_ = nullptr;
    HBRUSH pathBackground_ = nullptr;
    HICON magnet_ = nullptr;
    bool runInProgress_ = false;
    bool timerRunning_ = false;
    bool waitPointer_ = false;
    std::optional<FileIdentity> confirmedFile_;
};

} // namespace kelvanter::win32ui
