#pragma once

#include "core/HeldFolder.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// What the program remembers of a folder of its own while a run works in it (a fill's, or the
// private folder of a disposal), in the user's state folder, so that a start after a kill
// (SIGKILL, a lost display, a power cut) finds it again: its path, which folder it is, and which
// disk holds it. The record goes with the object, once the folder has gone.
class RunRecord {
public:
    // `kind`: the records' folder in the state folder; `note`: a word more the record keeps.
    // `folder`: which folder it is, where it has been made already.
    RunRecord(FolderServices& files, ProcessServices& process, const char* kind, const std::string& folderPath,
              const std::optional<FileIdentity>& folder, const std::string& note = {});
    ~RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;
    // Keeps the record on the disk: the folder it names stays, for a later start to remove.
    void keep() { name_.clear(); }

    // Whether the record is on the disk: where it is not, a kill would leave the fill for good.
    bool written() const { return error_ == 0; }
    int error() const { return error_; }

private:
    int error_ = 0; // first: the records' folder below sets it
    std::optional<HeldFolder> records_;
    std::string name_;
};

// What a start found of the fills that runs killed midway left.
struct KilledFills {
    std::vector<std::string> removed; // the fill folders removed, with their records
    std::vector<std::string> waiting; // on a disk not there now: kept for a start where it is
};

// Removes the fill folders that runs killed midway left on any file system, as the records name
// them, through the folders it holds: only the folder the record names by its identity, and in it
// only the fill's own files.
KilledFills removeKilledFills(FillServices& files, ProcessServices& process);

// Removes the private folders that disposals killed midway left, as their records name them,
// with the emptied file in each (a regular, empty file of this user's under a temporary name),
// and the placeholder files of their renames on FAT (regular, empty files of this user's under
// the record's random stem); the files removed.
std::vector<std::string> removeKilledDisposals(FolderServices& files, ProcessServices& process);

} // namespace kelvanter
