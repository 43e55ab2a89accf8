#include "PlatformServices.h"
#include "Win32Seams.h"
#include "frmVesk.h"
#include "win32/WidePath.h"

#include <commctrl.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    kelvanter::PlatformFileServices files;
    kelvanter::PlatformClock clock;
    kelvanter::win32ui::Win32MessageBoxes boxes;
    kelvanter::win32ui::Win32FileDialogs dialogs;
    kelvanter::win32ui::frmVesk window(instance, boxes, dialogs, files, clock);
    // "kelvanter.exe FILE", as a shortcut or "Senden an" starts it; further arguments are ignored.
    int count = 0;
    if (wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        if (count > 1)
            window.flow().takeFileFromCommandLine(kelvanter::win32::narrow(arguments[1]));
        ::LocalFree(arguments);
    }
    window.show();
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        window.dispatch(message);
    }
    return static_cast<int>(message.wParam);
}
