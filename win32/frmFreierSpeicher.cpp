#include "win32/frmFreierSpeicher.h"

#include "platform/WideText.h"
#include "win32/Controls.h"
#include "win32/Resources.h"
#include "window/ControlTable.h"
#include "window/ProgressBarGeometry.h"

#include <commctrl.h>
#include <shlobj.h>

namespace kelvanter::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"KelvanterFreeSpace";
constexpr UINT_PTR kTimer1 = 1;
enum : int {
    kFname = 2001,
    kCommand1,
    kCommand2,
    kCommand5,
    kPicture1,
    kLabel1,
    kLabel2,
    kLabel4,
    kLabel5,
    kLabel6,
    kLabel7,
    kLabel8
};
const FreeSpaceWindowDesign& design = kFreeSpaceWindow;

using win32::narrow;
using win32::widen;

} // namespace

std::wstring Win32FolderDialogs::chooseFolder(HWND owner, const std::wstring& title) {
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
    if (chosen == nullptr)
        return {};
    std::wstring path(32768, L'\0');
    const bool named = ::SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    ::CoTaskMemFree(chosen);
    path.resize(named ? path.find(L'\0') : 0);
    return path;
}

frmFreierSpeicher::frmFreierSpeicher(HINSTANCE instance, MessageBoxSeam& boxes, FolderDialogSeam& folders,
                                     FileServices& files, Clock& clock)
    : boxes_(boxes), folders_(folders), flow_(*this, files, clock) {
    WNDCLASSW type{};
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAGNET));
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    type.lpszClassName = kClassName;
    ::RegisterClassW(&type);
    PictureBox::registerClass(instance);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, twipsToPixels(design.form.clientWidthTwips), twipsToPixels(design.form.clientHeightTwips)};
    ::AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    window_ = ::CreateWindowExW(
        0, kClassName, widen(design.form.caption).c_str(), style, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
        (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance, this);
    buildControls(instance);
}

frmFreierSpeicher::~frmFreierSpeicher() {
    if (::IsWindow(window_))
        ::DestroyWindow(window_);
    for (const HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(boldFont_),
                                 static_cast<HGDIOBJ>(black_), static_cast<HGDIOBJ>(pathBackground_)})
        ::DeleteObject(object);
}

void frmFreierSpeicher::buildControls(HINSTANCE instance) {
    font_ = designFont({});
    boldFont_ = designFont(design.Command2.font);
    black_ = ::CreateSolidBrush(design.backColor);
    pathBackground_ = ::CreateSolidBrush(design.Fname.backColor);
    // The prompt just before the path box in z-order is what names it for a screen reader.
    Label2 = createControl(window_, L"STATIC", design.Label2, SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabel2, font_);
    Fname = createControl(window_, L"EDIT", design.Fname, ES_AUTOHSCROLL, kFname, font_);
    Command1 = createControl(window_, L"BUTTON", design.Command1, BS_PUSHBUTTON | BS_ICON, kCommand1, font_);
    ::SetWindowTextW(Command1, widen(design.Command1.accessibleName).c_str());
    const HANDLE folderIcon = ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_FOLDER), IMAGE_ICON, 16, 16, 0);
    ::SendMessageW(Command1, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(folderIcon));
    Label8 = createControl(window_, L"STATIC", design.Label8, SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabel8, font_);
    Command2 = createControl(window_, L"BUTTON", design.Command2, BS_PUSHBUTTON, kCommand2, boldFont_);
    Command5 = createControl(window_, L"BUTTON", design.Command5, BS_PUSHBUTTON, kCommand5, boldFont_);
    const PixelRect bar = toPixels(design.Picture1.rect);
    Picture1 = std::make_unique<PictureBox>(window_, bar.left, bar.top, bar.width, bar.height, kPicture1);
    Picture1->setBackColor(design.Picture1.backColor);
    Label1 = createControl(Picture1->handle(), L"STATIC", design.Label1, SS_CENTER | SS_NOPREFIX, kLabel1, boldFont_);
    Label4 = createControl(window_, L"STATIC", design.Label4, SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabel4, font_);
    Label5 = createControl(window_, L"STATIC", design.Label5, SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabel5, font_);
    Label6 = createControl(window_, L"STATIC", design.Label6, SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabel6, font_);
    Label7 = createControl(window_, L"STATIC", design.Label7, SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabel7, font_);
    // The prompt keeps its designed width, the frame's inside: Wine draws a text that long a little
    // wider than it measures it.
    for (const HWND label : {Label4, Label5, Label6, Label7})
        fitLabelToText(label);
}

void frmFreierSpeicher::show() {
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::SetFocus(Fname);
}

LRESULT CALLBACK frmFreierSpeicher::procedure(HWND handle, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<frmFreierSpeicher*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = handle;
        ::SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmFreierSpeicher*>(::GetWindowLongPtrW(handle, GWLP_USERDATA));
    return self != nullptr ? self->handle(message, w, l) : ::DefWindowProcW(handle, message, w, l);
}

LRESULT frmFreierSpeicher::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(w) == kFname && HIWORD(w) == EN_KILLFOCUS)
            flow_.showFileSystem();
        if (HIWORD(w) != BN_CLICKED)
            return 0;
        if (LOWORD(w) == kCommand1)
            flow_.Command1_Click();
        if (LOWORD(w) == kCommand5)
            flow_.Command5_Click();
        if (LOWORD(w) == kCommand2) {
            flow_.Command2_Click();
            if (closeWhenDone_)
                ::PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_TIMER:
        if (w == kTimer1)
            flow_.Timer1_Timer();
        return 0;
    case WM_CLOSE:
        // Closing mid-run cancels it; the window goes once its fill files are deleted.
        if (flow_.isRunInProgress()) {
            flow_.Command5_Click();
            closeWhenDone_ = true;
            return 0;
        }
        closed_ = true;
        ::ShowWindow(window_, SW_HIDE);
        return 0;
    case WM_CTLCOLORSTATIC:
        ::SetTextColor(reinterpret_cast<HDC>(w), design.Label2.textColor);
        ::SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
        return reinterpret_cast<LRESULT>(black_);
    case WM_CTLCOLOREDIT:
        ::SetTextColor(reinterpret_cast<HDC>(w), design.Fname.textColor);
        ::SetBkColor(reinterpret_cast<HDC>(w), design.Fname.backColor);
        return reinterpret_cast<LRESULT>(pathBackground_);
    case WM_PAINT:
        paintShapeFrame(window_, design.Shape1, 3, black_);
        return 0;
    case WM_SETCURSOR:
        if (waitPointer_) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, w, l);
}

void frmFreierSpeicher::setCaption(HWND label, const std::string& text) {
    ::SetWindowTextW(label, widen(text).c_str());
    fitLabelToText(label);
    // A transparent label leaves its old text behind unless the window paints under it again.
    RECT area{};
    ::GetWindowRect(label, &area);
    ::MapWindowPoints(nullptr, ::GetParent(label), reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(::GetParent(label), &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

std::string frmFreierSpeicher::folderText() const {
    return textOf(Fname);
}

void frmFreierSpeicher::setFolderText(const std::string& text) {
    ::SetWindowTextW(Fname, widen(text).c_str());
}

void frmFreierSpeicher::setFileSystemCaption(const std::string& text) {
    setCaption(Label8, text);
}

void frmFreierSpeicher::setRunning(bool running, bool startEnabled) {
    ::EnableWindow(Command2, !running && startEnabled);
    ::EnableWindow(Command5, running);
    ::EnableWindow(Command1, !running);
    ::SendMessageW(Fname, EM_SETREADONLY, running, 0);
}

void frmFreierSpeicher::setTimerRunning(bool running) {
    if (running)
        ::SetTimer(window_, kTimer1, 1000, nullptr);
    else
        ::KillTimer(window_, kTimer1);
}

std::string frmFreierSpeicher::elapsedCaption() const {
    return textOf(Label4);
}

void frmFreierSpeicher::setElapsedCaption(const std::string& text) {
    setCaption(Label4, text);
}

void frmFreierSpeicher::setEstimateCaption(const std::string& text) {
    setCaption(Label5, text);
}

void frmFreierSpeicher::setPercentCaption(const std::string& text) {
    ::SetWindowTextW(Label1, widen(text).c_str());
    Picture1->repaint();
}

void frmFreierSpeicher::setBarBackground(std::uint32_t lColor) {
    Picture1->setBackColor(lColor);
}

void frmFreierSpeicher::showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    drawProgressBar(*Picture1, lValue, lColor, dMaxValue);
}

void frmFreierSpeicher::processEvents() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!::IsDialogMessageW(window_, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

void frmFreierSpeicher::setMousePointer(int code) {
    waitPointer_ = code == kPointerHourglass;
    ::SetCursor(::LoadCursorW(nullptr, waitPointer_ ? IDC_WAIT : IDC_ARROW));
}

std::string frmFreierSpeicher::chooseFolder(const std::string& title, const std::string&) {
    return narrow(folders_.chooseFolder(window_, widen(title)));
}

int frmFreierSpeicher::messageBox(const std::string& text, int style, const std::string& title) {
    return boxes_.show(window_, widen(text), style, widen(title));
}

} // namespace kelvanter::win32ui
