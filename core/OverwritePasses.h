#pragma once

#include "core/ByteCounters.h"
#include "core/CoreContext.h"
#include "core/FileName.h"
#include "core/FilePin.h"
#include "core/HeldFolder.h"
#include "core/OverwriteProof.h"
#include "core/PassWriter.h"
#include "core/RunVerdict.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// The methods the user chose: the window's two option buttons, which exclude each other. With
// neither, nothing is opened or written.
struct PassModes {
    bool normal = true;
    bool intensive = false;

    static PassModes of(bool intensive) { return {!intensive, intensive}; }
};

// The file a destruction works on, as its lookup found it: held open since, and with the answers
// about its storage that were asked then.
struct DestructionTarget {
    std::string path;                    // as the file system names it (the path box shows only its text)
    FileName at;                         // its name in the folder the run holds
    std::vector<FileName> otherNames;    // further names of it the user chose too (hard links): they go with it
    std::optional<HeldFolder> ownFolder; // the folder, where the target holds it itself
    FilePin pin;
    StorageView storage;

    // The target, or nothing with the error that stood in the way of one (none where there was
    // simply no destroyable file).
    struct Lookup;
    // The file at the path: its folder opened by the path, the name looked up in it.
    static Lookup find(DestructionServices& files, ProcessServices& process, const std::string& path,
                       HiddenFiles hidden);
    // The file of that name in a folder held elsewhere, never through a link.
    static Lookup findAt(DestructionServices& files, ProcessServices& process, const FileName& name,
                         HiddenFiles hidden);
    static std::optional<DestructionTarget> lookUp(DestructionServices& files, ProcessServices& process,
                                                   const std::string& path, HiddenFiles hidden = HiddenFiles::Admitted);
};

struct DestructionTarget::Lookup {
    std::optional<DestructionTarget> target;
    int error = 0;
};

// Overwrites the file in place (one pass of 0, or seven of 0, 255, 0, 255, 0, 255, 246), disposes
// of it and shows the verdict. The target is the file the user confirmed; the pass's open of its
// path must find that very file, or nothing is written. Destroyed only when nothing is left of
// it, and the overwrite was proven where the data lies; the user is told which.
Verdict vesk(const CoreContext& context, ByteCounters& counters, DestructionTarget target, PassModes modes);

// The same for the file found at the path now, for destructions nobody confirmed file by file.
Verdict vesk(const CoreContext& context, ByteCounters& counters, const std::string& sFileName, PassModes modes);

} // namespace kelvanter
