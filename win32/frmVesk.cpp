#include "win32/frmVesk.h"

#include "platform/WideText.h"
#include "win32/ControlIds.h"
#include "win32/Controls.h"
#include "win32/Resources.h"
#include "win32/frmKelvanterInfo.h"
#include "window/ControlTable.h"
#include "window/PathText.h"
#include "window/ProgressBarGeometry.h"

#include <algorithm>
#include <shellapi.h>

namespace kelvanter::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"KelvanterMain";
const MainWindowDesign& design = kMainWindow;

using win32::narrow;
using win32::widen;

// The window rectangle for a client area of the design's size, centred on the screen.
RECT centredWindow(DWORD style) {
    RECT frame{0, 0, twipsToPixels(design.form.clientWidthTwips), twipsToPixels(design.form.clientHeightTwips)};
    ::AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return {left, top, left + width, top + height};
}

} // namespace

frmVesk::frmVesk(HINSTANCE instance, MessageBoxSeam& boxes, FileDialogSeam& dialogs, FileServices& files, Clock& clock,
                 FolderDialogSeam& folders)
    : boxes_(boxes), dialoge_(dialogs), files_(files), clock_(clock), folders_(folders),
      flow_(*this, *this, files, clock, noTraces_) {
    WNDCLASSW type{};
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAGNET));
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    type.lpszClassName = kClassName;
    ::RegisterClassW(&type);
    PictureBox::registerClass(instance);
    // A fixed layout: no resizing and no maximising.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const RECT frame = centredWindow(style);
    window = ::CreateWindowExW(0, kClassName, widen(design.form.caption).c_str(), style, frame.left, frame.top,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, this);
    buildControls(instance);
    ::DragAcceptFiles(window, TRUE);
}

frmVesk::~frmVesk() {
    infoWindow_.reset();
    if (::IsWindow(window))
        ::DestroyWindow(window);
    for (const HGDIOBJ object :
         {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(boldFont_), static_cast<HGDIOBJ>(destroyFont_),
          static_cast<HGDIOBJ>(black_), static_cast<HGDIOBJ>(pathBackground_)})
        ::DeleteObject(object);
}

void frmVesk::show() {
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    ::SetFocus(Fname);
}

void frmVesk::O_ShowProgressBar(PictureBox* pPicBox, std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    drawProgressBar(*pPicBox, lValue, lColor, dMaxValue);
}

FolderDialogSeam& frmVesk::systemFolderDialogs() {
    static Win32FolderDialogs dialogs;
    return dialogs;
}

void frmVesk::openFreeSpaceWindow(const std::string& folder) {
    if (!freeSpaceWindow_)
        freeSpaceWindow_ = std::make_unique<frmFreierSpeicher>(
            reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window, GWLP_HINSTANCE)), boxes_, folders_, files_, clock_);
    freeSpaceWindow_->flow().takeFolder(folder);
    freeSpaceWindow_->show();
}

void frmVesk::Command3_Click() {
    if (!infoWindow_)
        infoWindow_ = std::make_unique<frmKelvanterInfo>(
            reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window, GWLP_HINSTANCE)), window);
    infoWindow_->show();
}

void frmVesk::Command4_Click() {
    ::SendMessageW(window, WM_CLOSE, 0, 0);
}

void frmVesk::Form_Unload() {
    // The info window goes with the program, without its own unload.
    infoWindow_.reset();
    freeSpaceWindow_.reset();
    ::DestroyWindow(window);
    ::PostQuitMessage(0);
}

// ---- messages ----

LRESULT CALLBACK frmVesk::procedure(HWND handle, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(l);
        auto* self = static_cast<frmVesk*>(created->lpCreateParams);
        self->window = handle;
        ::SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmVesk*>(::GetWindowLongPtrW(handle, GWLP_USERDATA));
    return self != nullptr ? self->handle(message, w, l) : ::DefWindowProcW(handle, message, w, l);
}

LRESULT frmVesk::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED)
            onCommand(LOWORD(w));
        return 0;
    case frmKelvanterInfo::kUnloaded:
        // The info window's Form_Unload: the reference is cleared, the next click makes a new one.
        infoWindow_.reset();
        return 0;
    case WM_DROPFILES:
        onDrop(reinterpret_cast<HDROP>(w));
        return 0;
    case WM_TIMER:
        if (w == kTimer1)
            Timer1_Timer();
        return 0;
    case WM_CLOSE:
        // A disabled window can still be asked to close (Alt+F4, the taskbar): never end mid-run.
        // Nor while the free-space window fills the disk: that run is cancelled and deletes its fill first.
        if (freeSpaceWindow_ && freeSpaceWindow_->flow().isRunInProgress())
            freeSpaceWindow_->flow().Command5_Click();
        else if (!flow_.isRunInProgress())
            Form_Unload();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return colorFor(reinterpret_cast<HWND>(l), reinterpret_cast<HDC>(w));
    case WM_CTLCOLOREDIT:
        ::SetTextColor(reinterpret_cast<HDC>(w), design.Fname.textColor);
        ::SetBkColor(reinterpret_cast<HDC>(w), design.Fname.backColor);
        return reinterpret_cast<LRESULT>(pathBackground_);
    case WM_DRAWITEM:
        drawDestroyButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
    case WM_PAINT:
        paintFrame();
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
    return ::DefWindowProcW(window, message, w, l);
}

// The first of the dropped files, by its exact UTF-16 name.
void frmVesk::onDrop(HDROP drop) {
    if (!flow_.isRunInProgress()) {
        const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(::DragQueryFileW(drop, 0, path.data(), length + 1));
        if (!path.empty())
            flow_.takeDroppedFile(narrow(path));
    }
    ::DragFinish(drop);
}

void frmVesk::onCommand(int id) {
    switch (id) {
    case kCommand1:
        Command1_Click();
        break;
    case kCommand2:
        Command2_Click();
        break;
    case kCommand3:
        Command3_Click();
        break;
    case kCommand4:
        Command4_Click();
        break;
    default:
        break;
    }
}

LRESULT frmVesk::colorFor(HWND control, HDC dc) {
    ::SetTextColor(dc, control == Label3 ? design.Label3.textColor : design.Label2.textColor);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetBkColor(dc, RGB(0, 0, 0));
    return reinterpret_cast<LRESULT>(black_);
}

// The destroy button: its magnet above its caption.
void frmVesk::drawDestroyButton(const DRAWITEMSTRUCT& item) {
    RECT area = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    ::DrawFrameControl(item.hDC, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    const int shift = pressed ? 1 : 0;
    if (magnet_ != nullptr)
        ::DrawStateW(item.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(magnet_), 0, (area.right - 32) / 2 + shift,
                     8 + shift, 32, 32, DST_ICON | (disabled ? DSS_DISABLED : 0));
    RECT text{area.left, 42 + shift, area.right, area.bottom - 2};
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    ::SelectObject(item.hDC, destroyFont_);
    ::DrawTextW(item.hDC, widen(design.Command2.caption).c_str(), -1, &text, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) {
        RECT focus{area.left + 4, area.top + 4, area.right - 4, area.bottom - 4};
        ::DrawFocusRect(item.hDC, &focus);
    }
}

// Shape1: a frame three pixels wide in dark yellow round everything, behind the controls.
void frmVesk::paintFrame() {
    paintShapeFrame(window, design.Shape1, design.shapeBorderPixels, black_);
}

// ---- what the core may do to the window ----

void frmVesk::setWindowEnabled(bool enabled) {
    ::EnableWindow(window, enabled ? TRUE : FALSE);
}

bool frmVesk::isOptionSelected(int index) const {
    return ::SendMessageW(Option1.at(static_cast<std::size_t>(index)), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void frmVesk::setPercentCaption(const std::string& caption) {
    setCaption(Label1, caption);
}

void frmVesk::setBarBackground(std::uint32_t lColor) {
    Picture1->setBackColor(lColor);
}

void frmVesk::setSuccessLabelVisible(bool visible) {
    ::ShowWindow(Label3, visible ? SW_SHOW : SW_HIDE);
}

void frmVesk::processEvents() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Handed on to the main loop, which ends the program once the run is over.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch(message);
    }
}

void frmVesk::dispatch(MSG& message) {
    const HWND info = infoWindow_ ? infoWindow_->window() : nullptr;
    const HWND freeSpace = freeSpaceWindow_ ? freeSpaceWindow_->window() : nullptr;
    if ((info != nullptr && ::IsDialogMessageW(info, &message)) ||
        (freeSpace != nullptr && ::IsDialogMessageW(freeSpace, &message)) || ::IsDialogMessageW(window, &message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

int frmVesk::messageBox(const std::string& text, int style, const std::string& title) {
    // A path in the text shows as text: an unpaired surrogate as U+FFFD.
    return boxes_.show(window, widen(shownName(text)), style, widen(title));
}

std::string frmVesk::executableName() const {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return narrow(name.substr(0, name.rfind(L'.')));
}

void frmVesk::setMousePointer(int code) {
    waitPointer_ = code == kPointerHourglass;
    ::SetCursor(::LoadCursorW(nullptr, waitPointer_ ? IDC_WAIT : IDC_ARROW));
}

void frmVesk::showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    O_ShowProgressBar(Picture1.get(), lValue, lColor, dMaxValue);
}

// ---- what the commands' flow may do to the window ----

std::string frmVesk::pathBoxText() const {
    return captionOf(Fname);
}

void frmVesk::setPathText(const std::string& text) {
    ::SetWindowTextW(Fname, widen(text).c_str());
}

void frmVesk::setDestroyEnabled(bool enabled) {
    ::EnableWindow(Command2, enabled ? TRUE : FALSE);
}

void frmVesk::setTimerRunning(bool running) {
    if (running)
        ::SetTimer(window, kTimer1, static_cast<UINT>(design.timerIntervalMs), nullptr);
    else
        ::KillTimer(window, kTimer1);
    timerRunning_ = running;
}

std::string frmVesk::elapsedCaption() const {
    return captionOf(Label4);
}

void frmVesk::setElapsedCaption(const std::string& text) {
    setCaption(Label4, text);
}

void frmVesk::setEstimateCaption(const std::string& text) {
    setCaption(Label5, text);
}

std::string frmVesk::ShowOpenDialog(const std::string& sTitle, std::string& sFolder, const std::string& sInitFile,
                                    const std::string& sFilter, const std::string& sDefExt) {
    std::wstring folder = widen(sFolder);
    const std::wstring name =
        dialoge_.ShowOpenDialog(window, widen(sTitle), folder, widen(sInitFile), widen(sFilter), widen(sDefExt));
    if (name.empty())
        return {};
    sFolder = narrow(folder);
    return narrow(name);
}

void frmVesk::setCaption(HWND label, const std::string& caption) {
    ::SetWindowTextW(label, widen(caption).c_str());
    fitToText(label);
    if (label == Label1) {
        Picture1->repaint();
    } else {
        // A transparent label leaves its old text behind unless the window paints under it again.
        RECT area{};
        ::GetWindowRect(label, &area);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
        area.right += 40;
        ::RedrawWindow(window, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

// Labels are as large as their text; the percent label stays centred where the design put it.
void frmVesk::fitToText(HWND label) {
    const PixelRect percent = toPixels(design.Label1.rect);
    fitLabelToText(label, label == Label1 ? std::optional(percent.left + percent.width / 2) : std::nullopt);
}

std::string frmVesk::captionOf(HWND control) const {
    return textOf(control);
}

} // namespace kelvanter::win32ui
