#include "ProgramSetup.h"

#include "GermanTranslations.h"
#include "NoTraceSettings.h"

namespace kelvanter {

void prepareApplication(QCoreApplication& application) {
    installGermanTranslations(application);
    keepQtSettingsOutOfHome();
}

} // namespace kelvanter
