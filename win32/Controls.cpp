#include "win32/Controls.h"

#include "platform/WideText.h"

#include <algorithm>

namespace kelvanter::win32ui {

HFONT designFont(const FontSpec& spec) {
    const DWORD family = spec.face == FontFace::FixedPitch ? DEFAULT_PITCH : DEFAULT_PITCH | FF_SWISS;
    return ::CreateFontW(-pointsToPixels(spec.points), 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, family,
                         win32::widen(faceName(spec.face)).c_str());
}

HWND createControl(HWND parent, const wchar_t* type, const ControlSpec& spec, DWORD style, int id, HFONT font,
                   DWORD exStyle) {
    const PixelRect place = toPixels(spec.rect);
    const DWORD shown =
        (spec.visible ? WS_VISIBLE : 0) | (spec.enabled ? 0 : WS_DISABLED) | (spec.tabIndex >= 0 ? WS_TABSTOP : 0);
    const HWND made = ::CreateWindowExW(
        exStyle, type, win32::widen(spec.caption).c_str(), WS_CHILD | shown | style, place.left, place.top, place.width,
        place.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    ::SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return made;
}

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
    ::SetWindowPos(label, nullptr, left, area.top, size.cx, std::max<int>(size.cy, 13), SWP_NOZORDER | SWP_NOACTIVATE);
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
