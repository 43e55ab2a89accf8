#pragma once

#include "ByteCounters.h"
#include "CoreContext.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace kelvanter {

inline constexpr std::size_t kBlockSize = 4096;
inline constexpr unsigned char kNormalPattern = 0;
inline constexpr std::array<unsigned char, 7> kIntensivePatterns{0, 255, 0, 255, 0, 255, 246};

inline constexpr const char* kCannotOpenText =
    "Die Datei kann nicht geöffnet werden. Sie wird wahrscheinlich von einer anderen Anwendung benutzt.";
inline constexpr const char* kMessageTitle = "Kelvanter - Nachricht";

// Overwrites the file in place (one pass of 0, or seven of 0, 255, 0, 255, 0, 255, 246), disposes
// of it and shows the verdict. `lookedUp` is the file the user confirmed, which the caller keeps
// pinned (FilePin); a path that no longer names it is never written. Without it, the file found
// at the path now is taken. Every pass checks again that the path still names that file.
// True when the file was destroyed: the path is gone and nothing is left under the temporary name.
bool vesk(const CoreContext& context, ByteCounters& counters, const std::string& sFileName,
          std::optional<FileIdentity> lookedUp = std::nullopt);

} // namespace kelvanter
