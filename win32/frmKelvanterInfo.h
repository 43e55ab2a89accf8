#pragma once

#include "win32/TopLevelWindow.h"

#include <windows.h>

namespace kelvanter::win32ui {

// The info window: the fixed text that explains the two methods, and "Beenden". Non-modal and
// without an owner, so the main window stays usable beside it.
class frmKelvanterInfo {
public:
    // Posted to the main window when this window is unloaded, so that it clears its reference.
    static constexpr UINT kUnloaded = WM_APP + 1;

    frmKelvanterInfo(HINSTANCE instance, HWND mainWindow);
    ~frmKelvanterInfo();
    frmKelvanterInfo(const frmKelvanterInfo&) = delete;
    frmKelvanterInfo& operator=(const frmKelvanterInfo&) = delete;

    // Shows the window, or brings it to the front and activates it when it is already shown.
    void show();
    HWND window() const { return window_; }

    HWND List1 = nullptr;
    HWND Command1 = nullptr;

private:
    template <typename Owner> friend LRESULT CALLBACK routeMessages(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND handle) { window_ = handle; }
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void Form_Load();
    void Form_Activate();
    void Command1_Click();
    void Form_Unload();

    HWND window_ = nullptr;
    HWND mainWindow_ = nullptr;
    HFONT listFont_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH listBackground_ = nullptr;
    bool endingWithProgram_ = false;
};

} // namespace kelvanter::win32ui
