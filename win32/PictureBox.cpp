#include "win32/PictureBox.h"

#include "window/Twips.h"

namespace kelvanter::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"KelvanterPictureBox";

} // namespace

void PictureBox::registerClass(HINSTANCE instance) {
    WNDCLASSW type{};
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = kClassName;
    ::RegisterClassW(&type);
}

PictureBox::PictureBox(HWND parent, int x, int y, int width, int height, int id) {
    window_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width,
                                height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    RECT client{};
    ::GetClientRect(window_, &client);
    width_ = client.right;
    height_ = client.bottom;
    const HDC screen = ::GetDC(window_);
    surface_ = ::CreateCompatibleDC(screen);
    bitmap_ = ::CreateCompatibleBitmap(screen, width_, height_);
    ::ReleaseDC(window_, screen);
    previous_ = ::SelectObject(surface_, bitmap_);
}

PictureBox::~PictureBox() {
    ::SelectObject(surface_, previous_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(surface_);
}

void PictureBox::fill(const RECT& area, std::uint32_t color) {
    const HBRUSH brush = ::CreateSolidBrush(color);
    ::FillRect(surface_, &area, brush);
    ::DeleteObject(brush);
}

void PictureBox::setBackColor(std::uint32_t color) {
    backColor_ = color;
    fill({0, 0, width_, height_}, color);
    repaint();
}

void PictureBox::fillRectTwips(double left, double top, double right, double bottom, std::uint32_t color) {
    fill({twipsToPixels(left), twipsToPixels(top), twipsToPixels(right), twipsToPixels(bottom)}, color);
}

double PictureBox::outerWidthTwips() const {
    RECT outer{};
    ::GetWindowRect(window_, &outer);
    return (outer.right - outer.left) * kTwipsPerPixel;
}

double PictureBox::outerHeightTwips() const {
    RECT outer{};
    ::GetWindowRect(window_, &outer);
    return (outer.bottom - outer.top) * kTwipsPerPixel;
}

void PictureBox::repaint() {
    // The percent label inside is painted over the surface, so it is drawn again with it.
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT CALLBACK PictureBox::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* box = reinterpret_cast<PictureBox*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        if (box != nullptr) {
            PAINTSTRUCT paint{};
            const HDC target = ::BeginPaint(window, &paint);
            ::BitBlt(target, 0, 0, box->width_, box->height_, box->surface_, 0, 0, SRCCOPY);
            ::EndPaint(window, &paint);
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        // The percent label: white on the bar, which shows through.
        ::SetTextColor(reinterpret_cast<HDC>(w), RGB(255, 255, 255));
        ::SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    default:
        break;
    }
    return ::DefWindowProcW(window, message, w, l);
}

} // namespace kelvanter::win32ui
