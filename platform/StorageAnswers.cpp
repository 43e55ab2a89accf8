#include "platform/StorageAnswers.h"

namespace kelvanter::storageAnswers {

namespace {

bool matches(const std::string& name, const std::string& prefix, const std::string& suffix) {
    return name.size() >= prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

MediaKind mediaFromWindows(std::optional<bool> seekPenalty, std::optional<int> busType, bool removable,
                           bool underWine) {
    if (underWine)
        return MediaKind::Unknown;
    const bool flashBus =
        busType && (*busType == kBusUsb || *busType == kBusSd || *busType == kBusMmc || *busType == kBusNvme);
    if ((seekPenalty && !*seekPenalty) || flashBus || removable)
        return MediaKind::Flash;
    return seekPenalty ? MediaKind::Rotating : MediaKind::Unknown;
}

std::optional<std::string> syncProviderFromWindows(std::uint32_t attributes,
                                                   const std::optional<std::string>& rootProvider) {
    if (rootProvider)
        return rootProvider;
    const std::uint32_t managed = kAttrOffline | kAttrPinned | kAttrUnpinned | kAttrRecallOnDataAccess;
    if ((attributes & managed) != 0 && attributes != kAttrQueryFailed)
        return std::string();
    return std::nullopt;
}

std::string syncProviderFromEntries(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (matches(name, ".sync_", ".db") || matches(name, "._sync_", ".db"))
            return "Nextcloud";
        if (name == ".dropbox.cache" || name == ".dropbox")
            return "Dropbox";
        if (name == ".stfolder")
            return "Syncthing";
    }
    return {};
}

} // namespace kelvanter::storageAnswers
