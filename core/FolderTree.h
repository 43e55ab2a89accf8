#pragma once

#include "core/HeldFolders.h"
#include "platform/FileServices.h"

#include <string>
#include <vector>

namespace kelvanter {

// Why an entry beneath a folder given for destruction is left as it is.
enum class LeftBecause {
    NoRegularFile, // a FIFO, a socket, a device
    SymbolicLink,  // never followed, so its target is never reached
    OtherFileSystem,
    MountPoint, // something mounted there from elsewhere
    Unreadable, // a folder that could not be opened or listed
    TooDeep,
    NotEmpty,   // a folder that kept entries after its files were destroyed
    NotRemoved, // a folder whose removal failed
    NameKept,   // a folder removed, whose name its parent may still hold: it could not be written over there
    Swapped,    // the name came to name something else than the walk found there: that is left as it is
};

struct LeftEntry {
    std::string path;
    LeftBecause because = LeftBecause::NoRegularFile;
    int error = 0;
};

// What a folder given for destruction stands for: the regular files beneath it, depth first,
// never through a link, never into another file system or a mount point, each as the walk found it
// in its held folder; the folders to remove once those are gone, deepest first, the given one last;
// and what is left, with why.
struct FolderTree {
    struct File {
        HeldFolders::Id folder;
        std::string name;
        FileIdentity identity; // what the walk found under the name
    };
    std::string root; // the folder given
    std::vector<File> files;
    std::vector<HeldFolders::Id> folders;
    std::vector<LeftEntry> left;
};

// The tree beneath the held folder. Folders the budget has no room for are let go once walked.
FolderTree treeBeneath(HeldFolders& folders, HeldFolders::Id root);

// Removes the tree's folders, deepest first, each by its name in its held parent and only while
// that still names the folder walked; where its parent keeps deleted names (FAT, exFAT, NTFS) the
// name is first written over there, as a file's is. What stays, or whose name may, is returned.
std::vector<LeftEntry> removeFolders(HeldFolders& folders, ProcessServices& process, const FolderTree& tree);

} // namespace kelvanter
