#pragma once

#include "core/VeskDisplay.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "win32/PictureBox.h"
#include "win32/StdDialoge.h"
#include "win32/Win32Seams.h"
#include "win32/frmFreierSpeicher.h"
#include "window/VeskFlow.h"
#include "window/VeskPort.h"

#include <array>
#include <memory>
#include <string>
#include <windows.h>

namespace kelvanter::win32ui {

class frmKelvanterInfo;

// The main window in plain Win32: its controls, and the toolkit's side of the commands, whose
// flow is VeskFlow's. It is also where the core draws the bar (O_ShowProgressBar).
class frmVesk final : public VeskDisplay, public VeskPort {
public:
    frmVesk(HINSTANCE instance, MessageBoxSeam& boxes, FileDialogSeam& dialogs, FileServices& files, Clock& clock,
            FolderDialogSeam& folders = systemFolderDialogs());
    ~frmVesk() override;
    frmVesk(const frmVesk&) = delete;
    frmVesk& operator=(const frmVesk&) = delete;

    void show();
    // Hands one message to the window it is for, with the keyboard rules of dialogs (Tab, Enter).
    void dispatch(MSG& message);

    void O_ShowProgressBar(PictureBox* pPicBox, std::int32_t lValue, std::uint32_t lColor, double dMaxValue);

    void Command1_Click() { flow_.Command1_Click(); }
    void Command2_Click() { flow_.Command2_Click(); }
    void Command3_Click();
    void Command4_Click();
    void Timer1_Timer() { flow_.Timer1_Timer(); }

    VeskFlow& flow() { return flow_; }
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
    void setMousePointer(int code) override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;

    // VeskPort
    std::string pathBoxText() const override;
    void setPathText(const std::string& text) override;
    void setDestroyEnabled(bool enabled) override;
    void setTimerRunning(bool running) override;
    std::string elapsedCaption() const override;
    void setElapsedCaption(const std::string& text) override;
    void setEstimateCaption(const std::string& text) override;
    bool hasFreeSpaceWindow() const override { return true; }
    void openFreeSpaceWindow(const std::string& folder) override;
    frmFreierSpeicher* freeSpaceWindow() const { return freeSpaceWindow_.get(); }
    std::string ShowOpenDialog(const std::string& sTitle, std::string& sFolder, const std::string& sInitFile,
                               const std::string& sFilter, const std::string& sDefExt) override;

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
    static FolderDialogSeam& systemFolderDialogs();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void buildControls(HINSTANCE instance);
    void addToolTip(HWND control, const char* text);
    void onCommand(int id);
    void onDrop(HDROP drop);
    LRESULT colorFor(HWND control, HDC dc);
    void drawDestroyButton(const DRAWITEMSTRUCT& item);
    void paintFrame();
    void setCaption(HWND label, const std::string& caption);
    void fitToText(HWND label);
    std::string captionOf(HWND control) const;
    void Form_Unload();

    MessageBoxSeam& boxes_;
    StdDialoge dialoge_;
    FileServices& files_;
    Clock& clock_;
    FolderDialogSeam& folders_;
    std::unique_ptr<frmFreierSpeicher> freeSpaceWindow_;
    NoFileTraces noTraces_;
    VeskFlow flow_;
    std::unique_ptr<frmKelvanterInfo> infoWindow_;
    HWND toolTips_ = nullptr;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HFONT destroyFont_ = nullptr;
    HBRUSH black_ = nullptr;
    HBRUSH pathBackground_ = nullptr;
    HICON magnet_ = nullptr;
    bool timerRunning_ = false;
    bool waitPointer_ = false;
};

} // namespace kelvanter::win32ui
