#pragma once

#include "platform/FileServices.h"

#include <string>

namespace kelvanter {

inline constexpr const char* kReplacementCharacter = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

// A name as text for the path box and the boxes: the bytes where they are UTF-8, U+FFFD where a
// byte (or an unpaired surrogate from Windows) has no character.
std::string shownName(const std::string& name);

// Whether two texts name alike, U+FFFD standing for any undecodable run: toolkits differ in how
// many U+FFFD they make of one.
bool sameShownName(const std::string& a, const std::string& b);

// Text a toolkit handed over (a dialog's choice, a drop, what was typed), matched to the file
// system's own names. Each part with a U+FFFD in it must match exactly one entry of its folder.
struct ResolvedPath {
    enum class Outcome { Found, NotFound, Ambiguous } outcome = Outcome::NotFound;
    std::string path;
};
ResolvedPath resolveShownPath(FileBasics& files, const std::string& text);

} // namespace kelvanter
