#pragma once

#include "core/HeldFolder.h"

#include <string>

namespace kelvanter::modDestroyFile {

struct OverwrittenName {
    std::string name;     // what the file is called now
    bool swapped = false; // the name came to name another file: the churn stopped there
    bool complete = true; // everything of the folder's that held the name has been written over
};

// Where the churn's placeholder files are noted while they stand, so that a start after a kill
// removes them: the held folder's path, and the process's state folder.
struct PlaceholderNotes {
    ProcessServices& process;
    std::string folderPath;
};

// Writes over what the folder keeps of the name once the file has left it, as its file system
// keeps it (`kept`), before the file leaves:
// - FAT puts every new entry in the first free run of slots anywhere in the folder. The free
//   slots ahead of the file, left by earlier deletions, are first taken by empty placeholder
//   files of one slot each; the file then goes to a neutral name of one slot, which lands behind
//   its own slots, and more placeholders take those; then the placeholders go.
// - exFAT rewrites a file's entries in place on a rename of the same length: neutral names of the
//   name's own length first, then ever shorter ones, halving.
// - NTFS leaves an index entry's bytes behind its shrunken end: a name of one character first,
//   so that the index need not grow, then neutral names of the name's own length over the bytes
//   it left, then halving; then the folder's own record is filled and emptied once.
// Each rename never replaces a file, stays in memory until the disposal's next flush, and is
// checked against the held file. A refused step ends the churn, incomplete; the file goes on.
OverwrittenName overwriteNameSlots(HeldFolder& folder, const std::string& name, const FileIdentity& identity,
                                   DeletedNames kept, const PlaceholderNotes& notes);

// NTFS, once the file has left the folder: whether its index may still keep the name, as the
// device shows it; where a copy shows, the slack of every index block is written over first.
bool nameLeftInNtfsIndex(HeldFolder& folder, const std::string& name, const PlaceholderNotes& notes);

// The note of the record that stands for such entries while they stand, and whether a name is one.
inline constexpr const char* kIndexFillerNote = "indexfueller";
bool isIndexFillerName(const std::string& name);

// A name's length as FAT and exFAT count it: in UTF-16 units.
std::size_t utf16Length(const std::string& name);

// Whether a name is one of the churn's placeholders with that stem: the stem, then four digits.
bool isPlaceholderName(const std::string& name, const std::string& stem);

} // namespace kelvanter::modDestroyFile
