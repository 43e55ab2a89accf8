#include "win32/frmVesk.h"

#include "platform/WideText.h"
#include "win32/ControlIds.h"
#include "win32/Controls.h"
#include "win32/HandOver.h"
#include "win32/Resources.h"
#include "win32/frmKelvanterInfo.h"
#include "window/ControlTable.h"
#include "window/ListTexts.h"
#include "window/PathText.h"
#include "window/ProgressBarGeometry.h"

#include <algorithm>
#include <commctrl.h>
#include <shellapi.h>

namespace kelvanter::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"KelvanterMain";
const MainWindowDesign& design = kMainWindow;

using win32::narrow;
using win32::widen;

} // namespace

frmVesk::frmVesk(HINSTANCE instance, MessageBoxSeam& boxes, FileDialogSeam& dialogs, DestructionServices& files,
                 FillServices& fill, ProcessServices& process, Clock& clock, FolderDialogSeam& folders)
    : boxes_(boxes), dialoge_(dialogs), fill_(fill), process_(process), clock_(clock), folders_(folders) {
    createWindowFor(this, instance, kClassName, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)), design.form,
                    kFixedWindowStyle | WS_CLIPCHILDREN);
    buildControls(instance);
    flow_ = std::make_unique<VeskFlow>(*progress_, *this, files, process, clock, noTraces_);
    ::DragAcceptFiles(window, TRUE);
}

frmVesk::~frmVesk() {
    infoWindow_.reset();
    if (::IsWindow(window))
        ::DestroyWindow(window);
    for (const HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(destroyFont_),
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
            reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window, GWLP_HINSTANCE)), boxes_, folders_, fill_, process_,
            clock_);
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
    case WM_COPYDATA:
        return onHandOver(*reinterpret_cast<const COPYDATASTRUCT*>(l));
    case WM_TIMER:
        if (w == Win32Progress::kTimer1 && flow_)
            Timer1_Timer();
        return 0;
    case WM_CLOSE:
        // A disabled window can still be asked to close (Alt+F4, the taskbar): never end mid-run.
        // Nor while the free-space window fills the disk: that run is cancelled and deletes its fill first.
        if (freeSpaceWindow_ && freeSpaceWindow_->flow().isRunInProgress())
            freeSpaceWindow_->flow().cancelFill();
        else if (!flow_->isRunInProgress())
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
        if (progress_ && showWaitPointer(*progress_))
            return TRUE;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, w, l);
}

// The dropped files, by their exact UTF-16 names.
void frmVesk::onDrop(HDROP drop) {
    if (!flow_->isRunInProgress()) {
        std::vector<std::string> paths;
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
            std::wstring path(length + 1, L'\0');
            path.resize(::DragQueryFileW(drop, i, path.data(), length + 1));
            if (!path.empty())
                paths.push_back(narrow(path));
        }
        if (!paths.empty())
            flow_->takeDroppedFiles(paths);
    }
    ::DragFinish(drop);
}

void frmVesk::gatherHandedOverFiles() {
    handOver::gatherInto(window);
}

// A disabled window is in a run or behind a box (the question among them): a file added then
// would escape the question, so the start that brought it opens its own window instead.
LRESULT frmVesk::onHandOver(const COPYDATASTRUCT& data) {
    const auto paths = handOver::filesIn(data);
    if (!paths || !::IsWindowEnabled(window) || !flow_->addFilesFromCommandLine(*paths))
        return FALSE;
    ::SetForegroundWindow(window);
    return handOver::kTaken;
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

// ---- what the commands' flow may do to the window ----

void frmVesk::setWindowEnabled(bool enabled) {
    ::EnableWindow(window, enabled ? TRUE : FALSE);
}

bool frmVesk::isOptionSelected(int index) const {
    return ::SendMessageW(Option1.at(static_cast<std::size_t>(index)), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void frmVesk::setSuccessLabelVisible(bool visible) {
    ::ShowWindow(Label3, visible ? SW_SHOW : SW_HIDE);
}

std::string frmVesk::executableName() const {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return narrow(name.substr(0, name.rfind(L'.')));
}

std::string frmVesk::pathBoxText() const {
    return textOf(Fname);
}

void frmVesk::setPathText(const std::string& text) {
    ::SetWindowTextW(Fname, widen(text).c_str());
}

void frmVesk::setDestroyEnabled(bool enabled) {
    ::EnableWindow(Command2, enabled ? TRUE : FALSE);
}

// Several files' every exact name, one per line, over the path box that shows them in short.
void frmVesk::setPathToolTip(const std::string& text) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(Fname);
    ::SendMessageW(toolTips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    if (!text.empty())
        addToolTip(Fname, text.c_str());
}

void frmVesk::showFileAtHand(const std::string& name) {
    ::SetWindowTextW(window, widen(listTexts::titleWithFile(design.form.caption, name)).c_str());
}

std::vector<std::string> frmVesk::ShowOpenDialog(const std::string& sTitle, std::string& sFolder, const std::string&,
                                                 const std::string& sFilter, const std::string& sDefExt) {
    std::wstring folder = widen(sFolder);
    const std::vector<std::wstring> names =
        dialoge_.ShowOpenFilesDialog(window, widen(sTitle), folder, widen(sFilter), widen(sDefExt));
    std::vector<std::string> chosen;
    for (const std::wstring& name : names)
        chosen.push_back(narrow(name));
    if (!chosen.empty())
        sFolder = narrow(folder);
    return chosen;
}

} // namespace kelvanter::win32ui
