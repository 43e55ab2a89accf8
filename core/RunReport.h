#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kelvanter {

// Why an in-place overwrite may not reach a file's old data. The window words each.
enum class DoubtKind {
    WritesElsewhere,  // a copy-on-write file system; `detail` names it
    NetworkOrOverlay, // a network, FUSE or overlay file system; `detail` names it
    Flash,            // a flash device, which keeps old cells; `encrypted` where they are encrypted
    SyncedFolder,     // a service mirrors the folder; `detail` names it where it is known
    JournalsContents, // the journal keeps copies of the contents
    OpenElsewhere,    // another program holds the file open
    HoldersUnknown,   // the system would not tell whether programs of other users hold it open
    SharedBlocks,     // another file or a snapshot shares the blocks
    Compressed,
    LocationUnknown,
    BlocksMoved,           // the blocks lay elsewhere after the passes
    ReadBackDiffers,       // the device returned other bytes than the pattern
    WrittenMeanwhile,      // another program wrote to the file during the run, past what was overwritten
    AttributesKept,        // extended attributes that could not be overwritten; `detail` names them
    AttributesInFreeSpace, // extended attributes whose old values lay in blocks of their own, freed as they were
    InsideRecord,          // a small file's data lies in the file system's own record (NTFS's MFT)
    ReadBackThroughDriver, // read back only through the file system's driver, not from the device
    // What remains of the name, not of the content:
    NameKept,        // its folder may still hold the name, which could not be written over there
    NameInSystemLog, // NTFS's log and change journal keep the name, out of any program's reach
};

// Whether a doubt is about the name alone: the content is proven all the same.
inline bool isAboutTheName(DoubtKind kind) {
    return kind == DoubtKind::NameKept || kind == DoubtKind::NameInSystemLog;
}

struct Doubt {
    Doubt(DoubtKind kind, std::string detail = {}, bool encrypted = false)
        : kind(kind), detail(std::move(detail)), encrypted(encrypted) {}

    DoubtKind kind;
    std::string detail;
    bool encrypted;
    bool operator==(const Doubt&) const = default;
};

// Several reasons are named one after the other.
using Doubts = std::vector<Doubt>;

// What a run has to tell the user in a box; the window chooses the words.
enum class RunNotice {
    CannotOpen,        // the file could not be found or opened for the passes; it is unchanged
    CannotWrite,       // a pass could not write or flush the file; it stays at its path
    Cancelled,         // a request to end the program stopped the passes; the file stays at its path
    NotDeleted,        // the file could not be deleted and is still there
    DeletionUnflushed, // the file was deleted, but the device was not seen to keep the deletion
    LeftEmptied,       // the file is emptied, but left where others may change names, at `path`
    Replaced,          // another file stood under its name at the disposal, and was left as it was
    DeletedUnproven,   // the file is gone, but the overwrite could not be proven on the device
    NameGone,          // another program deleted the file's name during the run; it was overwritten all the same
    NewFileUnderName,  // a new file took the name during the run (a save); it was left as it was
    Unchangeable,      // the file became immutable, append-only or a system file, and stays under its name
};

struct RunReport {
    RunReport(RunNotice notice, std::string path, int error = 0, Doubts doubts = {}, std::string strangerAt = {})
        : notice(notice), path(std::move(path)), error(error), doubts(std::move(doubts)),
          strangerAt(std::move(strangerAt)) {}
    // A report after the passes: the content is overwritten, and `doubts` say why unproven.
    static RunReport afterPasses(RunNotice notice, std::string path, const Doubts& doubts, int error = 0,
                                 std::string strangerAt = {}) {
        RunReport report(notice, std::move(path), error, doubts, std::move(strangerAt));
        report.overwritten = true;
        return report;
    }

    RunNotice notice;
    std::string path;         // where the file lies, as the file system names it
    int error;                // why a pass failed, or why the name could not be removed
    Doubts doubts;            // why the overwrite is unproven, for DeletedUnproven
    std::string strangerAt;   // where the file that stood under the name lies now, for Replaced
    bool overwritten = false; // the passes are done: the box says what became of the content
    bool operator==(const RunReport&) const = default;
};

} // namespace kelvanter
