#pragma once

#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "win32/PictureBox.h"
#include "win32/TopLevelWindow.h"
#include "win32/Win32Progress.h"
#include "win32/Win32Seams.h"
#include "window/FreeSpaceFlow.h"

#include <memory>
#include <windows.h>

namespace kelvanter::win32ui {

// Chooses a folder; the seam, so that tests can answer it.
class FolderDialogSeam {
public:
    virtual ~FolderDialogSeam() = default;
    // The chosen folder's path, or empty text when cancelled.
    virtual std::wstring chooseFolder(HWND owner, const std::wstring& title) = 0;
};

class Win32FolderDialogs final : public FolderDialogSeam {
public:
    std::wstring chooseFolder(HWND owner, const std::wstring& title) override;
};

// The window that overwrites a file system's free space, in plain Win32 and the main window's
// look; its commands are FreeSpaceFlow's.
class frmFreierSpeicher final : public FreeSpacePort {
public:
    frmFreierSpeicher(HINSTANCE instance, MessageBoxSeam& boxes, FolderDialogSeam& folders, FillServices& files,
                      ProcessServices& process, Clock& clock);
    ~frmFreierSpeicher() override;
    frmFreierSpeicher(const frmFreierSpeicher&) = delete;
    frmFreierSpeicher& operator=(const frmFreierSpeicher&) = delete;

    void show();
    HWND window() const { return window_; }
    // At the program's start, once the window is shown: removes what killed fills left behind.
    void Form_Load() { cleanUpKilledFills(files_, process_, *progress_); }
    FreeSpaceFlow& flow() { return *flow_; }
    Win32Progress& progress() { return *progress_; }
    // True once the user closed it; the program ends with it when it is the only window.
    bool closed() const { return closed_; }

    // FreeSpacePort
    std::string folderText() const override;
    void setFolderText(const std::string& text) override;
    void setFileSystemCaption(const std::string& text) override;
    void setRunning(bool running, bool startEnabled) override;
    std::string chooseFolder(const std::string& title, const std::string& start) override;

    HWND Label2 = nullptr;
    HWND Fname = nullptr;
    HWND Command1 = nullptr;
    HWND Label8 = nullptr;
    HWND Command2 = nullptr;
    HWND Command5 = nullptr;

private:
    template <typename Owner> friend LRESULT CALLBACK routeMessages(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND handle) { window_ = handle; }
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void buildControls(HINSTANCE instance);
    void onCommand(WORD id, WORD code);

    MessageBoxSeam& boxes_;
    FolderDialogSeam& folders_;
    FillServices& files_;
    ProcessServices& process_;
    HWND window_ = nullptr;
    std::unique_ptr<Win32Progress> progress_;
    std::unique_ptr<FreeSpaceFlow> flow_;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HBRUSH black_ = nullptr;
    HBRUSH pathBackground_ = nullptr;
    bool closeWhenDone_ = false;
    bool closed_ = false;
};

} // namespace kelvanter::win32ui
