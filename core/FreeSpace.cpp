#include "core/FreeSpace.h"

#include "core/MetadataChurn.h"
#include "core/ServingPace.h"
#include "core/TransferPace.h"
#include "platform/PathParts.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace kelvanter {

namespace {

constexpr std::size_t kBlock = kBlockSize;
constexpr std::size_t kChunk = TransferPace::kLargestBatch * kBlock;
constexpr std::int64_t kLargestFillFile = std::int64_t{1} << 30; // below FAT32's 4 GiB
constexpr std::int64_t kFirstSmallFile = 1 << 20;

struct AlignedDelete {
    void operator()(unsigned char* memory) const { ::operator delete[](memory, std::align_val_t(kBlock)); }
};

// Pseudo-random bytes, aligned for direct writes. Each chunk written gets a serial number in the
// first bytes of every block, so no two blocks are alike: nothing to compress or deduplicate.
class FillPattern {
public:
    FillPattern() : bytes_(static_cast<unsigned char*>(::operator new[](kChunk, std::align_val_t(kBlock)))) {
        std::uint64_t state = 0x9E3779B97F4A7C15ull;
        for (std::size_t at = 0; at < kChunk; at += 8) {
            // splitmix64
            std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            std::memcpy(bytes_.get() + at, &z, 8);
        }
    }
    const unsigned char* next() {
        ++serial_;
        for (std::size_t at = 0; at < kChunk; at += kBlock)
            std::memcpy(bytes_.get() + at, &serial_, sizeof serial_);
        return bytes_.get();
    }

private:
    std::unique_ptr<unsigned char[], AlignedDelete> bytes_;
    std::uint64_t serial_ = 0;
};

constexpr const char* kFillFilePrefix = "fuellung-";
constexpr const char* kProbeName = "probe";
// The records of running fills, one file each in the user's state folder, named as the fill's folder.
constexpr const char* kRecordsFolder = "fuellungen";

// Deletes the fill's own files in a fill folder.
void removeFillFiles(FillServices& files, const std::string& fill) {
    const auto names = files.listFolder(fill);
    for (const std::string& name : names.value) {
        if (name.rfind(kFillFilePrefix, 0) == 0 || name == kProbeName)
            files.removeFile(pathParts::joined(fill, name, files.pathSeparators()));
    }
}

// Deletes the fill's own files in a fill folder, lets go of it, and removes it.
void removeFill(FillServices& files, const std::string& fill, FileHandle lock) {
    removeFillFiles(files, fill);
    files.close(lock);
    files.removeEmptyFolder(fill);
}

// What the program remembers of a fill while it runs, so that a start after a kill finds it again.
class FillRecord {
public:
    FillRecord(FillServices& files, const std::string& fill) : files_(files) {
        const auto state = files.stateFolder();
        if (!state.ok())
            return;
        const char* separators = files.pathSeparators();
        const std::string folder = pathParts::joined(state.value, kRecordsFolder, separators);
        files.createPrivateFolder(folder);
        const std::string record = pathParts::joined(folder, pathParts::nameOf(fill, separators), separators);
        const auto absolute = files.absolutePath(fill);
        if (absolute.ok() && files.createSmallFile(record, absolute.value).ok())
            path_ = record;
    }
    ~FillRecord() {
        if (!path_.empty())
            files_.removeFile(path_);
    }
    FillRecord(const FillRecord&) = delete;
    FillRecord& operator=(const FillRecord&) = delete;

private:
    FillServices& files_;
    std::string path_;
};

// What the file system under a folder is, asked of an empty file made there for the purpose.
StorageFacts storageOfFolder(FillServices& files, const std::string& folder) {
    const std::string probe = pathParts::joined(folder, kProbeName, files.pathSeparators());
    const auto made = files.createNewFile(probe);
    if (!made.ok())
        return {};
    const auto facts = files.storageOf(made.value, probe);
    files.close(made.value);
    files.removeFile(probe);
    return facts.value;
}

bool fileSystemFull(int error) {
    return error == ENOSPC || error == EFBIG || error == kQuotaExceeded;
}

class FillRun {
public:
    FillRun(FillServices& files, Clock& clock, FreeSpaceWatcher& watcher, FillCounters& counters,
            std::string fillFolder)
        : files_(files), clock_(clock), watcher_(watcher), counters_(counters), fill_(std::move(fillFolder)),
          serving_(clock) {}

    // Large files until the file system is full, then ever smaller ones down to one block.
    FillReport fill() {
        FillReport report;
        int error = 0;
        while (error == 0)
            error = writeFile(kLargestFillFile);
        for (std::int64_t size = kFirstSmallFile; fileSystemFull(error) && size >= static_cast<std::int64_t>(kBlock);
             size /= 2) {
            while ((error = writeFile(size)) == 0) {
            }
            if (!fileSystemFull(error))
                break;
        }
        report.written = counters_.done;
        report.filesMade = filesMade_;
        const bool full = fileSystemFull(error);
        report.end = error == ECANCELED ? FillEnd::Cancelled : full ? FillEnd::Done : FillEnd::Failed;
        if (report.end == FillEnd::Done && report.written == 0)
            report.end = FillEnd::NothingFree; // full before the first block
        report.error = full || error == ECANCELED ? 0 : error;
        return report;
    }

private:
    // One fill file of up to `size` bytes, flushed: 0 when it was written whole, else why it stopped.
    int writeFile(std::int64_t size) {
        const std::string path =
            pathParts::joined(fill_, kFillFilePrefix + std::to_string(++filesMade_), files_.pathSeparators());
        const auto opened = files_.createNewFile(path);
        if (!opened.ok())
            return opened.error;
        const int error = writeInto(opened.value, size);
        const SysStatus flushed = files_.flushData(opened.value);
        files_.close(opened.value);
        return error != 0 ? error : flushed.error;
    }

    int writeInto(FileHandle handle, std::int64_t size) {
        std::int64_t offset = 0;
        while (offset < size) {
            if (serveIfDue())
                return ECANCELED;
            const std::int64_t blocks = std::min<std::int64_t>(pace_.blocks(), (size - offset) / kBlock);
            const auto bytes = static_cast<std::size_t>(blocks) * kBlock;
            const std::int64_t start = clock_.monotonicMicroseconds();
            const auto written = files_.writeData(handle, pattern_.next(), bytes, offset);
            pace_.record(blocks, clock_.monotonicMicroseconds() - start);
            offset += written.value;
            counters_.done += written.value;
            showPercent();
            if (!written.ok())
                return written.error;
        }
        return 0;
    }

    // Serves the window when it is due; true when the user asked to cancel meanwhile.
    bool serveIfDue() {
        serving_.serveIfDue([this] { watcher_.processEvents(); });
        return watcher_.cancelRequested();
    }

    void showPercent() {
        const std::int64_t total = std::max<std::int64_t>(counters_.total, 1);
        const auto percent = static_cast<std::int32_t>(std::clamp<std::int64_t>(counters_.done * 100 / total, 1, 99));
        if (percent != percent_) {
            percent_ = percent;
            watcher_.setPercent(percent);
        }
    }

    FillServices& files_;
    Clock& clock_;
    FreeSpaceWatcher& watcher_;
    FillCounters& counters_;
    std::string fill_;
    FillPattern pattern_;
    TransferPace pace_;
    ServingPace serving_;
    std::int32_t percent_ = 0;
    int filesMade_ = 0;
};

} // namespace

int removeLeftoverFills(FillServices& files, const std::string& folder) {
    int removed = 0;
    const auto names = files.listFolder(folder);
    for (const std::string& name : names.value) {
        if (name.rfind(kFillFolderPrefix, 0) != 0)
            continue;
        const std::string fill = pathParts::joined(folder, name, files.pathSeparators());
        const auto held = files.lockFolder(fill);
        if (!held.ok())
            continue; // another run's, or no fill folder at all
        removeFill(files, fill, held.value);
        ++removed;
    }
    return removed;
}

std::vector<std::string> removeKilledFills(FillServices& files) {
    const auto state = files.stateFolder();
    if (!state.ok())
        return {};
    const char* separators = files.pathSeparators();
    const std::string folder = pathParts::joined(state.value, kRecordsFolder, separators);
    std::vector<std::string> removed;
    for (const std::string& name : files.listFolder(folder).value) {
        const std::string record = pathParts::joined(folder, name, separators);
        const auto fill = files.readSmallFile(record, 65536);
        // Only a fill folder is ever removed, whatever a record says.
        if (!fill.ok() || pathParts::nameOf(fill.value, separators).rfind(kFillFolderPrefix, 0) != 0) {
            files.removeFile(record);
            continue;
        }
        const auto held = files.lockFolder(fill.value);
        if (held.ok()) {
            removeFill(files, fill.value, held.value);
            removed.push_back(fill.value);
        } else if (held.error == EBUSY || files.listFolder(pathParts::folderOf(fill.value, separators)).error != 0) {
            continue; // a run of this program's fills it now, or its file system is not there
        }
        files.removeFile(record);
    }
    return removed;
}

namespace {

// Where the fill was not even begun: nothing to fill, or no fill folder to be made there.
FillReport notBegun(int error) {
    FillReport report;
    report.end = fileSystemFull(error) ? FillEnd::NothingFree : FillEnd::Failed;
    report.error = fileSystemFull(error) ? 0 : error;
    return report;
}

// Fills through the locked fill folder, and deletes the fill again however the run ends.
FillReport fillThrough(FillServices& files, Clock& clock, FreeSpaceWatcher& watcher, const std::string& folder,
                       const std::string& fill, FillCounters& counters) {
    const auto held = files.lockFolder(fill);
    if (!held.ok()) {
        files.removeEmptyFolder(fill);
        FillReport report = notBegun(held.error);
        report.end = held.error == EBUSY ? FillEnd::Busy : report.end;
        return report;
    }
    const FillRecord record(files, fill);
    const StorageFacts storage = storageOfFolder(files, fill);
    FillReport report = FillRun(files, clock, watcher, counters, fill).fill();
    report.storage = storage;
    // What is still free with the fill in place is what no file of this process could take.
    const auto full = files.spaceOf(folder);
    report.unreached = full.ok() && report.end == FillEnd::Done ? full.value.free : 0;
    if (report.end == FillEnd::Done) {
        // The space freed again gives the churn of names room for its folder blocks.
        removeFillFiles(files, fill);
        const ChurnReport churned = churnMetadataLog(files, clock, watcher, fill, kFillFilePrefix);
        report.namesInLog = churned.names;
        report.churnLogged = churned.logged;
        report.churnMicroseconds = churned.microseconds;
    }
    removeFill(files, fill, held.value);
    return report;
}

} // namespace

FillReport overwriteFreeSpace(FillServices& files, Clock& clock, FreeSpaceWatcher& watcher, const std::string& folder,
                              FillCounters& counters) {
    // One fill at a time on a file system: a second would only take the first one's space.
    const auto fileSystem = files.lockFileSystemOf(folder);
    if (!fileSystem.ok()) {
        FillReport report = notBegun(fileSystem.error);
        report.end = fileSystem.error == EBUSY ? FillEnd::Busy : report.end;
        return report;
    }
    const int leftovers = removeLeftoverFills(files, folder);
    // Freed blocks (btrfs's after its next commit) count as free only once committed.
    files.flushFileSystem(folder);
    const auto before = files.spaceOf(folder);
    FillReport report;
    if (!before.ok()) {
        report = notBegun(before.error);
    } else if (before.value.available < static_cast<std::int64_t>(kBlock)) {
        report = notBegun(ENOSPC);
    } else {
        counters = {before.value.available, 0};
        const std::string fill = pathParts::joined(
            folder, kFillFolderPrefix + std::to_string(clock.monotonicMicroseconds()), files.pathSeparators());
        const SysStatus made = files.createPrivateFolder(fill);
        report = made.ok() ? fillThrough(files, clock, watcher, folder, fill, counters) : notBegun(made.error);
        files.flushFileSystem(folder);
    }
    files.close(fileSystem.value);
    report.leftoversRemoved = leftovers;
    return report;
}

} // namespace kelvanter
