#include "core/RunRecords.h"

#include "core/AsideFolder.h"
#include "core/FillFolder.h"
#include "core/NameSlots.h"
#include "platform/DiskNames.h"
#include "platform/PathParts.h"
#include "platform/Reasons.h"

#include <sstream>

namespace kelvanter {

namespace {

constexpr std::size_t kLongestRecord = 65536;

// The folder of the records of a kind in the user's state folder, made where it is missing, and its
// path in `path`; or why not.
std::optional<HeldFolder> recordsFolder(FolderServices& files, ProcessServices& process, const char* kind, int& error,
                                        std::string* path = nullptr) {
    const auto state = process.stateFolder();
    error = state.error;
    if (!state.ok())
        return std::nullopt;
    if (path != nullptr)
        *path = pathParts::joined(state.value, kind, files.pathSeparators());
    HeldFolder folder(files, state.value);
    error = folder.openError();
    if (!folder.isOpen())
        return std::nullopt;
    if (auto made = folder.makePrivate(kind, &error))
        return made;
    if (reasonOf(error) != Reason::NameTaken)
        return std::nullopt;
    HeldFolder records(folder, kind);
    error = records.openError();
    if (!records.isOpen())
        return std::nullopt;
    return records;
}

// A record: the folder's absolute path on its first line (as earlier versions wrote it alone),
// then its device and inode ("-" for a folder recorded before it was made), then what else the run
// notes of it, then "disk " and the file system's own identity, where the system tells it.
struct Record {
    std::string path;
    std::optional<FileIdentity> identity;
    std::string note;
    std::optional<std::string> disk;
};

constexpr const char* kDiskLine = "disk ";

std::string recordText(const std::string& path, const std::optional<FileIdentity>& identity, const std::string& note,
                       const std::optional<std::string>& disk) {
    const std::string identityLine =
        identity ? std::to_string(identity->device) + " " + std::to_string(identity->inode) : std::string("-");
    return path + "\n" + identityLine + "\n" + note + "\n" + (disk ? kDiskLine + *disk + "\n" : std::string());
}

Record recordFrom(const std::string& text) {
    std::istringstream lines(text);
    Record record;
    std::getline(lines, record.path);
    std::string line;
    if (std::getline(lines, line)) {
        std::istringstream numbers(line);
        FileIdentity identity;
        if (numbers >> identity.device >> identity.inode)
            record.identity = identity;
    }
    while (std::getline(lines, line)) {
        if (line.rfind(kDiskLine, 0) == 0)
            record.disk = line.substr(std::string(kDiskLine).size());
        else if (record.note.empty())
            record.note = line;
    }
    return record;
}

// The disk that holds the folder at the path now, or else its folder's; nothing where the system
// cannot tell.
std::optional<std::string> diskAt(FolderServices& files, const std::string& path) {
    for (const std::string& at : {path, pathParts::folderOf(path, files.pathSeparators())}) {
        const HeldFolder folder(files, at);
        if (!folder.isOpen())
            continue;
        const auto disk = files.diskOf(folder.handle());
        return disk.ok() ? std::optional<std::string>(disk.value) : std::nullopt;
    }
    return std::nullopt;
}

// Whether the disk at the record's folder now is another than the one the record was made on: the
// record waits for its own.
bool anotherDiskAt(const HeldFolder& parent, const Record& record) {
    if (!record.disk || !parent.isOpen())
        return false;
    const auto now = parent.files().diskOf(parent.handle());
    return now.ok() && now.value != *record.disk;
}

// Whether the record's disk is known to be the one at the folder now.
bool sameDiskAt(const HeldFolder& parent, const Record& record) {
    if (!record.disk || !parent.isOpen())
        return false;
    const auto now = parent.files().diskOf(parent.handle());
    return now.ok() && now.value == *record.disk;
}

enum class Cleanup { Removed, Waiting, Kept, Dropped };

// Whether the record names, by an absolute path and with its identity, a folder of the program's
// own kind: no other is ever touched, whatever a record says.
bool namesOwnFolder(FolderServices& files, const Record& record, bool (*isOwnName)(const std::string&)) {
    return files.absolutePath(record.path).value == record.path &&
           isOwnName(pathParts::nameOf(record.path, files.pathSeparators()));
}

// Whether the held folder is the record's fill folder. The same folder by device and inode; or,
// where the disk came back under another device number (a stick plugged in again, a reboot; FAT
// numbers its inodes anew at each mount too), a folder of this user's under the fill's name.
bool isRecordedFill(const HeldFolder& parent, const std::string& name, const HeldFolder& fill,
                    const FileIdentity& recorded) {
    const auto identity = fill.identity();
    if (!identity.ok())
        return false;
    if (identity.value == recorded)
        return true;
    const auto status = parent.statusOf(name);
    return identity.value.device != recorded.device && status.ok() && status.value.ours;
}

// The fill folder the record names, removed where it is that folder and no run holds it.
// Waiting where the disk it lay on is not there now; dropped where the fill is gone.
Cleanup removeKilledFill(FolderServices& files, const Record& record) {
    if (!record.identity || !namesOwnFolder(files, record, isFillFolderName))
        return Cleanup::Dropped;
    const char* separators = files.pathSeparators();
    const std::string name = pathParts::nameOf(record.path, separators);
    HeldFolder parent(files, pathParts::folderOf(record.path, separators));
    const auto parentIdentity = parent.identity();
    if (!parent.isOpen() || !parentIdentity.ok())
        return Cleanup::Waiting;
    // Another disk at the path is another disk: the record waits for its own.
    if (anotherDiskAt(parent, record))
        return Cleanup::Waiting;
    HeldFolder fill(parent, name);
    if (!fill.isOpen()) {
        // Gone from its own disk. Where the record cannot tell its disk: on another file system, an
        // empty folder is the disk's mount point standing alone, the disk away; a folder with
        // entries is the disk back under another device number, without the fill.
        const bool sameFileSystem = parentIdentity.value.device == record.identity->device;
        const bool mountPointAlone = !sameFileSystem && parent.names().empty() && !sameDiskAt(parent, record);
        return mountPointAlone && reasonOf(fill.openError()) == Reason::NoFileThere ? Cleanup::Waiting
                                                                                    : Cleanup::Dropped;
    }
    if (!isRecordedFill(parent, name, fill, *record.identity))
        return Cleanup::Dropped;
    if (const SysStatus locked = fill.lock(); !locked.ok())
        return reasonOf(locked.error) == Reason::Busy ? Cleanup::Kept : Cleanup::Dropped;
    removeFill(parent, fill, name);
    return Cleanup::Removed;
}

// Every record of a kind, handed to `clean`, which says what became of the folder it names; a
// record whose folder is kept or waits stays.
template <typename Clean>
void cleanUpRecords(FolderServices& files, ProcessServices& process, const char* kind, Clean&& clean) {
    int error = 0;
    std::string recordsPath;
    std::optional<HeldFolder> records = recordsFolder(files, process, kind, error, &recordsPath);
    if (!records)
        return;
    const char* separators = files.pathSeparators();
    for (const std::string& name : records->names()) {
        const auto text = files.readSmallFile(pathParts::joined(recordsPath, name, separators), kLongestRecord);
        const Cleanup cleanup = clean(text.ok() ? recordFrom(text.value) : Record{});
        if (cleanup == Cleanup::Removed || cleanup == Cleanup::Dropped)
            records->remove(name);
    }
}

// Whether a name is one a disposal gives the emptied file: eight digits and ".del".
bool isTemporaryName(const std::string& name) {
    return name.size() == 12 && name.compare(8, 4, ".del") == 0 && name.find_first_not_of("0123456789") == 8;
}

// The private folder the record names, with the emptied file in it; its path where one was there.
// The record is written before the folder is made: one without an identity names a folder by its
// own name alone, which holds random letters no one could have guessed, and one of this user's.
Cleanup removeKilledDisposal(FolderServices& files, const Record& record, std::vector<std::string>& removed) {
    if (!namesOwnFolder(files, record, isAsideFolderName))
        return Cleanup::Dropped;
    const char* separators = files.pathSeparators();
    const std::string name = pathParts::nameOf(record.path, separators);
    HeldFolder parent(files, pathParts::folderOf(record.path, separators));
    if (!parent.isOpen() || anotherDiskAt(parent, record))
        return Cleanup::Waiting;
    const auto status = parent.statusOf(name);
    HeldFolder aside(parent, name);
    const auto identity = aside.identity();
    if (!aside.isOpen() || !identity.ok() || !status.ok() || !status.value.ours)
        return Cleanup::Dropped;
    if (record.identity && identity.value != *record.identity)
        return Cleanup::Dropped;
    // The private folder of a disposal under way in another window of the program.
    if (const SysStatus locked = aside.lock(); !locked.ok())
        return reasonOf(locked.error) == Reason::Busy ? Cleanup::Kept : Cleanup::Dropped;
    for (const std::string& entry : aside.names()) {
        const auto inner = aside.statusOf(entry);
        if (isTemporaryName(entry) && inner.ok() && inner.value.kind == EntryKind::Regular && inner.value.ours &&
            inner.value.size == 0 && aside.remove(entry).ok())
            removed.push_back(pathParts::joined(record.path, entry, separators));
    }
    aside.close();
    parent.removeFolder(name);
    return Cleanup::Removed;
}

// The placeholders the record's stem names in the folder at its path, where a run on FAT left
// them: regular, empty files of this user's. The folder is found by its path alone, for FAT numbers
// its files anew at each mount; the stem is random, so no other file is ever taken for one.
Cleanup removeKilledPlaceholders(FolderServices& files, const Record& record, std::vector<std::string>& removed) {
    if (record.note.empty() || files.absolutePath(record.path).value != record.path)
        return Cleanup::Dropped;
    HeldFolder folder(files, record.path);
    if (!folder.isOpen())
        return Cleanup::Dropped;
    for (const std::string& entry : folder.names()) {
        const auto status = folder.statusOf(entry);
        const bool ours = record.note == modDestroyFile::kIndexFillerNote
                              ? modDestroyFile::isIndexFillerName(entry)
                              : modDestroyFile::isPlaceholderName(entry, record.note);
        if (ours && status.ok() && status.value.kind == EntryKind::Regular && status.value.ours &&
            status.value.size == 0 && folder.removeUnflushed(entry).ok())
            removed.push_back(pathParts::joined(record.path, entry, files.pathSeparators()));
    }
    return folder.flush() ? Cleanup::Removed : Cleanup::Kept;
}

} // namespace

RunRecord::RunRecord(FolderServices& files, ProcessServices& process, const char* kind, const std::string& folderPath,
                     const std::optional<FileIdentity>& folder, const std::string& note)
    : records_(recordsFolder(files, process, kind, error_)) {
    if (!records_)
        return;
    const auto absolute = files.absolutePath(folderPath);
    // Named as the folder and by which folder it is: folders of two disks never share a record.
    // A folder recorded before it is made has a random name of its own.
    // Built by appending: GCC 12 for mingw warns falsely on a short literal plus a temporary string.
    std::string name = pathParts::nameOf(folderPath, files.pathSeparators());
    for (const std::string& part :
         folder ? std::vector<std::string>{std::to_string(folder->device), std::to_string(folder->inode)}
                : std::vector<std::string>{}) {
        name += '-';
        name += part;
    }
    if (!note.empty()) {
        name += '-';
        name += note;
    }
    const std::string text = recordText(absolute.value, folder, note, diskAt(files, folderPath));
    error_ = absolute.error != 0 ? absolute.error : records_->createSmallFile(name, text).error;
    if (error_ == 0)
        name_ = name;
}

RunRecord::~RunRecord() {
    if (records_ && !name_.empty())
        records_->remove(name_);
}

KilledFills removeKilledFills(FillServices& files, ProcessServices& process) {
    KilledFills found;
    cleanUpRecords(files, process, diskNames::kRecordsFolder, [&](const Record& record) {
        const Cleanup cleanup = removeKilledFill(files, record);
        if (cleanup == Cleanup::Waiting)
            found.waiting.push_back(record.path);
        if (cleanup == Cleanup::Removed)
            found.removed.push_back(record.path);
        return cleanup;
    });
    return found;
}

std::vector<std::string> removeKilledDisposals(FolderServices& files, ProcessServices& process) {
    std::vector<std::string> removed;
    cleanUpRecords(files, process, diskNames::kDisposalRecordsFolder,
                   [&](const Record& record) { return removeKilledDisposal(files, record, removed); });
    cleanUpRecords(files, process, diskNames::kPlaceholderRecordsFolder,
                   [&](const Record& record) { return removeKilledPlaceholders(files, record, removed); });
    return removed;
}

} // namespace kelvanter
