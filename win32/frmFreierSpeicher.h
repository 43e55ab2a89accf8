#pragma once

#include "win32/PictureBox.h"
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
    frmFreierSpeicher(HINSTANCE instance, MessageBoxSeam& boxes, FolderDialogSeam& folders, FileServices& files,
                      Clock& clock);
    ~frmFreierSpeicher() override;
    frmFreierSpeicher(const frmFreierSpeicher&) = delete;
    frmFreierSpeicher& operator=(const frmFreierSpeicher&) = delete;

    void show();
    HWND window() const { return window_; }
    FreeSpaceFlow& flow() { return flow_; }
    // True once the user closed it; the program ends with it when it is the only window.
    bool closed() const { return closed_; }

    // FreeSpacePort
    std::string folderText() const override;
    void setFolderText(const std::string& text) override;
    void setFileSystemCaption(const std::string& text) override;
    void setRunning(bool running, bool startEnabled) override;
    void setTimerRunning(bool running) override;
    std::string elapsedCaption() const override;
    void setElapsedCaption(const std::string& text) override;
    void setEstimateCaption(const std::string& text) override;
    void setPercentCaption(const std::string& text) override;
    void setBarBackground(std::uint32_t lColor) override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;
    void processEvents() override;
    void setMousePointer(int code) override;
    std::string chooseFolder(const std::string& title, const std::string& start) override;
    int messageBox(const std::string& text, int style, const std::string& title) override;

    HWND Label2 = nullptr;
    HWND Fname = nullptr;
    HWND Command1 = nullptr;
    HWND Label8 = nullptr;
    HWND Command2 = nullptr;
    HWND Command5 = nullptr;
    std::unique_ptr<PictureBox> Picture1;
    HWND Label1 = nullptr;
    HWND Label4 = nullptr;
    HWND Label5 = nullptr;
    HWND Label6 = nullptr;
    HWND Label7 = nullptr;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void buildControls(HINSTANCE instance);
    void setCaption(HWND label, const std::string& text);

    MessageBoxSeam& boxes_;
    FolderDialogSeam& folders_;
    FreeSpaceFlow flow_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HFONT boldFont_ = nullptr;
    HBRUSH black_ = nullptr;
    HBRUSH pathBackground_ = nullptr;
    bool closeWhenDone_ = false;
    bool closed_ = false;
    bool waitPointer_ = false;
};

} // namespace kelvanter::win32ui
