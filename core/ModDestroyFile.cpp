#include "core/ModDestroyFile.h"

#include "core/AsideFolder.h"
#include "core/HeldFolder.h"
#include "core/NameSlots.h"
#include "core/RandomText.h"
#include "core/RunRecords.h"
#include "platform/DiskNames.h"
#include "platform/PathParts.h"
#include "platform/Reasons.h"

#include <cstdio>

namespace kelvanter::modDestroyFile {

namespace {

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

} // namespace

bool FileExists(const SysResult<EntryStatus>& status) {
    return status.ok() && status.value.links > 0 && status.value.kind == EntryKind::Regular &&
           (status.value.attributes & kAttrSystem) == 0 && !status.value.unchangeable;
}

bool AttributesOk(std::uint32_t word) {
    // Later tests override earlier ones.
    bool ok = false;
    if (word & kAttrNormal)
        ok = true;
    if (word & kAttrArchive)
        ok = true;
    if (word & kAttrSystem)
        ok = false;
    if (word & kAttrHidden)
        ok = false;
    if (word & kAttrReadOnly)
        ok = false;
    if (word & kAttrTemporary)
        ok = false;
    return ok;
}

void ResetAttributes(DestructionServices& files, const FilePin& pin) {
    files.resetAttributes(pin.handle());
}

bool TruncateFile(DestructionServices& files, FileHandle written) {
    if (!files.cutToZero(written).ok())
        return false;
    const auto length = files.lengthOf(written);
    return length.ok() && length.value == 0;
}

std::string TemporaryName(const CalendarDay& date, const ClockReading& time) {
    return twoDigits(date.day) + twoDigits(date.month) + twoDigits(time.minute) + twoDigits(time.second) + ".del";
}

namespace {

// The private folder the file is moved into before it is deleted there, where no other user can
// put a file under the name that is deleted. Its name is random letters alone, so that no one can
// make it beforehand, and it tells nothing of when the program ran.
constexpr int kAsideFolderTries = 8;

// The private folder, recorded in the state folder before it is made, so that a kill at any moment
// leaves nothing a start would not find; held for this run alone, so that another window's start
// leaves it be. The record in `record`, the folder's name in `name`.
std::optional<HeldFolder> makeAsideFolder(DestructionServices& files, ProcessServices& process, HeldFolder& folder,
                                          const std::string& folderPath, std::string& name,
                                          std::optional<RunRecord>& record) {
    for (int attempt = 0; attempt < kAsideFolderTries; ++attempt) {
        name = asideFolderName();
        record.emplace(files, process, diskNames::kDisposalRecordsFolder,
                       pathParts::joined(folderPath, name, files.pathSeparators()), std::nullopt);
        int error = 0;
        if (auto made = folder.makePrivate(name, &error)) {
            made->lock();
            return made;
        }
        record.reset();
        if (reasonOf(error) != Reason::NameTaken)
            break;
    }
    return std::nullopt;
}

// A file found where the held one was expected goes back under the file's own name, else under
// the temporary name in the file's folder, else it stays where it is. Where it lies then.
std::string giveBack(HeldFolder& from, const std::string& temporary, HeldFolder& folder, const std::string& path,
                     const char* separators, const std::string& fallback) {
    const std::string name = pathParts::nameOf(path, separators);
    if (from.move(temporary, folder, name).ok())
        return path;
    if (&from != &folder && from.move(temporary, folder, temporary).ok())
        return pathParts::joined(pathParts::folderOf(path, separators), temporary, separators);
    return fallback;
}

} // namespace

namespace {

// Where the file system offers no rename that never replaces: the file, already cut to nothing,
// goes under its own name rather than stay.
// `at` is where the name lies, `own` whether it is the file's own.
KillResult deleteUnderItsName(HeldFolder& folder, const std::string& name, const std::string& at, bool own,
                              FilePin& pin, bool lastName) {
    if (!folder.names(name, pin.identity()))
        return {KillOutcome::Replaced, {}, at};
    if (lastName)
        pin.release();
    if (const SysStatus removed = folder.remove(name); !removed.ok())
        return {KillOutcome::DeleteFailed, own ? std::string() : at, {}, removed.error};
    return {folder.everyChangeFlushed() ? KillOutcome::Deleted : KillOutcome::DeletionUnflushed};
}

// The file's folder, held, and how to name what lies in it.
struct FileFolder {
    HeldFolder& held;
    const std::string& path;     // the folder's
    const std::string& filePath; // the file's own
    const char* separators;
    DeletedNames kept; // how the folder keeps deleted names
    bool lastName;     // the file is let go before the deletion; else another of its names follows
    std::string at(const std::string& name) const { return pathParts::joined(path, name, separators); }
};

// The file, now under `name` in its folder, moved under its temporary name into a private folder
// beside it (or within its folder) and deleted there.
KillResult moveAsideAndDelete(DestructionServices& files, ProcessServices& process, const FileFolder& in,
                              const std::string& name, const std::string& ownName, const std::string& temporary,
                              FilePin& pin) {
    HeldFolder& folder = in.held;
    const char* separators = in.separators;
    const auto inFolder = [&](const std::string& entry) { return in.at(entry); };
    const std::string& path = in.filePath;
    std::string asideName;
    std::optional<RunRecord> record;
    std::optional<HeldFolder> aside = makeAsideFolder(files, process, folder, in.path, asideName, record);
    HeldFolder& target = aside ? *aside : folder;
    const std::string temporaryPath = pathParts::joined(aside ? inFolder(asideName) : in.path, temporary, separators);
    // Its name, which tells when the program ran, goes through the same renames as the file's.
    const auto dropAside = [&] {
        if (!aside)
            return;
        const auto identity = aside->identity();
        aside->close();
        std::string name = asideName;
        if (identity.ok()) {
            const auto churned = overwriteNameSlots(folder, asideName, identity.value, in.kept, {process, in.path});
            name = churned.swapped ? asideName : churned.name;
        }
        folder.removeFolder(name);
    };
    const SysStatus moved = folder.move(name, target, temporary);
    if (reasonOf(moved.error) == Reason::Unsupported) {
        dropAside();
        if (folder.othersMayTakeNames())
            return {KillOutcome::LeftEmptied, inFolder(name)};
        return deleteUnderItsName(folder, name, inFolder(name), name == ownName, pin, in.lastName);
    }
    // Any other refusal (a sticky folder, a read-only one) leaves the emptied file where it is.
    if (!moved.ok()) {
        dropAside();
        // Under its own name, not under a neutral one no one would look for.
        if (name != ownName && !folder.renameInPlace(name, ownName).ok())
            return {KillOutcome::RenameFailed, inFolder(name), {}, moved.error};
        return {KillOutcome::RenameFailed, {}, {}, moved.error};
    }
    // Swapped between the look and the move: the stranger goes back, and nothing is deleted.
    if (!target.names(temporary, pin.identity())) {
        const std::string strangerAt = giveBack(target, temporary, folder, path, separators, temporaryPath);
        if (strangerAt != temporaryPath)
            dropAside();
        return {KillOutcome::Replaced, {}, strangerAt};
    }
    if (!aside && folder.othersMayTakeNames())
        return {KillOutcome::LeftEmptied, temporaryPath};
    // A file still held open is only marked for deletion on Windows, its name still there.
    if (in.lastName)
        pin.release();
    if (const SysStatus removed = target.remove(temporary); !removed.ok()) {
        if (record)
            record->keep(); // the emptied file stays in the private folder, for a later start
        return {KillOutcome::DeleteFailed, temporaryPath, {}, removed.error};
    }
    const bool lasts = target.everyChangeFlushed();
    dropAside();
    // A deletion the device was not seen to keep may come undone at a power cut.
    if (!lasts || !folder.everyChangeFlushed())
        return {KillOutcome::DeletionUnflushed};
    return {KillOutcome::Deleted};
}

} // namespace

KillResult RenameAndKill(DestructionServices& files, ProcessServices& process, Clock& clock, const FileName& at,
                         FilePin& pin, DeletedNames kept, bool lastName) {
    // The date first, then the time: never in the order a compiler happens to choose.
    const CalendarDay date = clock.currentDate();
    const ClockReading time = clock.currentTime();
    const std::string temporary = TemporaryName(date, time);
    const char* separators = files.pathSeparators();
    const std::string& path = at.path;
    const std::string folderPath = pathParts::folderOf(path, separators);
    HeldFolder folder = HeldFolder::borrowing(files, at.folder);
    if (!folder.isOpen())
        return {KillOutcome::RenameFailed, {}, {}, folder.openError()};
    const std::string& ownName = at.name;
    // Whatever the name names now, if not the held file, is left as it is.
    const auto named = folder.identityOf(ownName);
    if (!named.ok())
        return {KillOutcome::RenameFailed, {}, {}, named.error};
    if (named.value != pin.identity())
        return {KillOutcome::Replaced, {}, path};
    const FileFolder in{folder, folderPath, path, separators, kept, lastName};
    const OverwrittenName churned = overwriteNameSlots(folder, ownName, pin.identity(), kept, {process, folderPath});
    if (churned.swapped)
        return {
            KillOutcome::Replaced, {}, giveBack(folder, churned.name, folder, path, separators, in.at(churned.name))};
    KillResult killed = moveAsideAndDelete(files, process, in, churned.name, ownName, temporary, pin);
    killed.nameKept = !churned.complete;
    const bool gone = killed.outcome == KillOutcome::Deleted || killed.outcome == KillOutcome::DeletionUnflushed;
    if (gone && kept == DeletedNames::NtfsIndex)
        killed.nameKept = killed.nameKept || nameLeftInNtfsIndex(folder, ownName, {process, folderPath});
    return killed;
}

} // namespace kelvanter::modDestroyFile
