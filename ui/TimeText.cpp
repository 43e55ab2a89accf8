#include "TimeText.h"

namespace kelvanter {

QString FormatTime(std::int32_t t) {
    return QString::fromStdString(formatTime(t));
}

} // namespace kelvanter
