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
enum : int {
    kFname = 2001,
    kCommand1,
    kCommand2,
    kCommand5,
    kLabel2,
    kLabel8,
    kProgressRow = 2101,
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
                                     FillServices& files, ProcessServices& process, Clock& clock)
    : boxes_(boxes), folders_(folders), files_(files), process_(process) {
    createWindowFor(this, instance, kClassName, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)), design.form,
                    kFixedWindowStyle | WS_CLIPCHILDREN);
    buildControls(instance);
    flow_ = std::make_unique<FreeSpaceFlow>(*progress_, *this, files, process, clock);
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
    progress_ = std::make_unique<Win32Progress>(window_, boxes_, progressRowOf(design), kProgressRow);
    // The prompt keeps its designed width, the frame's inside: Wine draws a text that long a little
    // wider than it measures it.
}

void frmFreierSpeicher::show() {
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::SetFocus(Fname);
}

void frmFreierSpeicher::onCommand(WORD id, WORD code) {
    if (id == kFname && code == EN_KILLFOCUS)
        flow_->showFileSystem();
    if (code != BN_CLICKED)
        return;
    if (id == kCommand1)
        flow_->chooseFolder();
    if (id == kCommand5)
        flow_->cancelFill();
    if (id == kCommand2) {
        flow_->confirmAndFill();
        if (closeWhenDone_)
            ::PostMessageW(window_, WM_CLOSE, 0, 0);
    }
}

LRESULT frmFreierSpeicher::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND:
        if (flow_)
            onCommand(LOWORD(w), HIWORD(w));
        return 0;
    case WM_TIMER:
        if (w == Win32Progress::kTimer1 && flow_)
            flow_->tick();
        return 0;
    case WM_CLOSE:
        // Closing mid-run cancels it; the window goes once its fill files are deleted.
        if (flow_->isRunInProgress()) {
            flow_->cancelFill();
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
        paintShapeFrame(window_, design.Shape1, design.shapeBorderPixels, black_);
        return 0;
    case WM_SETCURSOR:
        if (progress_ && showWaitPointer(*progress_))
            return TRUE;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, w, l);
}

void frmFreierSpeicher::setFileSystemCaption(const std::string& text) {
    ::SetWindowTextW(Label8, widen(text).c_str());
    fitLabelToText(Label8);
    // A transparent label leaves its old text behind unless the window paints under it again.
    RECT area{};
    ::GetWindowRect(Label8, &area);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(window_, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

std::string frmFreierSpeicher::folderText() const {
    return textOf(Fname);
}

void frmFreierSpeicher::setFolderText(const std::string& text) {
    ::SetWindowTextW(Fname, widen(text).c_str());
}

void frmFreierSpeicher::setRunning(bool running, bool startEnabled) {
    ::EnableWindow(Command2, !running && startEnabled);
    ::EnableWindow(Command5, running);
    ::EnableWindow(Command1, !running);
    ::SendMessageW(Fname, EM_SETREADONLY, running, 0);
}

std::string frmFreierSpeicher::chooseFolder(const std::string& title, const std::string&) {
    return narrow(folders_.chooseFolder(window_, widen(title)));
}

} // namespace kelvanter::win32ui
