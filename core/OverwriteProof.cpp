#include "core/OverwriteProof.h"

#include <algorithm>
#include <memory>
#include <new>

namespace kelvanter {

namespace {

constexpr std::int64_t kReadBackBlocks = 256;

std::optional<Doubt> extentDoubt(const std::vector<Extent>& extents) {
    for (const Extent& extent : extents) {
        if (extent.flags & kExtentShared)
            return Doubt{DoubtKind::SharedBlocks, {}};
        if (extent.flags & kExtentEncoded)
            return Doubt{DoubtKind::Compressed, {}};
        if (extent.flags & (kExtentInline | kExtentUnknown))
            return Doubt{DoubtKind::LocationUnknown, {}};
    }
    return std::nullopt;
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

// Where the file system keeps the data: the doubt about the place itself.
std::optional<Doubt> placementDoubt(const StorageView& storage) {
    if (!storage.facts.ok())
        return Doubt{DoubtKind::LocationUnknown, {}};
    const StorageFacts& facts = storage.facts.value;
    switch (facts.kind) {
    case StorageKind::Remote:
        return Doubt{DoubtKind::NetworkOrOverlay, facts.fileSystem};
    case StorageKind::CopyOnWrite:
        // Marked no-copy-on-write, a file is overwritten in place, as long as no other file shares its blocks.
        if (!facts.noCopyOnWrite || !storage.extents.ok())
            return Doubt{DoubtKind::WritesElsewhere, facts.fileSystem};
        break;
    case StorageKind::Unknown:
        return Doubt{DoubtKind::LocationUnknown, {}};
    case StorageKind::InPlace:
    case StorageKind::MemoryOnly:
        break;
    }
    if (facts.journalsData)
        return Doubt{DoubtKind::JournalsContents, {}};
    // Without extents, a file system that overwrites in place rests on the read-back.
    if (storage.extents.ok())
        return extentDoubt(storage.extents.value);
    return std::nullopt;
}

struct AlignedFree {
    void operator()(unsigned char* memory) const { ::operator delete[](memory, std::align_val_t(kBlockSize)); }
};

// Whether every block at `offsets` reads back from the device as `pattern`.
bool patternHeld(DestructionServices& files, FileHandle written, const std::vector<std::int64_t>& offsets,
                 unsigned char pattern) {
    const std::unique_ptr<unsigned char[], AlignedFree> block(
        static_cast<unsigned char*>(::operator new[](kBlockSize, std::align_val_t(kBlockSize))));
    for (const std::int64_t offset : offsets) {
        const auto read = files.readFromDevice(written, offset, block.get(), kBlockSize);
        if (!read.ok() || read.value != static_cast<std::int64_t>(kBlockSize) ||
            !std::all_of(block.get(), block.get() + kBlockSize, [&](unsigned char byte) { return byte == pattern; }))
            return false;
    }
    return true;
}

} // namespace

StorageView StorageView::of(DestructionServices& files, const FilePin& pin, const std::string& path) {
    return {files.storageOf(pin.handle(), path), files.extentsOf(pin.handle()), files.isOpenElsewhere(pin.handle())};
}

Doubts doubtsFrom(const StorageView& storage) {
    Doubts doubts;
    if (const auto placement = placementDoubt(storage))
        doubts.push_back(*placement);
    if (storage.openElsewhere)
        doubts.push_back({DoubtKind::OpenElsewhere});
    if (!storage.facts.ok())
        return doubts;
    const StorageFacts& facts = storage.facts.value;
    if (facts.media == MediaKind::Flash)
        doubts.push_back({DoubtKind::Flash, {}, facts.encryptedBelow});
    if (facts.synchronised)
        doubts.push_back({DoubtKind::SyncedFolder, facts.syncProvider});
    return doubts;
}

bool freeSpaceHoldsOldCopies(const StorageView& storage) {
    return storage.facts.ok() &&
           (storage.facts.value.kind == StorageKind::CopyOnWrite || storage.facts.value.journalsData);
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

OverwriteProof::OverwriteProof(const StorageView& before, std::int64_t originalLength)
    : doubts_(doubtsFrom(before)), originalLength_(originalLength) {
    if (before.extents.ok())
        extents_ = before.extents.value;
}

Doubts OverwriteProof::failureAfter(DestructionServices& files, FileHandle written, unsigned char lastPattern) const {
    if (extents_) {
        const auto after = files.extentsOf(written);
        if (!after.ok())
            return {{DoubtKind::LocationUnknown, {}}};
        if (!stillInPlace(*extents_, after.value, originalLength_))
            return {{DoubtKind::BlocksMoved, {}}};
    }
    const auto length = files.lengthOf(written);
    if (!length.ok())
        return {{DoubtKind::LocationUnknown, {}}};
    if (!patternHeld(files, written, readBackOffsets(length.value, kBlockSize), lastPattern))
        return {{DoubtKind::ReadBackDiffers, {}}};
    // What cannot be measured from here (a journal, copy-on-write) still stands against the proof.
    return doubts_;
}

} // namespace kelvanter
