// The main window's controls, made from the design's control table, in tab order.
#include "platform/WideText.h"
#include "win32/ControlIds.h"
#include "win32/Controls.h"
#include "win32/Resources.h"
#include "win32/frmVesk.h"
#include "window/ControlTable.h"

#include <commctrl.h>
#include <uxtheme.h>

namespace kelvanter::win32ui {

namespace {

const MainWindowDesign& design = kMainWindow;

HWND label(HWND parent, const ControlSpec& spec, int id, HFONT font) {
    return createControl(parent, L"STATIC", spec, SS_LEFT | SS_NOPREFIX, id, font);
}

HWND pictureButton(HWND parent, const ControlSpec& spec, int id, int icon, int size) {
    const HWND button = createControl(parent, L"BUTTON", spec, BS_PUSHBUTTON | BS_ICON, id, nullptr);
    // Shown is only the icon; the text is what UI Automation and MSAA read as the button's name.
    ::SetWindowTextW(button, win32::widen(spec.accessibleName).c_str());
    const HANDLE image = ::LoadImageW(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                      MAKEINTRESOURCEW(icon), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
    ::SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(image));
    return button;
}

} // namespace

void frmVesk::buildControls(HINSTANCE instance) {
    font_ = designFont({});
    destroyFont_ = designFont(design.Command2.font);
    black_ = ::CreateSolidBrush(design.backColor);
    pathBackground_ = ::CreateSolidBrush(design.Fname.backColor);
    magnet_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAGNET), IMAGE_ICON, 32, 32, 0));

    // The prompt just before the path box in z-order is what names it for a screen reader.
    Label2 = label(window, design.Label2, kLabel2, font_);
    Fname = createControl(window, L"EDIT", design.Fname, ES_AUTOHSCROLL, kFname, font_);
    Command1 = pictureButton(window, design.Command1, kCommand1, IDI_FOLDER, 16);
    Command2 = createControl(window, L"BUTTON", design.Command2, BS_OWNERDRAW, kCommand2, destroyFont_);
    progress_ = std::make_unique<Win32Progress>(window, boxes_, progressRowOf(design), kProgressRow);
    Label3 = label(window, design.Label3, kLabel3, font_);
    // One group: the first option starts it, and only the checked one is a tab stop.
    Option1[0] = createControl(window, L"BUTTON", design.Option1_0, BS_AUTORADIOBUTTON | WS_GROUP, kOption0, font_);
    Option1[1] = createControl(window, L"BUTTON", design.Option1_1, BS_AUTORADIOBUTTON, kOption1, font_);
    ::SetWindowLongPtrW(Option1[1], GWL_STYLE, ::GetWindowLongPtrW(Option1[1], GWL_STYLE) & ~WS_TABSTOP);
    for (const HWND option : Option1) {
        // Unthemed, so that they take the window's colours.
        ::SetWindowTheme(option, L"", L"");
    }
    ::SendMessageW(Option1[0], BM_SETCHECK, BST_CHECKED, 0);
    Command3 = pictureButton(window, design.Command3, kCommand3, IDI_INFO, 32);
    Command4 = pictureButton(window, design.Command4, kCommand4, IDI_DOOR, 32);

    for (const HWND text : {Label2, Label3})
        fitLabelToText(text);

    toolTips_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
    // A width makes the tooltip break its text at each line's end, as the path box's list needs.
    ::SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0, 800);
    for (const auto& [button, spec] : {std::pair{Command1, &design.Command1}, std::pair{Command3, &design.Command3},
                                       std::pair{Command4, &design.Command4}})
        addToolTip(button, spec->toolTip);
}

void frmVesk::addToolTip(HWND tool, const char* text) {
    std::wstring wide = win32::widen(text); // the tooltip keeps a copy
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = wide.data();
    ::SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

} // namespace kelvanter::win32ui
