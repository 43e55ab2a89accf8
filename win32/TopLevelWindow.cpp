#include "win32/TopLevelWindow.h"

#include "platform/WideText.h"
#include "win32/Resources.h"

#include <cwchar>

namespace kelvanter::win32ui {

namespace {

// The program's own windows' classes all begin so; the dialog keys are theirs alone.
constexpr wchar_t kClassPrefix[] = L"Kelvanter";

bool isProgramWindow(HWND window) {
    wchar_t name[64] = {};
    return window != nullptr && ::GetClassNameW(window, name, 64) > 0 &&
           std::wcsncmp(name, kClassPrefix, std::wcslen(kClassPrefix)) == 0;
}

// The window rectangle for a client area of the form's size, centred on the screen.
RECT centredFrame(const FormSpec& form, DWORD style) {
    RECT frame{0, 0, twipsToPixels(form.clientWidthTwips), twipsToPixels(form.clientHeightTwips)};
    ::AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return {left, top, left + width, top + height};
}

} // namespace

HWND createTopLevel(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, HBRUSH background,
                    const FormSpec& form, DWORD style, void* owner) {
    WNDCLASSW type{};
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAGNET));
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = background;
    type.lpszClassName = className;
    ::RegisterClassW(&type);
    const RECT frame = centredFrame(form, style);
    return ::CreateWindowExW(0, className, win32::widen(form.caption).c_str(), style, frame.left, frame.top,
                             frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, owner);
}

void dispatchMessage(MSG& message) {
    const HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (isProgramWindow(root) && ::IsDialogMessageW(root, &message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void pumpPendingMessages() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Handed on to the main loop, which ends the program once the run is over.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatchMessage(message);
    }
}

} // namespace kelvanter::win32ui
