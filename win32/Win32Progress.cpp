#include "win32/Win32Progress.h"

#include "platform/WideText.h"
#include "win32/Controls.h"
#include "win32/TopLevelWindow.h"
#include "window/Palette.h"
#include "window/ProgressBarGeometry.h"

namespace kelvanter::win32ui {

namespace {

HWND label(HWND parent, const ControlSpec& spec, int id, HFONT font, DWORD alignment = SS_LEFTNOWORDWRAP) {
    return createControl(parent, L"STATIC", spec, alignment | SS_NOPREFIX, id, font);
}

} // namespace

Win32Progress::Win32Progress(HWND window, MessageBoxSeam& boxes, const ProgressRowDesign& design, int firstId)
    : window_(window), boxes_(boxes), design_(design) {
    font_ = designFont({});
    boldFont_ = designFont(design.Label1.font);
    PictureBox::registerClass(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window, GWLP_HINSTANCE)));
    const PixelRect bar = toPixels(design.Picture1.rect);
    Picture1 = std::make_unique<PictureBox>(window, bar.left, bar.top, bar.width, bar.height, firstId);
    Picture1->setBackColor(design.Picture1.backColor);
    Label1 = label(Picture1->handle(), design.Label1, firstId + 1, boldFont_, SS_CENTER);
    Label4 = label(window, design.Label4, firstId + 2, font_);
    Label5 = label(window, design.Label5, firstId + 3, font_);
    Label6 = label(window, design.Label6, firstId + 4, font_);
    Label7 = label(window, design.Label7, firstId + 5, font_);
    for (const HWND text : {Label4, Label5, Label6, Label7})
        fitLabelToText(text);
    fitLabelToText(Label1, centreOfPercent());
}

Win32Progress::~Win32Progress() {
    ::DeleteObject(font_);
    ::DeleteObject(boldFont_);
}

// Labels are as large as their text; the percent label stays centred where the design put it.
int Win32Progress::centreOfPercent() const {
    const PixelRect percent = toPixels(design_.Label1.rect);
    return percent.left + percent.width / 2;
}

void Win32Progress::setCaption(HWND label, const std::string& caption) {
    ::SetWindowTextW(label, win32::widen(caption).c_str());
    if (label == Label1) {
        fitLabelToText(label, centreOfPercent());
        Picture1->repaint();
        return;
    }
    fitLabelToText(label);
    // A transparent label leaves its old text behind unless the window paints under it again.
    RECT area{};
    ::GetWindowRect(label, &area);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
    area.right += 40;
    ::RedrawWindow(window_, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32Progress::setPercentCaption(const std::string& caption) {
    setCaption(Label1, caption);
}

void Win32Progress::setBarBackground(std::uint32_t lColor) {
    Picture1->setBackColor(lColor);
}

void Win32Progress::showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    drawProgressBar(*Picture1, lValue, lColor, dMaxValue);
}

void Win32Progress::setTimerRunning(bool running) {
    if (running)
        ::SetTimer(window_, kTimer1, static_cast<UINT>(design_.timerIntervalMs), nullptr);
    else
        ::KillTimer(window_, kTimer1);
    timerRunning_ = running;
}

std::string Win32Progress::elapsedCaption() const {
    return textOf(Label4);
}

void Win32Progress::setElapsedCaption(const std::string& text) {
    setCaption(Label4, text);
}

void Win32Progress::setEstimateCaption(const std::string& text) {
    setCaption(Label5, text);
}

void Win32Progress::setMousePointer(int code) {
    waitPointer_ = code == kPointerHourglass;
    ::SetCursor(::LoadCursorW(nullptr, waitPointer_ ? IDC_WAIT : IDC_ARROW));
}

void Win32Progress::processEvents() {
    pumpPendingMessages();
}

int Win32Progress::messageBox(const std::string& text, int style, const std::string& title) {
    return boxes_.show(window_, win32::widen(text), style, win32::widen(title));
}

bool showWaitPointer(const Win32Progress& progress) {
    if (!progress.isWaitPointer())
        return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

} // namespace kelvanter::win32ui
