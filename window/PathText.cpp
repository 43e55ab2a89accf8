#include "window/PathText.h"

#include "platform/Wtf8.h"

#include <vector>

namespace kelvanter {

namespace {

bool hasReplacement(const std::string& text) {
    return text.find(kReplacementCharacter) != std::string::npos;
}

std::string withReplacementRunsFolded(const std::string& text) {
    std::string folded;
    for (std::size_t at = 0; at < text.size();) {
        const bool replacement = text.compare(at, 3, kReplacementCharacter) == 0;
        if (replacement && folded.size() >= 3 && folded.compare(folded.size() - 3, 3, kReplacementCharacter) == 0) {
            at += 3;
            continue;
        }
        folded += text[at++];
    }
    return folded;
}

// The folder to list for the part that follows `resolved`: "." for a relative path's first part,
// and without its final separator unless it is a root.
std::string folderToList(const std::string& resolved, const char* separators) {
    if (resolved.empty())
        return ".";
    std::string folder = resolved;
    while (folder.size() > 1 && std::string(separators).find(folder.back()) != std::string::npos &&
           folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}

} // namespace

std::string shownName(const std::string& name) {
    std::string text;
    for (std::size_t at = 0; at < name.size();) {
        const char32_t code = decodeWtf8(name, at);
        appendUtf8(text, code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code);
    }
    return text;
}

bool sameShownName(const std::string& a, const std::string& b) {
    return withReplacementRunsFolded(a) == withReplacementRunsFolded(b);
}

ResolvedPath resolveShownPath(FileBasics& files, const std::string& text) {
    // Text without U+FFFD names itself: its bytes are the name.
    if (!hasReplacement(text))
        return {ResolvedPath::Outcome::Found, text};
    const char* separators = files.pathSeparators();
    std::string resolved;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of(separators, at), text.size());
        const std::string part = text.substr(at, end - at);
        if (!hasReplacement(part)) {
            resolved += part;
        } else {
            const auto entries = files.listFolder(folderToList(resolved, separators));
            std::vector<std::string> matches;
            for (const std::string& entry : entries.value) {
                if (sameShownName(shownName(entry), part))
                    matches.push_back(entry);
            }
            if (matches.size() > 1)
                return {ResolvedPath::Outcome::Ambiguous, {}};
            if (matches.empty())
                return {ResolvedPath::Outcome::NotFound, {}};
            resolved += matches.front();
        }
        if (end < text.size())
            resolved += text[end];
        at = end + 1;
    }
    return {ResolvedPath::Outcome::Found, resolved};
}

} // namespace kelvanter
