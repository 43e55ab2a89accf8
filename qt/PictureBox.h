#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

namespace kelvanter {

// A drawing surface that keeps what was painted on it, inside a sunken border.
// Drawing coordinates are twips from the top-left corner of the drawing area.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorderPixels = 2;

    explicit PictureBox(QWidget* parent = nullptr);

    // Fills the whole surface with the colour and so erases everything painted before.
    void setBackColor(std::uint32_t lColor);
    std::uint32_t backColor() const { return backColor_; }

    double outerWidthTwips() const;
    double outerHeightTwips() const;

    // Fills the rectangle between two corners, outline and inside in one colour; clipped to the surface.
    void fillRectTwips(double x1, double y1, double x2, double y2, std::uint32_t lColor);

    // The drawing area's own pixels, for anyone who needs to look at the bar.
    const QImage& surface() const { return surface_; }
    QRect drawingArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage surface_;
    std::uint32_t backColor_ = 0;
};

} // namespace kelvanter
