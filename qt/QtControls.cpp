#include "qt/QtControls.h"

#include "qt/QtDesign.h"

namespace kelvanter {

void setTextColor(QWidget* widget, std::uint32_t text) {
    QPalette colors = widget->palette();
    colors.setColor(QPalette::WindowText, colorFromBgr(text));
    colors.setColor(QPalette::Text, colorFromBgr(text));
    widget->setPalette(colors);
}

void setBackgroundColor(QWidget* widget, QPalette::ColorRole role, std::uint32_t background) {
    QPalette colors = widget->palette();
    colors.setColor(role, colorFromBgr(background));
    widget->setPalette(colors);
    widget->setBackgroundRole(role);
    widget->setAutoFillBackground(true);
}

QLabel* makeLabel(QWidget* parent, const ControlSpec& spec) {
    auto* label = named(new QLabel(spec.caption, parent), spec);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setTextFormat(Qt::PlainText);
    label->setFont(designFont(spec.font));
    setTextColor(label, spec.textColor);
    label->move(twipsToPixels(spec.rect.left), twipsToPixels(spec.rect.top));
    label->adjustSize();
    return label;
}

} // namespace kelvanter
