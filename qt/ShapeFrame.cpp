#include "qt/ShapeFrame.h"

#include "qt/QtDesign.h"

#include <QPainter>

namespace kelvanter {

ShapeFrame::ShapeFrame(std::uint32_t borderColor, std::uint32_t fillColor, int borderWidth, QWidget* parent)
    : QWidget(parent), borderColor_(borderColor), fillColor_(fillColor), borderWidth_(borderWidth) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), colorFromBgr(borderColor_));
    painter.fillRect(rect().adjusted(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_),
                     colorFromBgr(fillColor_));
}

} // namespace kelvanter
