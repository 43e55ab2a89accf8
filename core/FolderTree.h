#pragma once

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
    NotRemoved, // a folder whose removal failed or whose name came to name another
    NameKept,   // a folder removed, whose name its parent may still hold: it could not be written over there
};

struct LeftEntry {
    std::string path;
    LeftBecause because = LeftBecause::NoRegularFile;
    int error = 0;
};

// What a folder given for destruction stands for: the regular files beneath it, depth first,
// never through a link, never into another file system or a mount point; the folders to remove
// once those are gone, deepest first, the given one last; and what is left, with why.
struct FolderTree {
    struct Folder {
        std::string parent; // the path of the folder holding it
        std::string name;
        FileIdentity identity;
    };
    std::string root; // the folder given
    std::vector<std::string> files;
    std::vector<Folder> folders;
    std::vector<LeftEntry> left;
};

FolderTree treeBeneath(FolderServices& files, const std::string& folder, const FileIdentity& identity,
                       const char* separators);

// Removes the tree's folders, deepest first, each only while its name still names the folder
// walked; where its parent keeps deleted names (FAT, exFAT, NTFS) the name is first written over
// there, as a file's is. What stays, or whose name may, is returned.
std::vector<LeftEntry> removeFolders(FolderServices& files, ProcessServices& process, const FolderTree& tree,
                                     const char* separators);

} // namespace kelvanter
