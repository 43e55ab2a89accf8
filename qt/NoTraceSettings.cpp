#include "qt/NoTraceSettings.h"

#include <QSettings>

namespace kelvanter {

void keepQtSettingsOutOfHome() {
    // No folder can be made below /dev/null, so the settings are neither read nor written.
    const QString nowhere = "/dev/null";
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

} // namespace kelvanter
