#include "core/FillFolder.h"

#include "platform/DiskNames.h"

namespace kelvanter {

namespace {

bool startsWith(const std::string& name, const char* prefix) {
    return name.rfind(prefix, 0) == 0;
}

} // namespace

bool isFillFolderName(const std::string& name) {
    return startsWith(name, diskNames::kFillFolderPrefix);
}

void removeFillFiles(HeldFolder& fill) {
    for (const std::string& name : fill.names()) {
        if (startsWith(name, diskNames::kFillFilePrefix) || name == diskNames::kProbeName)
            fill.removeUnflushed(name);
    }
    fill.flush();
}

void removeFill(HeldFolder& parent, HeldFolder& fill, const std::string& name) {
    removeFillFiles(fill);
    fill.close();
    parent.removeFolder(name);
}

int removeLeftoverFills(HeldFolder& folder) {
    int removed = 0;
    for (const std::string& name : folder.names()) {
        if (!isFillFolderName(name))
            continue;
        HeldFolder fill(folder, name);
        // Another run's, or no fill folder at all (a link, a file).
        if (!fill.isOpen() || !fill.lock().ok())
            continue;
        removeFill(folder, fill, name);
        ++removed;
    }
    return removed;
}

} // namespace kelvanter
