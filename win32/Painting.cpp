#include "Painting.h"

#include "win32/WidePath.h"

#include <algorithm>

namespace kelvanter::win32ui {

void fitLabelToText(HWND label, std::optional<int> centre) {
    const int length = ::GetWindowTextLengthW(label);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(label, text.data(), length + 1);
    const HDC dc = ::GetDC(label);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), length, &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(label, dc);
    RECT area{};
    ::GetWindowRect(label, &area);
    ::MapWindowPoints(nullptr, ::GetParent(label), reinterpret_cast<POINT*>(&area), 2);
    const int left = centre ? *centre - size.cx / 2 : area.left;
    // A few pixels to spare: the control draws its text a little wider than the measure under Wine.
    ::SetWindowPos(label, nullptr, left, area.top, size.cx + 4, std::max<int>(size.cy, 13),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void paintShapeFrame(HWND window, const ControlSpec& shape, int borderPixels, HBRUSH inside) {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window, &paint);
    const HPEN pen = ::CreatePen(PS_INSIDEFRAME, borderPixels, shape.textColor);
    const HGDIOBJ oldPen = ::SelectObject(dc, pen);
    const HGDIOBJ oldBrush = ::SelectObject(dc, inside);
    const PixelRect frame = toPixels(shape.rect);
    ::Rectangle(dc, frame.left, frame.top, frame.left + frame.width, frame.top + frame.height);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
    ::EndPaint(window, &paint);
}

std::string textOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return win32::narrow(text);
}

} // namespace kelvanter::win32ui
