#include "core/OverwriteProof.h"

#include "core/AlignedBytes.h"
#include "core/ServingPace.h"
#include "core/TransferPace.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace kelvanter {

namespace {

constexpr auto kBlock = static_cast<std::int64_t>(kBlockSize);

std::optional<Doubt> extentDoubt(const std::vector<Extent>& extents) {
    for (const Extent& extent : extents) {
        if (extent.flags & kExtentShared)
            return Doubt{DoubtKind::SharedBlocks, {}};
        if (extent.flags & kExtentEncoded)
            return Doubt{DoubtKind::Compressed, {}};
        if (extent.flags & kExtentInline)
            return Doubt{DoubtKind::InsideRecord, {}};
        if (extent.flags & kExtentUnknown)
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

// Whether all `size` bytes are `pattern`: the first block byte by byte, the rest as copies of it.
bool holdsOnly(const unsigned char* bytes, std::size_t size, unsigned char pattern) {
    const std::size_t first = std::min(size, kBlockSize);
    if (!std::all_of(bytes, bytes + first, [&](unsigned char byte) { return byte == pattern; }))
        return false;
    return size == first || std::memcmp(bytes, bytes + kBlockSize, size - kBlockSize) == 0;
}

// Whether every byte of [from, to) reads back from the device as `pattern`. The reads are whole
// blocks, as direct reads must be, paced as the passes' writes so that the window is served.
bool patternHeld(DestructionServices& files, Clock& clock, FileHandle written, DataRange range, unsigned char pattern,
                 const std::function<void()>& serveWindow) {
    const AlignedBytes buffer = alignedBytes(static_cast<std::size_t>(TransferPace::kLargestBatch) * kBlockSize);
    TransferPace pace;
    const std::int64_t to = range.offset + range.length;
    for (std::int64_t offset = range.offset; offset < to;) {
        const std::int64_t wanted = std::min(pace.blocks() * kBlock, to - offset);
        const std::int64_t blocks = (wanted + kBlock - 1) / kBlock;
        const std::int64_t start = clock.monotonicMicroseconds();
        const auto read =
            files.readFromDevice(written, offset, buffer.get(), static_cast<std::size_t>(blocks * kBlock));
        pace.record(blocks, clock.monotonicMicroseconds() - start);
        if (!read.ok() || read.value < wanted || !holdsOnly(buffer.get(), static_cast<std::size_t>(wanted), pattern))
            return false;
        offset += wanted;
        serveWindow();
    }
    return true;
}

bool within(const DataRange& part, const std::vector<DataRange>& whole) {
    return std::any_of(whole.begin(), whole.end(), [&](const DataRange& range) {
        return part.offset >= range.offset && part.offset + part.length <= range.offset + range.length;
    });
}

// What is to be read back: the whole file past what was proven already, or what was written of a
// sparse one, up to its end.
std::vector<DataRange> rangesToRead(const std::optional<std::vector<DataRange>>& sparseData, std::int64_t length,
                                    std::int64_t proven) {
    if (!sparseData)
        return {{proven, length - proven}};
    std::vector<DataRange> ranges;
    for (const DataRange& range : *sparseData) {
        if (range.offset < length)
            ranges.push_back({range.offset, std::min(range.length, length - range.offset)});
    }
    return ranges;
}

} // namespace

bool readsBackAlongside(DestructionServices& files, const StorageView& storage) {
    return files.readsAlongside() && (!storage.facts.ok() || storage.facts.value.media != MediaKind::Rotating);
}

SysStatus ReadBackWindows::wrote(FileHandle handle, std::int64_t end) {
    if (failed_ || end - flushedEnd_ < kWindowBytes)
        return {};
    if (const SysStatus flushed = files_.flushData(handle); !flushed.ok())
        return flushed;
    settle();
    if (failed_)
        return {};
    // A window ends after the batch that filled it, which is at most the largest batch long.
    if (!buffer_)
        buffer_ = alignedBytes(static_cast<std::size_t>(kWindowBytes + TransferPace::kLargestBatch * kBlock));
    reading_ = {flushedEnd_, end - flushedEnd_};
    inFlight_ =
        files_.startDeviceRead(handle, reading_.offset, buffer_.get(), static_cast<std::size_t>(reading_.length));
    flushedEnd_ = end;
    return {};
}

void ReadBackWindows::settle() {
    if (!inFlight_)
        return;
    // Half the serving pace at a time, so that a slow read never keeps the window waiting long.
    while (!files_.waitForDeviceRead(*inFlight_, kServeEveryMicroseconds / 2))
        serve_();
    const auto read = files_.awaitDeviceRead(*inFlight_);
    inFlight_.reset();
    if (read.ok() && read.value >= reading_.length &&
        holdsOnly(buffer_.get(), static_cast<std::size_t>(reading_.length), pattern_))
        provenEnd_ = reading_.offset + reading_.length;
    else
        failed_ = true;
}

StorageView StorageView::of(DestructionServices& files, ProcessServices& process, const FilePin& pin,
                            const std::string& path) {
    return {files.storageOf(pin.handle(), path), files.extentsOf(pin.handle()), process.holdersOf(pin.handle())};
}

WrittenState WrittenState::of(DestructionServices& files, FileHandle handle) {
    const auto status = files.statusOf(handle);
    const std::int64_t size = status.ok() ? status.value.size : -1;
    // Only what holds the file's bytes: a file system trims what it set aside past the end as it likes.
    auto extents = files.extentsOf(handle);
    std::vector<Extent> within;
    for (Extent extent : extents.value) {
        if (extent.logical >= size)
            continue;
        extent.length = std::min(extent.length, size - extent.logical);
        within.push_back(extent);
    }
    extents.value = within;
    return {size, status.value.modified, extents};
}

Doubts doubtsFrom(const StorageView& storage) {
    Doubts doubts;
    if (const auto placement = placementDoubt(storage))
        doubts.push_back(*placement);
    if (storage.holders == Holders::Others)
        doubts.push_back({DoubtKind::OpenElsewhere});
    if (storage.holders == Holders::Unknown)
        doubts.push_back({DoubtKind::HoldersUnknown});
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

OverwriteProof::OverwriteProof(const StorageView& before, std::int64_t originalLength)
    : doubts_(doubtsFrom(before)), originalLength_(originalLength) {
    // Data in a record of the file system's own has no place the passes' blocks could keep.
    const bool placed = before.extents.ok() && std::none_of(before.extents.value.begin(), before.extents.value.end(),
                                                            [](const Extent& e) { return e.flags & kExtentInline; });
    if (placed)
        extents_ = before.extents.value;
    if (before.facts.ok() && before.facts.value.readBackThroughDriver)
        throughDriver_ = before.facts.value.fileSystem;
}

bool OverwriteProof::writesElsewhere() const {
    return std::any_of(doubts_.begin(), doubts_.end(),
                       [](const Doubt& doubt) { return doubt.kind == DoubtKind::WritesElsewhere; });
}

Doubts OverwriteProof::failureAfter(DestructionServices& files, Clock& clock, FileHandle written,
                                    unsigned char lastPattern, const std::optional<std::vector<DataRange>>& sparseData,
                                    const ReadBackWindows* windows, const std::function<void()>& serveWindow) const {
    if (extents_) {
        const auto after = files.extentsOf(written);
        if (!after.ok())
            return {{DoubtKind::LocationUnknown, {}}};
        // Where the file system was known to write elsewhere, that is the reason, whatever the size.
        if (!stillInPlace(*extents_, after.value, originalLength_))
            return writesElsewhere() ? doubts_ : Doubts{{DoubtKind::BlocksMoved, {}}};
    }
    const auto length = files.lengthOf(written);
    if (!length.ok())
        return {{DoubtKind::LocationUnknown, {}}};
    if (sparseData) {
        const auto now = files.dataRangesOf(written);
        if (!now.ok())
            return {{DoubtKind::LocationUnknown, {}}};
        if (!std::all_of(now.value.begin(), now.value.end(),
                         [&](const DataRange& r) { return within(r, *sparseData); }))
            return {{DoubtKind::WrittenMeanwhile, {}}};
    }
    if (windows && windows->failed())
        return {{DoubtKind::ReadBackDiffers, {}}};
    const std::int64_t proven = windows ? std::min(windows->provenEnd(), length.value) : 0;
    for (const DataRange& range : rangesToRead(sparseData, length.value, proven)) {
        if (!patternHeld(files, clock, written, range, lastPattern, serveWindow))
            return {{DoubtKind::ReadBackDiffers, {}}};
    }
    // What cannot be measured from here (a journal, copy-on-write) still stands against the proof.
    Doubts remaining = doubts_;
    if (throughDriver_)
        remaining.push_back({DoubtKind::ReadBackThroughDriver, *throughDriver_});
    return remaining;
}

} // namespace kelvanter
