#include "core/NameSlots.h"

#include "core/RandomText.h"
#include "core/RunRecords.h"
#include "platform/DiskNames.h"
#include "platform/Reasons.h"
#include "platform/Wtf8.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace kelvanter::modDestroyFile {

namespace {

constexpr const char* kVariants = "0123456789";
// Eight characters without an extension, none of them lower case: one FAT slot, no long name.
constexpr std::size_t kOneSlotLength = 8;
constexpr std::size_t kStemLength = 4;
// One first: each placeholder past the file may make the folder grow, which FAT does not do
// atomically.
constexpr std::size_t kFirstPlaceholders = 1;
constexpr std::size_t kLargestBatch = 1024;
constexpr std::size_t kMostPlaceholders = 9999; // four digits
constexpr std::size_t kLongNameUnitsPerSlot = 13;

// The neutral names of a length, in the order they are tried: all underscores, then with a digit last.
std::vector<std::string> neutralNames(std::size_t length) {
    std::vector<std::string> names = {std::string(length, '_')};
    for (const char* variant = kVariants; *variant != '\0'; ++variant)
        names.push_back(std::string(length - 1, '_') + *variant);
    return names;
}

enum class Step { Renamed, Skipped, Refused };

// FAT writes a renamed folder's new entry without its first cluster, and fills that in only when
// the folder itself is written: flushed at once, before the parent, or a power cut between the
// two loses the folder's cluster.
void flushRenamedFolder(HeldFolder& folder, const std::string& name) {
    const auto status = folder.statusOf(name);
    if (!status.ok() || status.value.kind != EntryKind::Directory)
        return;
    HeldFolder renamed(folder, name);
    if (renamed.isOpen())
        renamed.flush();
}

// Renames the file to the first of the names from `from` on that is free; Refused where the folder takes none.
Step renameToFirstFree(HeldFolder& folder, OverwrittenName& current, const std::vector<std::string>& names,
                       std::size_t from, const FileIdentity& identity) {
    for (std::size_t index = from; index < names.size(); ++index) {
        if (names[index] == current.name)
            continue;
        const SysStatus renamed = folder.renameInPlace(current.name, names[index]);
        if (reasonOf(renamed.error) == Reason::NameTaken)
            continue;
        if (!renamed.ok())
            return Step::Refused;
        current.name = names[index];
        current.swapped = !folder.names(current.name, identity);
        if (!current.swapped)
            flushRenamedFolder(folder, current.name);
        return Step::Renamed;
    }
    return Step::Skipped;
}

// One rename of a plan: a length, and which of its neutral names to try first.
struct PlannedName {
    std::size_t length;
    std::size_t firstVariant = 0;
};

// Renames through the plan in turn; the churn ends at a refused rename or a swap, incomplete.
OverwrittenName renameThrough(HeldFolder& folder, const std::string& name, const FileIdentity& identity,
                              const std::vector<PlannedName>& plan) {
    OverwrittenName current{name};
    for (const PlannedName& step : plan) {
        const Step done = renameToFirstFree(folder, current, neutralNames(step.length), step.firstVariant, identity);
        if (done == Step::Refused || current.swapped) {
            current.complete = false;
            return current;
        }
    }
    return current;
}

void addHalvings(std::vector<PlannedName>& plan, std::size_t from) {
    for (std::size_t shorter = from; shorter >= 1; shorter /= 2)
        plan.push_back({shorter});
}

// exFAT: three renames of the name's own length rewrite its entries in place, then shorter ones.
std::vector<PlannedName> exfatPlan(std::size_t length) {
    std::vector<PlannedName> plan = {{length, 0}, {length, 1}, {length, 2}};
    addHalvings(plan, length / 2);
    return plan;
}

// NTFS: one character first, so that the index grows by the least; then the name's own length,
// whose entry lies over what the first left of the old one.
std::vector<PlannedName> ntfsPlan(std::size_t length) {
    std::vector<PlannedName> plan = {{1, 0}, {length, 0}, {length, 1}};
    addHalvings(plan, length / 2);
    plan.back().firstVariant = 1;
    return plan;
}

// Whether the name fits an 8.3 entry alone: at most eight and three characters, none lower case.
bool isShortFatName(const std::string& name) {
    const auto dot = name.find('.');
    const auto fits = [](const std::string& part, std::size_t most) {
        return part.size() <= most && std::all_of(part.begin(), part.end(), [](char c) {
                   return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) ||
                          std::strchr("!#$%&'()-@^_`{}~", c) != nullptr;
               });
    };
    const std::string base = name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    return !base.empty() && fits(base, 8) && fits(extension, 3);
}

// A FAT entry's slots at most: its long name's, and its 8.3 name's.
std::size_t fatSlotsAtMost(const std::string& name) {
    if (isShortFatName(name))
        return 1;
    return (utf16Length(name) + kLongNameUnitsPerSlot - 1) / kLongNameUnitsPerSlot + 1;
}

bool sameLetters(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

// Empty files of one FAT slot each, under a random stem and a number, noted in the state folder
// while they stand. They go with this object, each only while its name still names it.
class Placeholders {
public:
    Placeholders(HeldFolder& folder, const PlaceholderNotes& notes)
        : folder_(folder), stem_(randomText("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", kStemLength)) {
        const auto identity = folder.identity();
        if (identity.ok())
            record_.emplace(folder.files(), notes.process, diskNames::kPlaceholderRecordsFolder, notes.folderPath,
                            identity.value, stem_);
    }
    Placeholders(const Placeholders&) = delete;
    Placeholders& operator=(const Placeholders&) = delete;

    ~Placeholders() {
        bool allGone = true;
        for (const auto& [name, identity] : made_) {
            if (folder_.names(name, identity))
                allGone &= folder_.removeUnflushed(name).ok();
        }
        // Kept where one stays, or the folder may bring them back after a crash, for a later start.
        if (issued_ > 0 && (!folder_.flush() || !allGone) && record_)
            record_->keep();
    }

    // Whether a kill would leave nothing that a start would not find.
    bool noted() const { return record_ && record_->written(); }

    // Adds `count` more; false where the folder refused one.
    bool add(std::size_t count) {
        for (std::size_t added = 0; added < count;) {
            if (issued_ >= kMostPlaceholders)
                return false;
            const std::string name = nextName();
            const auto made = folder_.createFile(name);
            if (reasonOf(made.error) == Reason::NameTaken)
                continue;
            if (!made.ok())
                return false;
            folder_.files().close(made.value);
            const auto status = folder_.statusOf(name);
            if (!status.ok() || !status.value.ours || status.value.kind != EntryKind::Regular)
                return false;
            made_.emplace_back(name, status.value.identity);
            ++added;
        }
        return true;
    }

    // Adds placeholders until one of them lies behind `name` in the folder's order: every free slot
    // ahead of it is then taken. Those behind it go again, to leave their slots to the file's next
    // name. False where that could not be reached or seen.
    bool fillAheadOf(const std::string& name) {
        for (std::size_t batch = kFirstPlaceholders; add(batch); batch = std::min(batch * 2, kLargestBatch)) {
            const std::vector<std::string> names = folder_.names();
            const auto at = std::find(names.begin(), names.end(), name);
            if (at == names.end())
                return false;
            std::vector<std::string> behind;
            std::copy_if(at, names.end(), std::back_inserter(behind),
                         [&](const std::string& n) { return isPlaceholderName(n, stem_); });
            if (!behind.empty()) {
                for (const std::string& listed : behind)
                    removeOne(listed);
                return true;
            }
        }
        return false;
    }

private:
    std::string nextName() {
        char number[8];
        std::snprintf(number, sizeof number, "%04zu", ++issued_);
        return stem_ + number;
    }

    // The placeholder as the folder lists it (FAT may list an 8.3 name in lower case), while it is ours.
    void removeOne(const std::string& listed) {
        const auto found =
            std::find_if(made_.begin(), made_.end(), [&](const auto& m) { return sameLetters(m.first, listed); });
        if (found != made_.end() && folder_.names(found->first, found->second) &&
            folder_.removeUnflushed(found->first).ok())
            made_.erase(found);
    }

    HeldFolder& folder_;
    std::string stem_;
    std::vector<std::pair<std::string, FileIdentity>> made_;
    std::size_t issued_ = 0; // names tried, taken ones too
    std::optional<RunRecord> record_;
};

// FAT: the free slots ahead of the file taken, the file moves behind its own slots, and those are
// taken too.
OverwrittenName overwriteFatSlots(HeldFolder& folder, const std::string& name, const FileIdentity& identity,
                                  const PlaceholderNotes& notes) {
    OverwrittenName current{name};
    // Deleting the placeholders by name is safe only where no other user may put a file under it.
    current.complete = false;
    if (folder.othersMayTakeNames())
        return current;
    Placeholders placeholders(folder, notes);
    if (!placeholders.noted() || !placeholders.fillAheadOf(name))
        return current;
    if (renameToFirstFree(folder, current, neutralNames(kOneSlotLength), 0, identity) != Step::Renamed ||
        current.swapped)
        return current;
    current.complete = placeholders.add(fatSlotsAtMost(name));
    return current;
}

} // namespace

std::size_t utf16Length(const std::string& name) {
    std::size_t units = 0;
    for (const char byte : name) {
        const auto value = static_cast<unsigned char>(byte);
        if ((value & 0xC0) != 0x80)
            units += value >= 0xF0 ? 2 : 1; // four bytes: a pair of surrogates
    }
    return units;
}

bool isPlaceholderName(const std::string& name, const std::string& stem) {
    // FAT may show an 8.3 name in lower case (shortname=lower).
    return name.size() == stem.size() + 4 && sameLetters(name.substr(0, stem.size()), stem) &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(stem.size()), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

OverwrittenName overwriteNameSlots(HeldFolder& folder, const std::string& name, const FileIdentity& identity,
                                   DeletedNames kept, const PlaceholderNotes& notes) {
    const std::size_t length = utf16Length(name);
    switch (kept) {
    case DeletedNames::Reused:
        return {name};
    case DeletedNames::FatSlots:
        return overwriteFatSlots(folder, name, identity, notes);
    case DeletedNames::ExfatEntries:
        return renameThrough(folder, name, identity, exfatPlan(length));
    case DeletedNames::NtfsIndex:
        break;
    }
    OverwrittenName current = renameThrough(folder, name, identity, ntfsPlan(length));
    if (current.complete && !current.swapped)
        current.complete = folder.fillRecordSlack().ok();
    return current;
}

namespace {

constexpr std::size_t kRunUnits = 8;      // a piece of a name long enough to tell it
constexpr std::size_t kLongestName = 255; // NTFS's limit, in UTF-16 units
// The lengths of the entries made in each gap of an NTFS index, in UTF-16 units: the longest first,
// which split the blocks, then ever shorter ones, which fill what is left of each block's end
// (measured on ntfs-3g: two of the longest alone left the last few hundred bytes of some blocks).
constexpr std::size_t kFillerLengths[] = {255, 255, 192, 128, 96, 64, 48, 32, 24, 16, 8, 4, 2, 1};

std::string utf16le(const std::u16string& units) {
    std::string bytes;
    for (const char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The name's pieces, as NTFS stores it, that no name still in the folder holds.
std::vector<std::string> runsOfTheName(HeldFolder& folder, const std::string& name) {
    const std::u16string units = utf16FromWtf8(name);
    std::vector<std::string> live;
    for (const std::string& entry : folder.names())
        live.push_back(utf16le(utf16FromWtf8(entry)));
    std::vector<std::string> runs;
    const std::size_t length = std::min(kRunUnits, units.size());
    for (std::size_t at = 0; at + length <= units.size(); ++at) {
        const std::string run = utf16le(units.substr(at, length));
        const bool held = std::any_of(live.begin(), live.end(),
                                      [&](const std::string& entry) { return entry.find(run) != std::string::npos; });
        if (!held)
            runs.push_back(run);
    }
    return runs;
}

// Empty entries made and removed in every gap of the index, after each name and before the first:
// each block takes new entries until it splits, which writes over its slack with names still
// there, and the shorter ones fill its end.
void rewriteIndexSlack(HeldFolder& folder, const PlaceholderNotes& notes) {
    // Noted while they stand, as the placeholders on FAT are: a start after a kill removes them.
    const auto identity = folder.identity();
    std::optional<RunRecord> record;
    if (identity.ok())
        record.emplace(folder.files(), notes.process, diskNames::kPlaceholderRecordsFolder, notes.folderPath,
                       identity.value, kIndexFillerNote);
    std::vector<std::string> after = folder.names();
    after.insert(after.begin(), std::string());
    std::vector<std::string> made;
    for (const std::string& name : after) {
        const std::size_t units = utf16Length(name);
        std::size_t filler = 0;
        for (const std::size_t length : kFillerLengths) {
            // Right after the name, each apart: control characters collate below any a name holds.
            ++filler;
            if (units + filler > kLongestName)
                break;
            const std::size_t pad = length > units + filler ? length - units - filler : 0;
            const std::string entry = name + std::string(filler, '\x01') + std::string(pad, '\x02');
            const auto created = folder.createFile(entry);
            if (!created.ok())
                continue;
            folder.files().close(created.value);
            made.push_back(entry);
        }
    }
    bool allGone = true;
    for (const std::string& entry : made)
        allGone &= folder.removeUnflushed(entry).ok();
    if ((!folder.flush() || !allGone) && record)
        record->keep();
    folder.fillRecordSlack();
}

} // namespace

bool isIndexFillerName(const std::string& name) {
    const auto first = name.find('\x01');
    return first != std::string::npos && first + 1 <= name.size() &&
           name.find_first_not_of("\x01\x02", first) == std::string::npos;
}

bool nameLeftInNtfsIndex(HeldFolder& folder, const std::string& name, const PlaceholderNotes& notes) {
    const std::vector<std::string> runs = runsOfTheName(folder, name);
    if (runs.empty())
        return false;
    auto held = folder.files().folderIndexHolds(folder.handle(), runs);
    if (held.ok() && held.value) {
        rewriteIndexSlack(folder, notes);
        held = folder.files().folderIndexHolds(folder.handle(), runs);
    }
    return !held.ok() || held.value;
}

} // namespace kelvanter::modDestroyFile
