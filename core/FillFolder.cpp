#include "core/FillFolder.h"

#include "platform/DiskNames.h"

namespace kelvanter {

namespace {

bool startsWith(const std::string& name, const char* prefix) {
    return name.rfind(prefix, 0) == 0;
}

bool allOf(const std::string& text, const char* alphabet) {
    return !text.empty() && text.find_first_not_of(alphabet) == std::string::npos;
}

// The names the fill itself makes: its numbered files, the churn's long random names, the probe.
bool isFillFileName(const std::string& name) {
    if (name == diskNames::kProbeName)
        return true;
    if (!startsWith(name, diskNames::kFillFilePrefix))
        return false;
    const std::string rest = name.substr(std::string(diskNames::kFillFilePrefix).size());
    return allOf(rest, "0123456789") ||
           (name.size() == kChurnNameLength && allOf(rest, "abcdefghijklmnopqrstuvwxyz0123456789"));
}

} // namespace

bool isFillFolderName(const std::string& name) {
    return startsWith(name, diskNames::kFillFolderPrefix);
}

void removeFillFiles(HeldFolder& fill) {
    for (const std::string& name : fill.names()) {
        if (!isFillFileName(name))
            continue;
        // Only a file of the fill's making: a regular file of this user's, never a link or a folder.
        const auto status = fill.statusOf(name);
        if (status.ok() && status.value.kind == EntryKind::Regular && status.value.ours)
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
