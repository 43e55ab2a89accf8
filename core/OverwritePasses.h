#pragma once

#include "core/ByteCounters.h"
#include "core/CoreContext.h"
#include "core/FilePin.h"
#include "core/OverwriteProof.h"

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

inline constexpr const char* kUnprovenHead = "Die Datei ";
inline constexpr const char* kUnprovenMiddle = " wurde gelöscht, aber das Überschreiben ließ sich nicht nachweisen: ";
inline constexpr const char* kUnprovenTail = ". Ihr bisheriger Inhalt kann noch auf dem Datenträger lesbar sein.";

enum class Verdict {
    NotDestroyed,
    Destroyed,       // the path is gone, and the device was seen to hold the overwrite
    DeletedUnproven, // the path is gone, but the overwrite could not be proven on the device
};

// Overwrites the file in place (one pass of 0, or seven of 0, 255, 0, 255, 0, 255, 246), disposes
// of it and shows the verdict. `lookedUp` is the file the user confirmed, pinned since its lookup;
// a path that no longer names it is never written, and the pin is held until the disposal is
// done. Without it, the file found at the path now is taken. Every pass checks again that the
// path still names that file.
// Destroyed only when the path is gone, nothing is left under the temporary name, and the
// overwrite was proven where the data lies; the user is told which.
Verdict vesk(const CoreContext& context, ByteCounters& counters, const std::string& sFileName,
             std::optional<FilePin> lookedUp = std::nullopt);

} // namespace kelvanter
