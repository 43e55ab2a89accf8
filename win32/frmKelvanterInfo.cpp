#include "win32/frmKelvanterInfo.h"

#include "platform/WideText.h"
#include "win32/Controls.h"
#include "win32/Resources.h"
#include "win32/TopLevelWindow.h"
#include "window/ControlTable.h"
#include "window/InfoLines.h"

namespace kelvanter::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"KelvanterInfo";
constexpr int kCommand1 = 1;
const InfoWindowDesign& design = kInfoWindow;

} // namespace

frmKelvanterInfo::frmKelvanterInfo(HINSTANCE instance, HWND mainWindow) : mainWindow_(mainWindow) {
    createWindowFor(this, instance, kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), design.form);
    listFont_ = designFont(design.List1.font);
    font_ = designFont(design.Command1.font);
    listBackground_ = ::CreateSolidBrush(design.List1.backColor);
    List1 = createControl(window_, L"LISTBOX", design.List1, WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, listFont_,
                          WS_EX_CLIENTEDGE);
    Command1 = createControl(window_, L"BUTTON", design.Command1, BS_PUSHBUTTON, kCommand1, font_);
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

LRESULT frmKelvanterInfo::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(w) != WA_INACTIVE)
            Form_Activate();
        return 0;
    case WM_COMMAND:
        if (LOWORD(w) == kCommand1 && HIWORD(w) == BN_CLICKED)
            Command1_Click();
        return 0;
    case WM_CTLCOLORLISTBOX:
        ::SetTextColor(reinterpret_cast<HDC>(w), design.List1.textColor);
        ::SetBkColor(reinterpret_cast<HDC>(w), design.List1.backColor);
        return reinterpret_cast<LRESULT>(listBackground_);
    case WM_DESTROY:
        if (!endingWithProgram_)
            Form_Unload();
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        return 0;
    default:
        return ::DefWindowProcW(window_, message, w, l);
    }
}

} // namespace kelvanter::win32ui
