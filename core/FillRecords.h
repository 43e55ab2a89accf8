#pragma once

#include "core/HeldFolder.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// What the program remembers of a fill while it runs, in the user's state folder, so that a
// start after a kill (SIGKILL, a lost display, a power cut) finds the fill again: its folder's
// path and which folder it is. The record goes when the fill has gone.
class FillRecord {
public:
    FillRecord(FillServices& files, ProcessServices& process, const std::string& fillPath, const FileIdentity& fill);
    ~FillRecord();
    FillRecord(const FillRecord&) = delete;
    FillRecord& operator=(const FillRecord&) = delete;

    // Whether the record is on the disk: where it is not, a kill would leave the fill for good.
    bool written() const { return error_ == 0; }
    int error() const { return error_; }

private:
    std::optional<HeldFolder> records_;
    std::string name_;
    int error_ = 0;
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

} // namespace kelvanter
