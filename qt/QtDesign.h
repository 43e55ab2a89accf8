#pragma once

#include "window/ControlTable.h"
#include "window/Twips.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QStringList>
#include <cstdint>

// The design's units, colours and fonts as Qt takes them; Qt's high-DPI scaling does the rest.
namespace kelvanter {

inline QRect twipsRect(const TwipsRect& twips) {
    const PixelRect pixels = toPixels(twips);
    return {pixels.left, pixels.top, pixels.width, pixels.height};
}

inline QColor colorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// Asks for the designed face, then for a face with its metrics; where neither is installed,
// fontconfig falls back to the system's family for the hint.
inline QFont designFont(const FontSpec& spec) {
    const bool fixed = spec.face == FontFace::FixedPitch;
    const QStringList families = fixed ? QStringList{faceName(spec.face), "Liberation Mono"}
                                       : QStringList{faceName(spec.face), "Liberation Sans", "Arial"};
    QFont font(families.front());
    font.setFamilies(families);
    font.setStyleHint(fixed ? QFont::TypeWriter : QFont::SansSerif);
    font.setPointSizeF(spec.points);
    font.setBold(spec.bold);
    return font;
}

} // namespace kelvanter
