#include "support/FatFolderModel.h"

#include <algorithm>
#include <cctype>

namespace kelvanter::testing {

namespace {

constexpr std::size_t kUnitsPerSlot = 13;

std::vector<std::string> characters(const std::string& name) {
    std::vector<std::string> found;
    for (const char byte : name) {
        if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80 || found.empty())
            found.emplace_back();
        found.back() += byte;
    }
    return found;
}

// A name that fits an 8.3 entry alone: no lower case, at most eight and three characters.
bool isShortName(const std::string& name) {
    const auto dot = name.find('.');
    const std::string base = name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    const auto fits = [](const std::string& part, std::size_t most) {
        return part.size() <= most && std::all_of(part.begin(), part.end(), [](char c) {
                   return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) ||
                          c == '_' || c == '~' || c == '-';
               });
    };
    return !base.empty() && fits(base, 8) && fits(extension, 3) && extension.find('.') == std::string::npos;
}

std::string upper(const std::string& text) {
    std::string shouted = text;
    std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return shouted;
}

// The 8.3 alias the driver gives a long name: six characters of it, "~1", three of its extension.
std::string aliasOf(const std::string& name) {
    if (isShortName(name))
        return name;
    const auto dot = name.rfind('.');
    std::string base;
    for (const char c : name.substr(0, dot)) {
        if (c != '.' && c != ' ' && base.size() < 6)
            base += c;
    }
    return upper(base) + "~1" + (dot == std::string::npos ? "" : upper(name.substr(dot + 1, 3)));
}

} // namespace

void FatFolderModel::make(const std::string& name) {
    place({name, 0, 0, nextInode_++});
}

bool FatFolderModel::holds(const std::string& name) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; });
}

std::vector<std::string> FatFolderModel::slotTexts() const {
    return slots_;
}

FatFolderModel::Entry* FatFolderModel::find(const std::string& name) {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; });
    return found == entries_.end() ? nullptr : &*found;
}

// The first run of free slots the entry fits in; its long name's pieces last first, then its 8.3 name.
void FatFolderModel::place(Entry entry) {
    const std::vector<std::string> letters = characters(entry.name);
    const std::size_t pieces = isShortName(entry.name) ? 0 : (letters.size() + kUnitsPerSlot - 1) / kUnitsPerSlot;
    entry.count = pieces + 1;
    // A run still open at the folder's end goes on into new slots.
    std::size_t run = 0;
    while (run < entry.count && entry.first + run < used_.size()) {
        if (used_[entry.first + run]) {
            entry.first += run + 1;
            run = 0;
        } else {
            ++run;
        }
    }
    if (entry.first + entry.count > used_.size()) {
        used_.resize(entry.first + entry.count, false);
        slots_.resize(entry.first + entry.count);
    }
    for (std::size_t piece = 0; piece < pieces; ++piece) {
        std::string text;
        for (std::size_t at = piece * kUnitsPerSlot; at < letters.size() && at < (piece + 1) * kUnitsPerSlot; ++at)
            text += letters[at];
        slots_[entry.first + pieces - 1 - piece] = text;
    }
    slots_[entry.first + pieces] = aliasOf(entry.name);
    std::fill_n(used_.begin() + static_cast<std::ptrdiff_t>(entry.first), entry.count, true);
    entries_.push_back(entry);
}

SysResult<FileHandle> FatFolderModel::openFolder(const std::string& path) {
    return path == kPath ? SysResult<FileHandle>{kFolder, 0} : PlatformFileServices::openFolder(path);
}

SysResult<std::vector<std::string>> FatFolderModel::namesIn(FileHandle folder) {
    if (folder != kFolder)
        return PlatformFileServices::namesIn(folder);
    std::vector<Entry> inOrder = entries_;
    std::sort(inOrder.begin(), inOrder.end(), [](const Entry& a, const Entry& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (const Entry& entry : inOrder)
        names.push_back(entry.name);
    return {names, 0};
}

SysResult<EntryStatus> FatFolderModel::statusAt(FileHandle folder, const std::string& name) {
    if (folder != kFolder)
        return PlatformFileServices::statusAt(folder, name);
    const Entry* entry = find(name);
    if (entry == nullptr)
        return {{}, ENOENT};
    EntryStatus status;
    status.kind = EntryKind::Regular;
    status.identity = {1, entry->inode};
    status.size = 0;
    return {status, 0};
}

SysResult<FileIdentity> FatFolderModel::identityOfFolder(FileHandle folder) {
    return folder == kFolder ? SysResult<FileIdentity>{{1, 1}, 0} : PlatformFileServices::identityOfFolder(folder);
}

SysResult<FolderAccess> FatFolderModel::accessOf(FileHandle folder) {
    return folder == kFolder ? SysResult<FolderAccess>{{}, 0} : PlatformFileServices::accessOf(folder);
}

// As vfat renames within a folder: the new entry is made first, then the old one's slots are freed.
SysStatus FatFolderModel::renameAt(FileHandle fromFolder, const std::string& from, FileHandle toFolder,
                                   const std::string& to) {
    if (fromFolder != kFolder && toFolder != kFolder)
        return PlatformFileServices::renameAt(fromFolder, from, toFolder, to);
    if (fromFolder != toFolder)
        return {EXDEV};
    const Entry* old = find(from);
    if (old == nullptr)
        return {ENOENT};
    if (find(to) != nullptr)
        return {EEXIST};
    const std::uint64_t inode = old->inode;
    place({to, 0, 0, inode});
    free(from);
    return {};
}

SysStatus FatFolderModel::removeAt(FileHandle folder, const std::string& name) {
    if (folder != kFolder)
        return PlatformFileServices::removeAt(folder, name);
    if (refuseRemovalsWith != 0)
        return {refuseRemovalsWith};
    return free(name) ? SysStatus{} : SysStatus{ENOENT};
}

// The entry goes; its slots keep their text.
bool FatFolderModel::free(const std::string& name) {
    const auto gone = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; });
    if (gone == entries_.end())
        return false;
    std::fill_n(used_.begin() + static_cast<std::ptrdiff_t>(gone->first), gone->count, false);
    entries_.erase(gone);
    return true;
}

SysStatus FatFolderModel::flushFolder(FileHandle folder) {
    return folder == kFolder ? SysStatus{} : PlatformFileServices::flushFolder(folder);
}

SysResult<FileHandle> FatFolderModel::createFileAt(FileHandle folder, const std::string& name) {
    if (folder != kFolder)
        return PlatformFileServices::createFileAt(folder, name);
    if (find(name) != nullptr)
        return {kNoHandle, EEXIST};
    make(name);
    return {kNewFile, 0};
}

SysStatus FatFolderModel::close(FileHandle handle) {
    return handle == kFolder || handle == kNewFile ? SysStatus{} : PlatformFileServices::close(handle);
}

} // namespace kelvanter::testing
