#include "core/DestructionList.h"

#include "platform/PathParts.h"
#include "platform/Reasons.h"

#include <cstring>

namespace kelvanter {

namespace {

// "/x/Akten/" names the folder "Akten" in "/x"; a root ("/", "C:\\") keeps its separator, as
// "C:" alone would name the drive's current folder.
std::string withoutFinalSeparators(std::string path, const char* separators) {
    const auto isRoot = [](const std::string& p) { return p.size() == 1 || (p.size() == 3 && p[1] == ':'); };
    while (!path.empty() && !isRoot(path) && std::strchr(separators, path.back()) != nullptr)
        path.pop_back();
    return path;
}

} // namespace

DestructionList::DestructionList(DestructionServices& files, ProcessServices& process)
    : files_(files), process_(process), budget_(process.filesOpenAtOnce()), folders_(files, budget_) {}

bool DestructionList::namesFolder(DestructionServices& files, const std::string& path) {
    const char* separators = files.pathSeparators();
    const std::string named = withoutFinalSeparators(path, separators);
    const std::string name = pathParts::nameOf(named, separators);
    const HeldFolder folder(files, name.empty() ? named : pathParts::folderOf(named, separators));
    if (!folder.isOpen())
        return false;
    if (name.empty())
        return true;
    const auto status = folder.statusOf(name);
    return status.ok() && status.value.kind == EntryKind::Directory;
}

void DestructionList::add(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        addPath(path);
}

// The path's folder, opened once for every name given in it, and the name looked up there.
void DestructionList::addPath(const std::string& given) {
    const char* separators = files_.pathSeparators();
    const std::string path = withoutFinalSeparators(given, separators);
    const std::string name = pathParts::nameOf(path, separators);
    const auto folder = folders_.atPath(name.empty() ? path : pathParts::folderOf(path, separators));
    if (!folder.ok()) {
        missing_.push_back({given, reasonOf(folder.error) == Reason::NoFileThere ? 0 : folder.error});
        return;
    }
    // A root of its own, such as "/": the files beneath it, and nothing to remove.
    if (name.empty())
        return addTree(folder.value, path, false);
    const auto held = folders_.hold(folder.value);
    const auto status = held.ok() ? files_.statusAt(held.value, name) : SysResult<EntryStatus>{{}, held.error};
    if (status.ok() && status.value.kind == EntryKind::Directory) {
        const auto inner = folders_.beneath(folder.value, name, status.value.identity);
        if (!inner.ok())
            return left_.push_back({path, LeftBecause::Unreadable, inner.error});
        return addTree(inner.value, path, true);
    }
    // "brief.txt/" names no file, as the system would have it.
    if (path != given)
        return missing_.push_back({given, 0});
    addFile({folder.value, name, given}, std::nullopt);
    folders_.letGoBeyondBudget(folder.value);
}

// `removable`: the folder goes once its files are gone.
void DestructionList::addTree(HeldFolders::Id folder, const std::string& path, bool removable) {
    FolderTree tree = treeBeneath(folders_, folder);
    tree.root = path;
    if (!removable)
        tree.folders.pop_back();
    left_.insert(left_.end(), tree.left.begin(), tree.left.end());
    // The walk first, then the lookups: each name must still name what the walk found there.
    std::optional<HeldFolders::Id> last;
    for (const FolderTree::File& file : tree.files) {
        // A folder opened again beyond the budget goes once its files are looked up.
        if (last && *last != file.folder)
            folders_.letGoOfReopened();
        last = file.folder;
        const std::string filePath = pathParts::joined(folders_.path(file.folder), file.name, files_.pathSeparators());
        addFile({file.folder, file.name, filePath}, file.identity);
    }
    folders_.letGoOfReopened();
    trees_.push_back(std::move(tree));
}

std::optional<std::size_t> DestructionList::listed(const FileIdentity& identity) const {
    for (std::size_t index = 0; index < listed_.size(); ++index) {
        if (listed_[index].identity == identity)
            return index;
    }
    return std::nullopt;
}

bool DestructionList::holdsName(const File& file, const Name& name) const {
    for (const Name& held : file.names) {
        if (held.name == name.name && folders_.identity(held.folder) == folders_.identity(name.folder))
            return true;
    }
    return false;
}

// `walked`: what the walk found under the name, which the lookup must find too.
void DestructionList::addFile(const Name& name, const std::optional<FileIdentity>& walked) {
    const auto held = folders_.hold(name.folder);
    if (!held.ok()) {
        left_.push_back({folders_.path(name.folder), LeftBecause::Unreadable, held.error});
        return;
    }
    DestructionTarget::Lookup lookup =
        DestructionTarget::findAt(files_, process_, {held.value, name.name, name.path}, HiddenFiles::Excluded);
    if (!lookup.target) {
        if (walked)
            left_.push_back({name.path, LeftBecause::Swapped, lookup.error});
        else
            missing_.push_back({name.path, lookup.error});
        return;
    }
    const FilePin& pin = lookup.target->pin;
    if (walked && !(pin.identity() == *walked)) {
        left_.push_back({name.path, LeftBecause::Swapped});
        return;
    }
    if (const auto known = listed(pin.identity())) {
        File& file = listed_[*known];
        if (!holdsName(file, name))
            file.names.push_back(name);
        return;
    }
    File file{pin.identity(),
              {name},
              pin.sizeAtLookup(),
              pin.attributesAtLookup(),
              pin.otherNamesAtLookup() + 1,
              doubtsFrom(lookup.target->storage),
              freeSpaceHoldsOldCopies(lookup.target->storage),
              std::move(lookup.target)};
    if (!budget_.take())
        file.target.reset();
    listed_.push_back(std::move(file));
}

FileName DestructionList::heldName(const Name& name) {
    const auto held = folders_.hold(name.folder);
    return {held.ok() ? held.value : kNoHandle, name.name, name.path};
}

DestructionList::Turn DestructionList::take(std::size_t index) {
    File& file = listed_[index];
    const FileName at = heldName(file.names.front());
    const bool counted = file.target.has_value();
    if (at.folder == kNoHandle) {
        file.target.reset();
        if (counted)
            budget_.giveBack();
        return {std::nullopt, Refusal::Failed, folders_.hold(file.names.front().folder).error};
    }
    if (!file.target) {
        DestructionTarget::Lookup lookup = DestructionTarget::findAt(files_, process_, at, HiddenFiles::Excluded);
        if (!lookup.target)
            return {std::nullopt, lookup.error != 0 ? Refusal::Failed : Refusal::NotFound, lookup.error};
        if (!(lookup.target->pin.identity() == file.identity))
            return {std::nullopt, Refusal::ReplacedSinceQuestion, 0};
        file.target.emplace(std::move(*lookup.target));
    }
    // The folders may have been opened again since the lookup: the handles of now.
    Turn turn{std::move(file.target)};
    turn.target->at = at;
    turn.target->otherNames.clear();
    for (std::size_t name = 1; name < file.names.size(); ++name)
        turn.target->otherNames.push_back(heldName(file.names[name]));
    // The run holds it from here, and lets it go at its end.
    if (counted)
        budget_.giveBack();
    return turn;
}

void DestructionList::endTurn(std::size_t index) {
    listed_[index].target.reset();
    folders_.letGoOfReopened();
}

std::vector<LeftEntry> DestructionList::removeEmptiedFolders() {
    std::vector<LeftEntry> stay;
    for (const FolderTree& tree : trees_) {
        for (LeftEntry& entry : removeFolders(folders_, process_, tree))
            stay.push_back(std::move(entry));
    }
    return stay;
}

} // namespace kelvanter
