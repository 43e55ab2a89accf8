#include "frmKelvanterInfo.h"

#include "InfoLines.h"
#include "Resources.h"
#include "win32/WidePath.h"

namespace kelvanter::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"KelvanterInfo";
constexpr int kCommand1 = 1;
constexpr COLORREF kListText = 12582912;
constexpr COLORREF kListBackground = 12648447;

HFONT fontOf(int pixelsHigh, const wchar_t* face) {
    return ::CreateFontW(-pixelsHigh, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

} // namespace

frmKelvanterInfo::frmKelvanterInfo(HINSTANCE instance, HWND mainWindow) : mainWindow_(mainWindow) {
    WNDCLASSW type{};
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAGNET));
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = kClassName;
    ::RegisterClassW(&type);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, 493, 320};
    ::AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    window_ = ::CreateWindowExW(
        0, kClassName, L"Kelvanter - Info", style, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
        (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance, this);
    // Courier New 8.25 pt and the default font are 11 pixels high at 96 dots per inch.
    listFont_ = fontOf(11, L"Courier New");
    font_ = fontOf(11, L"MS Sans Serif");
    listBackground_ = ::CreateSolidBrush(kListBackground);
    List1 = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT, 16, 16, 457, 256,
                              window_, nullptr, instance, nullptr);
    ::SendMessageW(List1, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
    Command1 = ::CreateWindowExW(0, L"BUTTON", L"Beenden", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 176, 288,
                                 153, 25, window_, reinterpret_cast<HMENU>(kCommand1), instance, nullptr);
    ::SendMessageW(Command1, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    Form_Load();
}

frmKelvanterInfo::~frmKelvanterInfo() {
    if (::IsWindow(window_)) {
        // Gone with the program, without an unload of its own.
        endingWithProgram_ = true;
        ::DestroyWindow(window_);
    }
    ::DeleteObject(listFont_);
    ::DeleteObject(font_);
    ::DeleteObject(listBackground_);
}

void frmKelvanterInfo::show() {
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::SetActiveWindow(window_);
    ::SetFocus(Command1);
}

void frmKelvanterInfo::Form_Load() {
    for (const char* line : kInfoLines)
        ::SendMessageW(List1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::widen(line).c_str()));
    ::SendMessageW(List1, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void frmKelvanterInfo::Form_Activate() {
    ::SetFocus(Command1);
}

void frmKelvanterInfo::Command1_Click() {
    ::SendMessageW(window_, WM_CLOSE, 0, 0);
}

void frmKelvanterInfo::Form_Unload() {
    ::PostMessageW(mainWindow_, kUnloaded, 0, 0);
}

LRESULT CALLBACK frmKelvanterInfo::procedure(HWND handle, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<frmKelvanterInfo*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = handle;
        ::SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmKelvanterInfo*>(::GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcW(handle, message, w, l);
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(w) != WA_INACTIVE)
            self->Form_Activate();
        return 0;
    case WM_COMMAND:
        if (LOWORD(w) == kCommand1 && HIWORD(w) == BN_CLICKED)
            self->Command1_Click();
        return 0;
    case WM_CTLCOLORLISTBOX:
        ::SetTextColor(reinterpret_cast<HDC>(w), kListText);
        ::SetBkColor(reinterpret_cast<HDC>(w), kListBackground);
        return reinterpret_cast<LRESULT>(self->listBackground_);
    case WM_DESTROY:
        if (!self->endingWithProgram_)
            self->Form_Unload();
        ::SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        return 0;
    default:
        return ::DefWindowProcW(handle, message, w, l);
    }
}

} // namespace kelvanter::win32ui
