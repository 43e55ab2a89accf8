// The main window's controls, laid out in pixels (the design's twips ÷ 15), in tab order.
#include "ControlIds.h"
#include "Resources.h"
#include "frmVesk.h"
#include "win32/WidePath.h"

#include <commctrl.h>
#include <uxtheme.h>

namespace kelvanter::win32ui {

namespace {

HFONT designFont(int pixelsHigh, bool bold, const wchar_t* face) {
    return ::CreateFontW(-pixelsHigh, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

HWND control(HWND parent, const wchar_t* type, const wchar_t* text, DWORD style, int x, int y, int width, int height,
             int id, HFONT font) {
    const HWND made =
        ::CreateWindowExW(0, type, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    ::SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return made;
}

HWND label(HWND parent, const char* text, int x, int y, int width, int height, int id, HFONT font) {
    return control(parent, L"STATIC", win32::widen(text).c_str(), SS_LEFT | SS_NOPREFIX, x, y, width, height, id, font);
}

HWND pictureButton(HWND parent, int x, int y, int width, int height, int id, int icon, int size) {
    const HWND button =
        control(parent, L"BUTTON", L"", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, x, y, width, height, id, nullptr);
    const HANDLE image = ::LoadImageW(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                      MAKEINTRESOURCEW(icon), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
    ::SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(image));
    return button;
}

} // namespace

void frmVesk::buildControls(HINSTANCE instance) {
    // MS Sans Serif 8.25 pt is 11 pixels at 96 dots per inch, 9.75 pt bold 13.
    font_ = designFont(11, false, L"MS Sans Serif");
    boldFont_ = designFont(11, true, L"MS Sans Serif");
    destroyFont_ = designFont(13, true, L"MS Sans Serif");
    black_ = ::CreateSolidBrush(RGB(0, 0, 0));
    pathBackground_ = ::CreateSolidBrush(12648447);
    magnet_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAGNET), IMAGE_ICON, 32, 32, 0));

    Fname = control(window, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, 16, 48, 393, 20, kFname, font_);
    Command1 = pictureButton(window, 416, 48, 41, 22, kCommand1, IDI_FOLDER, 16);
    Command2 = control(window, L"BUTTON", L"Datei zerstören", BS_OWNERDRAW | WS_TABSTOP | WS_DISABLED, 144, 78, 145, 65,
                       kCommand2, destroyFont_);
    Picture1 = std::make_unique<PictureBox>(window, 17, 176, 440, 17, kPicture1);
    Picture1->setBackColor(kEmptyBarColor);
    Label2 = label(window, "Zu zerstörende Datei auswählen:", 16, 32, 156, 13, kLabel2, font_);
    Label3 = label(window, "Datei wurde zerstört !", 17, 142, 100, 13, kLabel3, font_);
    ::ShowWindow(Label3, SW_HIDE);
    Option1[0] = control(window, L"BUTTON", L"normal", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 304, 88, 81, 17,
                         kOption0, font_);
    Option1[1] = control(window, L"BUTTON", L"intensiv", BS_AUTORADIOBUTTON, 304, 120, 81, 17, kOption1, font_);
    for (const HWND option : Option1) {
        // Unthemed, so that they take the window's colours.
        ::SetWindowTheme(option, L"", L"");
    }
    ::SendMessageW(Option1[0], BM_SETCHECK, BST_CHECKED, 0);
    Label1 =
        control(Picture1->handle(), L"STATIC", L"0 %", SS_CENTER | SS_NOPREFIX, 208, 0, 23, 13, kLabel1, boldFont_);
    Command3 = pictureButton(window, 400, 88, 57, 49, kCommand3, IDI_INFO, 32);
    Command4 = pictureButton(window, 16, 88, 57, 49, kCommand4, IDI_DOOR, 32);
    Label4 = label(window, "00:00:00", 88, 160, 42, 13, kLabel4, font_);
    Label5 = label(window, "00:00:00", 408, 160, 42, 13, kLabel5, font_);
    Label6 = label(window, "Time Elapsed:", 16, 160, 67, 13, kLabel6, font_);
    Label7 = label(window, "Time Estimated:", 328, 160, 75, 13, kLabel7, font_);

    for (const HWND text : {Label1, Label2, Label3, Label4, Label5, Label6, Label7})
        fitToText(text);

    toolTips_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
    addToolTip(Command1, L"Zu zerstörende Datei öffnen.");
    addToolTip(Command3, L"Info");
    addToolTip(Command4, L"Beenden");
}

void frmVesk::addToolTip(HWND tool, const wchar_t* text) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

} // namespace kelvanter::win32ui
