#include "ProgramSetup.h"

#include "GermanTranslations.h"
#include "NoTraceSettings.h"
#include "TraceRemoval.h"

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
