#include "qt/PictureBox.h"

#include "qt/PictureBoxAccessible.h"
#include "qt/QtDesign.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cmath>

namespace kelvanter {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    installPictureBoxAccessibility();
}

QRect PictureBox::drawingArea() const {
    return rect().adjusted(kBorderPixels, kBorderPixels, -kBorderPixels, -kBorderPixels);
}

void PictureBox::setBackColor(std::uint32_t lColor) {
    backColor_ = lColor;
    surface_.fill(colorFromBgr(lColor));
    update();
}

double PictureBox::outerWidthTwips() const {
    return static_cast<double>(width()) * kTwipsPerPixel;
}

double PictureBox::outerHeightTwips() const {
    return static_cast<double>(height()) * kTwipsPerPixel;
}

void PictureBox::fillRectTwips(double x1, double y1, double x2, double y2, std::uint32_t lColor) {
    // Both corners belong to the rectangle, as with a filled box drawn between two points.
    const int left = twipsToPixels(std::min(x1, x2));
    const int right = twipsToPixels(std::max(x1, x2));
    const int top = twipsToPixels(std::min(y1, y2));
    const int bottom = twipsToPixels(std::max(y1, y2));
    const QRect box = QRect(QPoint(left, top), QPoint(right, bottom)).intersected(surface_.rect());
    if (box.isEmpty())
        return;
    QPainter painter(&surface_);
    painter.fillRect(box, colorFromBgr(lColor));
}

void PictureBox::resizeEvent(QResizeEvent*) {
    QImage resized(drawingArea().size(), QImage::Format_RGB32);
    resized.fill(colorFromBgr(backColor_));
    QPainter(&resized).drawImage(0, 0, surface_);
    surface_ = resized;
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(drawingArea().topLeft(), surface_);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = kBorderPixels;
    frame.midLineWidth = 0;
    frame.state |= QStyle::State_Sunken;
    frame.frameShape = QFrame::Panel;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
}

} // namespace kelvanter
