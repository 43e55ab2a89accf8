#pragma once

#include "core/HeldFolder.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// What the program remembers of a fill while it runs, in the user's state folder, so that a
// start after a kill (SIGKILL, a lost display, a power cut) finds the fill again. The record goes
// when the fill has gone.
class FillRecord {
public:
    FillRecord(FillServices& files, ProcessServices& process, const std::string& fillPath);
    ~FillRecord();
    FillRecord(const FillRecord&) = delete;
    FillRecord& operator=(const FillRecord&) = delete;

private:
    std::optional<HeldFolder> records_;
    std::string name_;
};

// Removes the fill folders that runs killed midway left on any file system, as the records name
// them, with their records; the folders removed. A record whose file system is not there now is
// kept for a later start.
std::vector<std::string> removeKilledFills(FillServices& files, ProcessServices& process);

} // namespace kelvanter
