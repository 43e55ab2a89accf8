#pragma once

#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "win32/StdDialoge.h"
#include "win32/TopLevelWindow.h"
#include "win32/Win32Progress.h"
#include "win32/Win32Seams.h"
#include "win32/frmFreierSpeicher.h"
#include "window/FreeSpaceFlow.h"
#include "window/VeskFlow.h"
#include "window/VeskPort.h"

#include <array>
#include <memory>
#include <string>
#include <windows.h>

namespace kelvanter::win32ui {

class frmKelvanterInfo;

// The main window in plain Win32: its controls, and the toolkit's side of the commands, whose
// flow is VeskFlow's. It is also where the bar is drawn (O_ShowProgressBar).
class frmVesk final : public VeskPort {
public:
    frmVesk(HINSTANCE instance, MessageBoxSeam& boxes, FileDialogSeam& dialogs, DestructionServices& files,
            FillServices& fill, ProcessServices& process, Clock& clock,
            FolderDialogSeam& folders = systemFolderDialogs());
    ~frmVesk() override;
    frmVesk(const frmVesk&) = delete;
    frmVesk& operator=(const frmVesk&) = delete;

    void show();
    // Takes the files later starts with --add hand over, while it waits for the confirmation.
    void gatherHandedOverFiles();

    void O_ShowProgressBar(PictureBox* pPicBox, std::int32_t lValue, std::uint32_t lColor, double dMaxValue);

    // At the program's start, once the window is shown: removes what killed fills left behind.
    void Form_Load() { cleanUpKilledFills(fill_, process_, *progress_); }
    void Command1_Click() { flow_->Command1_Click(); }
    void Command2_Click() { flow_->Command2_Click(); }
    void Command3_Click();
    void Command4_Click();
    void Timer1_Timer() { flow_->Timer1_Timer(); }

    VeskFlow& flow() { return *flow_; }
    Win32Progress& progress() { return *progress_; }
    frmKelvanterInfo* infoWindow() const { return infoWindow_.get(); }
    frmFreierSpeicher* freeSpaceWindow() const { return freeSpaceWindow_.get(); }

    // VeskPort
    void setWindowEnabled(bool enabled) override;
    bool isOptionSelected(int index) const override;
    void setSuccessLabelVisible(bool visible) override;
    std::string executableName() const override;
    std::string pathBoxText() const override;
    void setPathText(const std::string& text) override;
    void setDestroyEnabled(bool enabled) override;
    void setPathToolTip(const std::string& text) override;
    void showFileAtHand(const std::string& name) override;
    void openFreeSpaceWindow(const std::string& folder) override;
    std::vector<std::string> ShowOpenDialog(const std::string& sTitle, std::string& sFolder,
                                            const std::string& sInitFile, const std::string& sFilter,
                                            const std::string& sDefExt) override;

    HWND window = nullptr;
    HWND Fname = nullptr;
    HWND Command1 = nullptr;
    HWND Command2 = nullptr;
    HWND Command3 = nullptr;
    HWND Command4 = nullptr;
    HWND Label2 = nullptr;
    HWND Label3 = nullptr;
    std::array<HWND, 2> Option1{};
    HWND toolTips() const { return toolTips_; }

private:
    template <typename Owner> friend LRESULT CALLBACK routeMessages(HWND, UINT, WPARAM, LPARAM);
    static FolderDialogSeam& systemFolderDialogs();
    void attach(HWND handle) { window = handle; }
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void buildControls(HINSTANCE instance);
    void addToolTip(HWND control, const char* text);
    void onCommand(int id);
    void onDrop(HDROP drop);
    LRESULT onHandOver(const COPYDATASTRUCT& data);
    LRESULT colorFor(HWND control, HDC dc);
    void drawDestroyButton(const DRAWITEMSTRUCT& item);
    void paintFrame();
    void Form_Unload();

    MessageBoxSeam& boxes_;
    StdDialoge dialoge_;
    FillServices& fill_;
    ProcessServices& process_;
    Clock& clock_;
    FolderDialogSeam& folders_;
    std::unique_ptr<Win32Progress> progress_;
    std::unique_ptr<frmFreierSpeicher> freeSpaceWindow_;
    NoFileTraces noTraces_;
    // Made once the window is there: the progress row is made in it, and the flow shows through both.
    std::unique_ptr<VeskFlow> flow_;
    std::unique_ptr<frmKelvanterInfo> infoWindow_;
    HWND toolTips_ = nullptr;
    HFONT font_ = nullptr;
    HFONT destroyFont_ = nullptr;
    HBRUSH black_ = nullptr;
    HBRUSH pathBackground_ = nullptr;
    HICON magnet_ = nullptr;
};

} // namespace kelvanter::win32ui
