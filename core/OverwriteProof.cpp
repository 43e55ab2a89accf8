#include "core/OverwriteProof.h"

#include <algorithm>

namespace kelvanter {

namespace {

constexpr std::int64_t kReadBackBlocks = 256;

const char* extentDoubt(const std::vector<Extent>& extents) {
    for (const Extent& extent : extents) {
        if (extent.flags & kExtentShared)
            return proofReasons::kSharedBlocks;
        if (extent.flags & kExtentEncoded)
            return proofReasons::kCompressed;
        if (extent.flags & (kExtentInline | kExtentUnknown))
            return proofReasons::kLocationUnknown;
    }
    return nullptr;
}

// Whether [from, to) of `after` is mapped with the device offset `shift` (physical - logical) throughout.
bool coveredWithShift(const std::vector<Extent>& after, std::int64_t from, std::int64_t to, std::int64_t shift) {
    std::int64_t reached = from;
    for (const Extent& extent : after) {
        const std::int64_t end = extent.logical + extent.length;
        if (extent.logical > reached || end <= reached)
            continue;
        if (extent.physical - extent.logical != shift)
            return false;
        reached = end;
        if (reached >= to)
            return true;
    }
    return reached >= to;
}

} // namespace

std::string proofReasons::writesElsewhere(const std::string& fileSystem) {
    return "das Dateisystem " + fileSystem + " schreibt geänderte Daten an eine neue Stelle";
}

std::string proofReasons::onNetworkOrOverlay(const std::string& fileSystem) {
    return "sie liegt auf einem Netz- oder Overlay-Dateisystem (" + fileSystem + ")";
}

std::string proofReasons::onFlash(bool encrypted) {
    return std::string("sie liegt auf einem Flash-Datenträger (SSD, USB-Stick oder Speicherkarte), der geänderte Daten "
                       "an neue Stellen schreibt und alte Kopien zurückbehalten kann") +
           (encrypted ? " (diese Kopien sind verschlüsselt)" : "");
}

std::string proofReasons::inSyncedFolder(const std::string& provider) {
    return "sie liegt in einem Ordner, den " + provider +
           " mit anderen Rechnern oder einem Server abgleicht; dort können Kopien, frühere Fassungen und ein "
           "Papierkorb "
           "erhalten bleiben";
}

namespace {

// Where the file system keeps the data: the doubt about the place itself.
std::optional<std::string> placementDoubt(const SysResult<StorageFacts>& facts,
                                          const SysResult<std::vector<Extent>>& extents) {
    if (!facts.ok())
        return proofReasons::kLocationUnknown;
    const StorageFacts& storage = facts.value;
    switch (storage.kind) {
    case StorageKind::Remote:
        return proofReasons::onNetworkOrOverlay(storage.fileSystem);
    case StorageKind::CopyOnWrite:
        // Marked no-copy-on-write, a file is overwritten in place, as long as no other file shares its blocks.
        if (!storage.noCopyOnWrite || !extents.ok())
            return proofReasons::writesElsewhere(storage.fileSystem);
        break;
    case StorageKind::Unknown:
        return proofReasons::kLocationUnknown;
    case StorageKind::InPlace:
    case StorageKind::MemoryOnly:
        break;
    }
    if (storage.journalsData)
        return proofReasons::kJournalsContents;
    // Without extents, a file system that overwrites in place rests on the read-back.
    if (extents.ok())
        if (const char* doubt = extentDoubt(extents.value))
            return doubt;
    return std::nullopt;
}

} // namespace

std::optional<std::string> doubtFrom(const SysResult<StorageFacts>& facts,
                                     const SysResult<std::vector<Extent>>& extents) {
    std::vector<std::string> reasons;
    if (const auto placement = placementDoubt(facts, extents))
        reasons.push_back(*placement);
    if (facts.ok() && facts.value.media == MediaKind::Flash)
        reasons.push_back(proofReasons::onFlash(facts.value.encryptedBelow));
    if (facts.ok() && !facts.value.syncProvider.empty())
        reasons.push_back(proofReasons::inSyncedFolder(facts.value.syncProvider));
    if (reasons.empty())
        return std::nullopt;
    std::string joined = reasons.front();
    for (std::size_t i = 1; i < reasons.size(); ++i)
        joined += ", und " + reasons[i];
    return joined;
}

std::optional<std::string> InPlaceOverwriteDoubt(FileServices& files, const std::string& path,
                                                 const FileIdentity& identity) {
    return doubtFrom(files.storageOf(path, identity), files.extentsOf(path, identity));
}

bool stillInPlace(const std::vector<Extent>& before, const std::vector<Extent>& after, std::int64_t length) {
    return std::all_of(before.begin(), before.end(), [&](const Extent& extent) {
        const std::int64_t to = std::min(extent.logical + extent.length, length);
        return extent.logical >= to || coveredWithShift(after, extent.logical, to, extent.physical - extent.logical);
    });
}

std::vector<std::int64_t> readBackOffsets(std::int64_t fileLength, std::int64_t blockSize) {
    const std::int64_t blocks = fileLength / blockSize;
    std::vector<std::int64_t> offsets;
    if (blocks <= kReadBackBlocks) {
        for (std::int64_t block = 0; block < blocks; ++block)
            offsets.push_back(block * blockSize);
        return offsets;
    }
    for (std::int64_t k = 0; k < kReadBackBlocks; ++k)
        offsets.push_back(k * (blocks - 1) / (kReadBackBlocks - 1) * blockSize);
    return offsets;
}

OverwriteProof OverwriteProof::before(FileServices& files, const std::string& path, const FileIdentity& identity,
                                      std::int64_t originalLength) {
    OverwriteProof proof;
    const auto extents = files.extentsOf(path, identity);
    proof.doubt_ = doubtFrom(files.storageOf(path, identity), extents);
    if (extents.ok())
        proof.extents_ = extents.value;
    proof.originalLength_ = originalLength;
    return proof;
}

std::optional<std::string> OverwriteProof::failureAfter(FileServices& files, const std::string& path,
                                                        const FileIdentity& identity, unsigned char lastPattern) const {
    if (extents_) {
        const auto after = files.extentsOf(path, identity);
        if (!after.ok())
            return proofReasons::kLocationUnknown;
        if (!stillInPlace(*extents_, after.value, originalLength_))
            return proofReasons::kBlocksMoved;
    }
    const auto status = files.inspect(path);
    if (!status.ok())
        return proofReasons::kLocationUnknown;
    constexpr std::size_t kBlock = 4096;
    const auto read = files.readFromDevice(path, identity, readBackOffsets(status.value.size, kBlock), kBlock);
    const bool patternHeld = read.ok() && std::all_of(read.value.begin(), read.value.end(),
                                                      [&](unsigned char byte) { return byte == lastPattern; });
    if (!patternHeld)
        return proofReasons::kReadBackDiffers;
    // What cannot be measured from here (a journal, copy-on-write) still stands against the proof.
    return doubt_;
}

} // namespace kelvanter
