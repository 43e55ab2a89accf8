#include "core/FillRecords.h"

#include "core/FillFolder.h"
#include "platform/DiskNames.h"
#include "platform/PathParts.h"
#include "platform/Reasons.h"

namespace kelvanter {

namespace {

constexpr std::size_t kLongestRecord = 65536;

// The folder of the records in the user's state folder, made where it is missing.
std::optional<HeldFolder> recordsFolder(FillServices& files, ProcessServices& process) {
    const auto state = process.stateFolder();
    if (!state.ok())
        return std::nullopt;
    HeldFolder folder(files, state.value);
    if (!folder.isOpen())
        return std::nullopt;
    int error = 0;
    if (auto made = folder.makePrivate(diskNames::kRecordsFolder, &error))
        return made;
    HeldFolder records(folder, diskNames::kRecordsFolder);
    if (reasonOf(error) != Reason::NameTaken || !records.isOpen())
        return std::nullopt;
    return records;
}

enum class Cleanup { Removed, Kept, Dropped };

// The fill folder at `fillPath`, removed where it is one of a killed run's. Kept where its file
// system is not there now or another run fills it; dropped where no fill folder is there.
Cleanup removeKilledFill(FillServices& files, const std::string& fillPath) {
    const char* separators = files.pathSeparators();
    HeldFolder parent(files, pathParts::folderOf(fillPath, separators));
    if (!parent.isOpen())
        return Cleanup::Kept;
    const std::string name = pathParts::nameOf(fillPath, separators);
    HeldFolder fill(parent, name);
    if (!fill.isOpen())
        return Cleanup::Dropped;
    if (const SysStatus locked = fill.lock(); !locked.ok())
        return reasonOf(locked.error) == Reason::Busy ? Cleanup::Kept : Cleanup::Dropped;
    removeFill(parent, fill, name);
    return Cleanup::Removed;
}

} // namespace

FillRecord::FillRecord(FillServices& files, ProcessServices& process, const std::string& fillPath)
    : records_(recordsFolder(files, process)) {
    const auto absolute = files.absolutePath(fillPath);
    if (!records_ || !absolute.ok())
        return;
    const std::string name = pathParts::nameOf(fillPath, files.pathSeparators());
    if (records_->createSmallFile(name, absolute.value).ok())
        name_ = name;
}

FillRecord::~FillRecord() {
    if (records_ && !name_.empty())
        records_->remove(name_);
}

std::vector<std::string> removeKilledFills(FillServices& files, ProcessServices& process) {
    std::optional<HeldFolder> records = recordsFolder(files, process);
    if (!records)
        return {};
    const std::string recordsPath =
        pathParts::joined(process.stateFolder().value, diskNames::kRecordsFolder, files.pathSeparators());
    std::vector<std::string> removed;
    for (const std::string& name : records->names()) {
        const auto fill =
            files.readSmallFile(pathParts::joined(recordsPath, name, files.pathSeparators()), kLongestRecord);
        // Only a fill folder is ever removed, whatever a record says.
        const bool names = fill.ok() && isFillFolderName(pathParts::nameOf(fill.value, files.pathSeparators()));
        const Cleanup cleanup = names ? removeKilledFill(files, fill.value) : Cleanup::Dropped;
        if (cleanup == Cleanup::Kept)
            continue;
        if (cleanup == Cleanup::Removed)
            removed.push_back(fill.value);
        records->remove(name);
    }
    return removed;
}

} // namespace kelvanter
