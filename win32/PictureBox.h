#pragma once

#include <cstdint>
#include <windows.h>

namespace kelvanter::win32ui {

// A drawing surface with a sunken border that keeps what was drawn in a bitmap of its own, so a
// repaint shows it again. Colours are 0x00BBGGRR, which is also Windows' COLORREF.
class PictureBox {
public:
    static void registerClass(HINSTANCE instance);
    PictureBox(HWND parent, int x, int y, int width, int height, int id);
    ~PictureBox();
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    HWND handle() const { return window_; }
    std::uint32_t backColor() const { return backColor_; }
    // Fills the whole surface, erasing every rectangle drawn before.
    void setBackColor(std::uint32_t color);
    // A filled rectangle from (left, top) to (right, bottom), in twips of the surface.
    void fillRectTwips(double left, double top, double right, double bottom, std::uint32_t color);
    double outerWidthTwips() const;
    double outerHeightTwips() const;
    void repaint();

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    void fill(const RECT& area, std::uint32_t color);

    HWND window_ = nullptr;
    HDC surface_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t backColor_ = 0;
    int width_ = 0;
    int height_ = 0;
};

} // namespace kelvanter::win32ui
