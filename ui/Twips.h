#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdint>

namespace kelvanter {

// The window is designed in twips, 15 to a logical pixel; Qt's high-DPI scaling does the rest.
inline constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// Colours are kept as 0x00BBGGRR values.
inline QColor colorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// Asks for the designed face, then for a face with its metrics; where neither is installed,
// fontconfig falls back to the system's family for the hint.
inline QFont designFont(const QStringList& families, double points, bool bold, QFont::StyleHint hint) {
    QFont font(families.front());
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

inline QFont sansSerifFont(double points = 8.25, bool bold = false) {
    return designFont({"MS Sans Serif", "Liberation Sans", "Arial"}, points, bold, QFont::SansSerif);
}

inline QFont fixedPitchFont(double points = 8.25) {
    return designFont({"Courier New", "Liberation Mono"}, points, false, QFont::TypeWriter);
}

} // namespace kelvanter
