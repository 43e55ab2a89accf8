#pragma once

#include "InfoLines.h"

#include <QStringList>

namespace kelvanter {

inline QStringList infoLines() {
    QStringList lines;
    for (const char* line : kInfoLines)
        lines << QString::fromUtf8(line);
    return lines;
}

} // namespace kelvanter
