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

std::vector<std::string> wipeAttributes(DestructionServices& files, FileHandle written) {
    const auto attributes = files.attributesOf(written);
    std::vector<std::string> kept;
    if (!attributes.ok())
        return kept;
    std::vector<std::string> overwritten;
    for (const FileAttribute& attribute : attributes.value) {
        if (attribute.mayChange &&
            files.replaceAttributeValue(written, attribute.name, neutralValue(attribute.size)).ok())
            overwritten.push_back(attribute.name);
        else
            kept.push_back(attribute.name);
    }
    // The neutral values on the device before their names go: a removal alone frees the old bytes.
    if (!overwritten.empty() && !files.flushData(written).ok()) {
        kept.insert(kept.end(), overwritten.begin(), overwritten.end());
        return kept;
    }
    for (const std::string& name : overwritten) {
        if (!files.removeAttribute(written, name).ok())
            kept.push_back(name);
    }
    return kept;
}

} // namespace kelvanter
