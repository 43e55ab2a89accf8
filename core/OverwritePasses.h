#pragma once

#include "core/ByteCounters.h"
#include "core/CoreContext.h"
#include "core/FilePin.h"
#include "core/OverwriteProof.h"

#include <array>
#include <optional>
#include <string>

namespace kelvanter {

inline constexpr unsigned char kNormalPattern = 0;
inline constexpr std::array<unsigned char, 7> kIntensivePatterns{0, 255, 0, 255, 0, 255, 246};

enum class Verdict {
    NotDestroyed,
    Destroyed,       // the file is gone, and the device was seen to hold the overwrite
    DeletedUnproven, // the file is gone, but the overwrite could not be proven on the device
};

// The file a destruction works on, as its lookup found it: held open since, and with the answers
// about its storage that were asked then.
struct DestructionTarget {
    std::string path; // as the file system names it (the path box shows only its text)
    FilePin pin;
    StorageView storage;

    static std::optional<DestructionTarget> lookUp(DestructionServices& files, const std::string& path,
                                                   HiddenFiles hidden = HiddenFiles::Admitted);
};

// Overwrites the file in place (one pass of 0, or seven of 0, 255, 0, 255, 0, 255, 246), disposes
// of it and shows the verdict. The target is the file the user confirmed; the pass's open of its
// path must find that very file, or nothing is written. Destroyed only when nothing is left of
// it, and the overwrite was proven where the data lies; the user is told which.
Verdict vesk(const CoreContext& context, ByteCounters& counters, DestructionTarget target);

// The same for the file found at the path now, for destructions nobody confirmed file by file.
Verdict vesk(const CoreContext& context, ByteCounters& counters, const std::string& sFileName);

} // namespace kelvanter
