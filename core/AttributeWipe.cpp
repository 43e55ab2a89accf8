#include "core/AttributeWipe.h"

#include <algorithm>
#include <random>

namespace kelvanter {

namespace {

// Zeros, ending in a few random bytes: a file system that shares one block among files with
// equal attributes (ext4) would otherwise drop this block for a shared one and keep it as it was.
std::string neutralValue(std::int64_t size) {
    std::string value(static_cast<std::size_t>(size), '\0');
    std::random_device source;
    const std::size_t tail = std::min<std::size_t>(value.size(), 8);
    for (std::size_t i = value.size() - tail; i < value.size(); ++i)
        value[i] = static_cast<char>(source() & 0xFF);
    return value;
}

} // namespace

WipedAttributes wipeAttributes(DestructionServices& files, FileHandle written) {
    const auto attributes = files.attributesOf(written);
    WipedAttributes wiped;
    if (!attributes.ok())
        return wiped;
    std::vector<FileAttribute> overwritten;
    std::vector<FileAttribute> removable;
    bool throughLog = false;
    for (const FileAttribute& attribute : attributes.value) {
        if (!attribute.mayChange) {
            wiped.kept.push_back(attribute.name);
        } else if (attribute.place == ValuePlace::Elsewhere) {
            // A new value would go to new blocks and free the old ones as they are.
            removable.push_back(attribute);
            wiped.inFreeSpace.push_back(attribute.name);
        } else if (files.replaceAttributeValue(written, attribute.name, neutralValue(attribute.size)).ok()) {
            overwritten.push_back(attribute);
            throughLog |= attribute.place == ValuePlace::OwnBlock;
        } else {
            wiped.kept.push_back(attribute.name);
        }
    }
    // The neutral values on the device before their names go: a removal alone frees the old bytes.
    // A value in a block of its own reaches it only once the journal is written home; that stalls the
    // whole file system for a moment, so it is done once for the file.
    const bool settled = overwritten.empty() || files.settleAttributes(written).ok();
    const bool home = !throughLog || (settled && files.checkpointJournal(written).ok());
    for (const FileAttribute& attribute : overwritten) {
        if (!settled) {
            wiped.kept.push_back(attribute.name);
            continue;
        }
        if (attribute.place == ValuePlace::OwnBlock && !home)
            wiped.inFreeSpace.push_back(attribute.name);
        removable.push_back(attribute);
    }
    for (const FileAttribute& attribute : removable) {
        if (!files.removeAttribute(written, attribute.name).ok())
            wiped.kept.push_back(attribute.name);
    }
    return wiped;
}

} // namespace kelvanter
