#include "core/FreeSpace.h"

#include "core/FillFolder.h"
#include "core/FillPattern.h"
#include "core/MetadataChurn.h"
#include "core/RunRecords.h"
#include "core/ServingPace.h"
#include "core/TransferPace.h"
#include "platform/DiskNames.h"
#include "platform/PathParts.h"
#include "platform/Reasons.h"

#include <algorithm>

namespace kelvanter {

namespace {

constexpr std::size_t kBlock = kBlockSize;
constexpr std::int64_t kLargestFillFile = std::int64_t{1} << 30; // below FAT32's 4 GiB
constexpr std::int64_t kFirstSmallFile = 1 << 20;

bool noRoom(int error) {
    return reasonOf(error) == Reason::NoRoom;
}

// What the file system under the held fill folder is, asked of an empty file made there for the purpose.
StorageFacts storageOfFolder(FillServices& files, HeldFolder& fill, const std::string& fillPath) {
    const auto made = fill.createFile(diskNames::kProbeName);
    if (!made.ok())
        return {};
    const auto facts =
        files.storageOf(made.value, pathParts::joined(fillPath, diskNames::kProbeName, files.pathSeparators()));
    files.close(made.value);
    fill.removeUnflushed(diskNames::kProbeName);
    return facts.value;
}

class FillRun {
public:
    FillRun(const FillContext& context, HeldFolder& fill) : context_(context), fill_(fill), serving_(context.clock) {}

    // Large files until the file system is full, then ever smaller ones down to one block.
    FillReport fill() {
        FillReport report;
        int error = 0;
        while (error == 0)
            error = writeFile(kLargestFillFile);
        for (std::int64_t size = kFirstSmallFile; noRoom(error) && size >= static_cast<std::int64_t>(kBlock);
             size /= 2) {
            while ((error = writeFile(size)) == 0) {
            }
            if (!noRoom(error))
                break;
        }
        report.written = context_.counters.done;
        report.filesMade = filesMade_;
        const bool full = noRoom(error);
        const bool cancelled = reasonOf(error) == Reason::Cancelled;
        report.end = cancelled ? FillEnd::Cancelled : full ? FillEnd::Done : FillEnd::Failed;
        if (report.end == FillEnd::Done && report.written == 0)
            report.end = FillEnd::NothingFree; // full before the first block
        report.error = full || cancelled ? 0 : error;
        return report;
    }

    // Empty files, each in a free record of its own, where NTFS keeps the names and contents of
    // small files deleted earlier, until the table of records has to grow for one: none is free
    // then. Before the data, which would leave no room for the fill folder's index. Whether every
    // free record was taken, and how many.
    std::pair<bool, int> takeFreeRecords(const std::string& fillPath) {
        FillServices& files = context_.files;
        const auto table = files.fileRecordsOf(fillPath);
        int taken = 0;
        while (table.ok() && !serveIfDue() && createFillFile().ok()) {
            files.close(createdLast_);
            ++taken;
            const auto now = files.fileRecordsOf(fillPath);
            if (!now.ok())
                break;
            if (now.value > table.value)
                return {true, taken};
        }
        return {false, taken};
    }

private:
    // Our own private folder holds no other names: a name said to be taken is a full file system
    // refusing a new file, as ntfs-3g says once its MFT can take no more records.
    SysResult<FileHandle> createFillFile() {
        auto opened = fill_.createFile(diskNames::kFillFilePrefix + std::to_string(++filesMade_));
        if (reasonOf(opened.error) == Reason::NameTaken)
            opened.error = ENOSPC;
        createdLast_ = opened.value;
        return opened;
    }

    // One fill file of up to `size` bytes, flushed: 0 when it was written whole, else why it stopped.
    int writeFile(std::int64_t size) {
        const auto opened = createFillFile();
        if (!opened.ok())
            return opened.error;
        FillServices& files = context_.files;
        const int error = writeInto(opened.value, size);
        const SysStatus flushed = files.flushData(opened.value);
        files.close(opened.value);
        return error != 0 ? error : flushed.error;
    }

    int writeInto(FileHandle handle, std::int64_t size) {
        std::int64_t offset = 0;
        while (offset < size) {
            if (serveIfDue())
                return kRunCancelled;
            const std::int64_t blocks = std::min<std::int64_t>(pace_.blocks(), (size - offset) / kBlock);
            const auto bytes = static_cast<std::size_t>(blocks) * kBlock;
            Clock& clock = context_.clock;
            const std::int64_t start = clock.monotonicMicroseconds();
            const auto written = context_.files.writeData(handle, pattern_.next(), bytes, offset);
            pace_.record(blocks, clock.monotonicMicroseconds() - start);
            offset += written.value;
            context_.counters.done += written.value;
            showPercent();
            if (!written.ok())
                return written.error;
        }
        return 0;
    }

    // Serves the window when it is due; true when the user asked to cancel meanwhile.
    bool serveIfDue() {
        serving_.serveIfDue([this] { context_.progress.serve(); });
        return context_.progress.cancelAsked();
    }

    // A step for each whole percent, 1 to 99: 100 is for the end, once the fill is gone.
    void showPercent() {
        const FillCounters& counters = context_.counters;
        const std::int64_t total = std::max<std::int64_t>(counters.total, 1);
        const auto percent = static_cast<std::int32_t>(std::clamp<std::int64_t>(counters.done * 100 / total, 1, 99));
        if (percent != percent_) {
            percent_ = percent;
            context_.progress.advance(percent / 100.0);
        }
    }

    const FillContext& context_;
    HeldFolder& fill_;
    FillPattern pattern_;
    TransferPace pace_;
    ServingPace serving_;
    std::int32_t percent_ = 0;
    int filesMade_ = 0;
    FileHandle createdLast_ = kNoHandle;
};

// Where the fill was not even begun: nothing to fill, or no fill folder to be made there.
FillReport notBegun(int error) {
    FillReport report;
    report.end = reasonOf(error) == Reason::Busy ? FillEnd::Busy
                 : noRoom(error)                 ? FillEnd::NothingFree
                                                 : FillEnd::Failed;
    report.error = report.end == FillEnd::Failed ? error : 0;
    return report;
}

// The names a fill made, churned through the file system's log of its metadata.
void churnNames(const FillContext& context, HeldFolder& fill, const std::string& fillPath, FillReport& report) {
    // The space freed again gives the churn of names room for its folder blocks.
    removeFillFiles(fill);
    const ChurnReport churned = churnMetadataLog(context, fill, fillPath, diskNames::kFillFilePrefix);
    report.namesInLog = churned.names;
    report.churnLogged = churned.logged;
    report.churnMicroseconds = churned.microseconds;
}

// Fills through the fill folder `name` in the chosen folder, and deletes the fill again however
// the run ends.
FillReport fillThrough(const FillContext& context, HeldFolder& chosen, HeldFolder& fill, const std::string& folder,
                       const std::string& name) {
    if (const SysStatus locked = fill.lock(); !locked.ok()) {
        removeFill(chosen, fill, name);
        return notBegun(locked.error);
    }
    FillServices& files = context.files;
    const std::string fillPath = pathParts::joined(folder, name, files.pathSeparators());
    const RunRecord record(files, context.process, diskNames::kRecordsFolder, fillPath, fill.identity().value);
    if (!record.written()) {
        // A kill would leave the disk full for good, with nothing to find the fill by.
        removeFill(chosen, fill, name);
        FillReport report;
        report.end = FillEnd::NoRecord;
        report.error = record.error();
        return report;
    }
    const StorageFacts storage = storageOfFolder(files, fill, fillPath);
    FillRun run(context, fill);
    const auto [recordsReached, recordsTaken] =
        storage.deletedNames == DeletedNames::NtfsIndex ? run.takeFreeRecords(fillPath) : std::pair<bool, int>{};
    FillReport report = run.fill();
    report.storage = storage;
    report.recordsReached = recordsReached;
    report.recordsTaken = recordsTaken;
    // What is still free with the fill in place is what no file of this process could take.
    const auto full = files.spaceOf(folder);
    report.unreached = full.ok() && report.end == FillEnd::Done ? full.value.free : 0;
    if (report.end == FillEnd::Done)
        churnNames(context, fill, fillPath, report);
    removeFill(chosen, fill, name);
    return report;
}

// Fills the free space through a new fill folder in the held chosen folder.
FillReport fillFrom(const FillContext& context, HeldFolder& chosen, const std::string& folder) {
    FillServices& files = context.files;
    // Freed blocks (btrfs's after its next commit) count as free only once committed.
    files.flushFileSystem(folder);
    const auto before = files.spaceOf(folder);
    if (!before.ok())
        return notBegun(before.error);
    if (before.value.available < static_cast<std::int64_t>(kBlock))
        return notBegun(ENOSPC);
    context.counters = {before.value.available, 0};
    const std::string name = diskNames::kFillFolderPrefix + std::to_string(context.clock.monotonicMicroseconds());
    int error = 0;
    std::optional<HeldFolder> fill = chosen.makePrivate(name, &error);
    FillReport report = fill ? fillThrough(context, chosen, *fill, folder, name) : notBegun(error);
    files.flushFileSystem(folder);
    return report;
}

} // namespace

FillReport overwriteFreeSpace(const FillContext& context, const std::string& folder) {
    FillServices& files = context.files;
    // One fill at a time on a file system: a second would only take the first one's space.
    const auto fileSystem = files.lockFileSystemOf(folder);
    if (!fileSystem.ok())
        return notBegun(fileSystem.error);
    HeldFolder chosen(files, folder);
    FillReport report = notBegun(chosen.openError());
    int leftovers = 0;
    if (chosen.isOpen()) {
        leftovers = removeLeftoverFills(chosen);
        report = fillFrom(context, chosen, folder);
    }
    files.close(fileSystem.value);
    report.leftoversRemoved = leftovers;
    return report;
}

} // namespace kelvanter
