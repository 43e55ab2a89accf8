#pragma once

#include "window/ControlTable.h"

#include <optional>
#include <string>
#include <windows.h>

namespace kelvanter::win32ui {

// The design's font at 96 dots per inch; the sans-serif face with its family as a hint.
HFONT designFont(const FontSpec& spec);

// A child control made from its design: its caption, its place in pixels, and whether it is
// visible, enabled and a tab stop.
HWND createControl(HWND parent, const wchar_t* type, const ControlSpec& spec, DWORD style, int id, HFONT font,
                   DWORD exStyle = 0);

// Makes a static label exactly as large as its text in its font, from its top-left corner, or
// centred on `centre` (pixels of its parent) where given.
void fitLabelToText(HWND label, std::optional<int> centre = std::nullopt);

// Paints the window's Shape1: a frame `borderPixels` wide in the shape's colour round the
// background brush, behind the controls.
void paintShapeFrame(HWND window, const ControlSpec& shape, int borderPixels, HBRUSH inside);

// A control's text, as the core's WTF-8.
std::string textOf(HWND control);

} // namespace kelvanter::win32ui
