#pragma once

#include "window/ControlTable.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>
#include <cstdint>

// Controls made from their design, alike in every Qt window of the program.
namespace kelvanter {

void setTextColor(QWidget* widget, std::uint32_t text);

// Fills the widget's own background (buttons paint theirs in the Button role).
void setBackgroundColor(QWidget* widget, QPalette::ColorRole role, std::uint32_t background);

// The control's name, visibility and enabled state as designed.
template <typename Widget> Widget* named(Widget* widget, const ControlSpec& spec) {
    widget->setObjectName(spec.name);
    widget->setVisible(spec.visible);
    widget->setEnabled(spec.enabled);
    return widget;
}

// Labels are transparent and sized to their text, from their designed top-left corner.
QLabel* makeLabel(QWidget* parent, const ControlSpec& spec);

} // namespace kelvanter
