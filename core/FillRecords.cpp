#include "core/FillRecords.h"

#include "core/FillFolder.h"
#include "platform/DiskNames.h"
#include "platform/PathParts.h"
#include "platform/Reasons.h"

#include <sstream>

namespace kelvanter {

namespace {

constexpr std::size_t kLongestRecord = 65536;

// The folder of the records in the user's state folder, made where it is missing; or why not.
std::optional<HeldFolder> recordsFolder(FillServices& files, ProcessServices& process, int& error) {
    const auto state = process.stateFolder();
    error = state.error;
    if (!state.ok())
        return std::nullopt;
    HeldFolder folder(files, state.value);
    error = folder.openError();
    if (!folder.isOpen())
        return std::nullopt;
    if (auto made = folder.makePrivate(diskNames::kRecordsFolder, &error))
        return made;
    if (reasonOf(error) != Reason::NameTaken)
        return std::nullopt;
    HeldFolder records(folder, diskNames::kRecordsFolder);
    error = records.openError();
    if (!records.isOpen())
        return std::nullopt;
    return records;
}

// A record: the fill folder's absolute path on its first line (as earlier versions wrote it alone),
// then its device and inode.
struct Record {
    std::string path;
    std::optional<FileIdentity> identity;
};

std::string recordText(const std::string& path, const FileIdentity& identity) {
    return path + "\n" + std::to_string(identity.device) + " " + std::to_string(identity.inode) + "\n";
}

Record recordFrom(const std::string& text) {
    std::istringstream lines(text);
    Record record;
    std::getline(lines, record.path);
    FileIdentity identity;
    if (lines >> identity.device >> identity.inode)
        record.identity = identity;
    return record;
}

enum class Cleanup { Removed, Waiting, Kept, Dropped };

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
Cleanup removeKilledFill(FillServices& files, const Record& record) {
    const char* separators = files.pathSeparators();
    const std::string name = pathParts::nameOf(record.path, separators);
    // Only a fill folder, by an absolute path and with its identity, is ever touched.
    const bool absolute = files.absolutePath(record.path).value == record.path;
    if (!record.identity || !absolute || !isFillFolderName(name))
        return Cleanup::Dropped;
    HeldFolder parent(files, pathParts::folderOf(record.path, separators));
    const auto parentIdentity = parent.identity();
    if (!parent.isOpen() || !parentIdentity.ok())
        return Cleanup::Waiting;
    HeldFolder fill(parent, name);
    if (!fill.isOpen()) {
        // Gone from its own file system; on another one (the mount point alone) the disk is away.
        const bool sameFileSystem = parentIdentity.value.device == record.identity->device;
        return sameFileSystem || reasonOf(fill.openError()) != Reason::NoFileThere ? Cleanup::Dropped
                                                                                   : Cleanup::Waiting;
    }
    if (!isRecordedFill(parent, name, fill, *record.identity))
        return Cleanup::Dropped;
    if (const SysStatus locked = fill.lock(); !locked.ok())
        return reasonOf(locked.error) == Reason::Busy ? Cleanup::Kept : Cleanup::Dropped;
    removeFill(parent, fill, name);
    return Cleanup::Removed;
}

} // namespace

FillRecord::FillRecord(FillServices& files, ProcessServices& process, const std::string& fillPath,
                       const FileIdentity& fill)
    : records_(recordsFolder(files, process, error_)) {
    if (!records_)
        return;
    const auto absolute = files.absolutePath(fillPath);
    // Named as the fill's folder and by which folder it is: fills of two disks never share a record.
    const std::string name = pathParts::nameOf(fillPath, files.pathSeparators()) + "-" + std::to_string(fill.device) +
                             "-" + std::to_string(fill.inode);
    error_ =
        absolute.error != 0 ? absolute.error : records_->createSmallFile(name, recordText(absolute.value, fill)).error;
    if (error_ == 0)
        name_ = name;
}

FillRecord::~FillRecord() {
    if (records_ && !name_.empty())
        records_->remove(name_);
}

KilledFills removeKilledFills(FillServices& files, ProcessServices& process) {
    int error = 0;
    std::optional<HeldFolder> records = recordsFolder(files, process, error);
    if (!records)
        return {};
    const std::string recordsPath =
        pathParts::joined(process.stateFolder().value, diskNames::kRecordsFolder, files.pathSeparators());
    KilledFills found;
    for (const std::string& name : records->names()) {
        const auto text =
            files.readSmallFile(pathParts::joined(recordsPath, name, files.pathSeparators()), kLongestRecord);
        const Record record = text.ok() ? recordFrom(text.value) : Record{};
        switch (removeKilledFill(files, record)) {
        case Cleanup::Kept:
            continue;
        case Cleanup::Waiting:
            found.waiting.push_back(record.path);
            continue;
        case Cleanup::Removed:
            found.removed.push_back(record.path);
            break;
        case Cleanup::Dropped:
            break;
        }
        records->remove(name);
    }
    return found;
}

} // namespace kelvanter
