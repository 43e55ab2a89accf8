#include "core/NameSlots.h"

#include "platform/Reasons.h"

#include <vector>

namespace kelvanter::modDestroyFile {

namespace {

constexpr int kSameLengthRenames = 3;
constexpr const char* kVariants = "0123456789";

// The neutral names of a length, in the order they are tried: all underscores, then with a digit last.
std::vector<std::string> neutralNames(std::size_t length) {
    std::vector<std::string> names = {std::string(length, '_')};
    for (const char* variant = kVariants; *variant != '\0'; ++variant)
        names.push_back(std::string(length - 1, '_') + *variant);
    return names;
}

enum class Step { Renamed, Skipped, Refused };

// Renames the file to the first of the names that is free; Refused where the folder takes none.
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
        return Step::Renamed;
    }
    return Step::Skipped;
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

OverwrittenName overwriteNameSlots(HeldFolder& folder, const std::string& name, const FileIdentity& identity) {
    OverwrittenName current{name};
    const std::size_t length = utf16Length(name);
    const std::vector<std::string> sameLength = neutralNames(length);
    for (int round = 0; round < kSameLengthRenames; ++round) {
        const Step step = renameToFirstFree(folder, current, sameLength, static_cast<std::size_t>(round), identity);
        if (step == Step::Refused || current.swapped)
            return current;
    }
    for (std::size_t shorter = length / 2; shorter >= 1; shorter /= 2) {
        const Step step = renameToFirstFree(folder, current, neutralNames(shorter), 0, identity);
        if (step == Step::Refused || current.swapped)
            return current;
    }
    return current;
}

} // namespace kelvanter::modDestroyFile
