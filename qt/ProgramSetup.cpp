#include "qt/ProgramSetup.h"

#include "desktop/TraceRemoval.h"
#include "qt/GermanTranslations.h"
#include "qt/NoTraceSettings.h"

namespace kelvanter {

void DesktopTraces::removeTracesOf(const std::string& path) {
    // Thumbnails are named after the file's full path.
    const std::string absolute = traces::absolutePathOf(files_, path);
    if (!absolute.empty())
        traces::removeTracesOf(files_, clock_, traces::TraceLocations::fromEnvironment(), absolute);
}

void prepareApplication(QCoreApplication& application) {
    installGermanTranslations(application);
    keepQtSettingsOutOfHome();
}

} // namespace kelvanter
