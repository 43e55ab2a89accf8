#include "qt/ProgramSetup.h"

#include "qt/GermanTranslations.h"
#include "qt/NoTraceSettings.h"

namespace kelvanter {

void prepareApplication(QCoreApplication& application) {
    installGermanTranslations(application);
    keepQtSettingsOutOfHome();
}

} // namespace kelvanter
