#pragma once

#include "window/ControlTable.h"

#include <windows.h>

// What every top-level window of the program does alike in plain Win32: its class, its place in
// the middle of the screen, the routing of its messages to the object that made it, and the
// keyboard rules of dialogs (Tab, Enter) in each of them.
namespace kelvanter::win32ui {

// A fixed layout: no resizing and no maximising.
inline constexpr DWORD kFixedWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Registers the class (a second registration of it changes nothing) and makes the window with a
// client area of the form's size, centred on the screen; `owner` reaches the procedure at WM_NCCREATE.
HWND createTopLevel(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, HBRUSH background,
                    const FormSpec& form, DWORD style, void* owner);

// The procedure that hands each message to the window object made with it: the object is kept in
// the window's user data from WM_NCCREATE on, and told its handle then.
template <typename Owner> LRESULT CALLBACK routeMessages(HWND handle, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* made = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        made->attach(handle);
        ::SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
    }
    auto* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrW(handle, GWLP_USERDATA));
    return owner != nullptr ? owner->handle(message, w, l) : ::DefWindowProcW(handle, message, w, l);
}

template <typename Owner>
HWND createWindowFor(Owner* owner, HINSTANCE instance, const wchar_t* className, HBRUSH background,
                     const FormSpec& form, DWORD style = kFixedWindowStyle) {
    return createTopLevel(instance, className, &routeMessages<Owner>, background, form, style, owner);
}

// Hands a message to the window it is for, with the dialog keys where that is one of the program's.
void dispatchMessage(MSG& message);

// Dispatches every pending message; a request to quit is put back for the main loop.
void pumpPendingMessages();

} // namespace kelvanter::win32ui
