#pragma once

#include "core/FolderTree.h"
#include "core/HeldFolders.h"
#include "core/OverwritePasses.h"
#include "core/RunReport.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// What the user chose to destroy, as the run takes it: every file once, however many of its names
// were given (a name twice, a hard link, a folder and a file in it), each reached through the
// folder it was found in and never through a link. Files and folders are held as far as the
// process may hold them open; the rest are let go once the question knows them, and held again at
// their turn, only where the name still names the very file the question counted.
class DestructionList {
public:
    struct Name {
        HeldFolders::Id folder;
        std::string name;
        std::string path; // as the file system names it
    };

    // A file of the list, as its lookup found it.
    struct File {
        FileIdentity identity;
        std::vector<Name> names; // the first is the one the words name it by
        std::int64_t size = 0;
        std::uint32_t attributes = kAttrNormal;
        std::uint64_t links = 1;
        Doubts doubts;                           // what its storage raises against an in-place overwrite
        bool freeSpaceIsTheRemedy = false;       // its old copies lie in free space, where a fill reaches them
        std::optional<DestructionTarget> target; // held from the lookup, or let go until its turn

        const std::string& path() const { return names.front().path; }
        bool readOnly() const { return (attributes & kAttrReadOnly) != 0; }
        // Names it has beyond those the list holds: its content goes there too.
        std::uint64_t unlistedNames() const { return links > names.size() ? links - names.size() : 0; }
    };

    // A given path under which there is no file to destroy: nothing (error 0), or an error.
    struct Missing {
        std::string path;
        int error = 0;
    };

    // Why a file could not be taken at its turn.
    enum class Refusal { None, NotFound, Failed, ReplacedSinceQuestion };
    struct Turn {
        std::optional<DestructionTarget> target;
        Refusal refusal = Refusal::None;
        int error = 0;
    };

    DestructionList(DestructionServices& files, ProcessServices& process);

    // Takes each path: a file, or a folder for the regular files beneath it.
    void add(const std::vector<std::string>& paths);
    // Whether a path names a folder itself, not through a link.
    static bool namesFolder(DestructionServices& files, const std::string& path);

    std::vector<File>& files() { return listed_; }
    const std::vector<File>& files() const { return listed_; }
    const std::vector<Missing>& missing() const { return missing_; }
    const std::vector<LeftEntry>& left() const { return left_; }
    const std::vector<FolderTree>& trees() const { return trees_; }

    // The file at its turn, held again where it was let go, with every listed name in a folder held now.
    Turn take(std::size_t index);
    // What the file's turn held beyond the budget goes again.
    void endTurn(std::size_t index);
    // Removes the given folders once their files are gone; what stays, or whose name may.
    std::vector<LeftEntry> removeEmptiedFolders();

private:
    void addPath(const std::string& path);
    void addTree(HeldFolders::Id folder, const std::string& path, bool removable);
    void addFile(const Name& name, const std::optional<FileIdentity>& walked);
    std::optional<std::size_t> listed(const FileIdentity& identity) const;
    bool holdsName(const File& file, const Name& name) const;
    FileName heldName(const Name& name);

    DestructionServices& files_;
    ProcessServices& process_;
    OpenBudget budget_;
    HeldFolders folders_;
    std::vector<File> listed_;
    std::vector<Missing> missing_;
    std::vector<LeftEntry> left_;
    std::vector<FolderTree> trees_;
};

} // namespace kelvanter
