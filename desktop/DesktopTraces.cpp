#include "desktop/DesktopTraces.h"

#include "desktop/TraceRemoval.h"

namespace kelvanter {

void DesktopTraces::removeTracesOf(const std::string& path) {
    // Thumbnails are named after the file's full path.
    const std::string absolute = traces::absolutePathOf(files_, path);
    if (!absolute.empty())
        traces::removeTracesOf(files_, records_, process_, clock_, traces::TraceLocations::fromEnvironment(), absolute);
}

} // namespace kelvanter
