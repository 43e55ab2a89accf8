#pragma once

#include "core/FilePin.h"
#include "core/RunReport.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// What the file system says about where a file's data lies, asked once at the lookup: the doubt
// before the confirmation, the remedy after the run and the proof all rest on the same answers.
struct StorageView {
    SysResult<StorageFacts> facts;
    SysResult<std::vector<Extent>> extents;
    Holders holders = Holders::None; // who else holds it open, and may write on after it is gone

    static StorageView of(DestructionServices& files, ProcessServices& process, const FilePin& pin,
                          const std::string& path);
};

// The doubts that facts about the storage raise; none where an in-place overwrite can hold.
Doubts doubtsFrom(const StorageView& storage);

// Whether the old copies an in-place overwrite cannot reach lie in free space (copy-on-write, a
// data journal), where overwriting the free space reaches them.
bool freeSpaceHoldsOldCopies(const StorageView& storage);

// Whether every byte of [0, length) that `before` placed on the device lies at the same place in `after`.
bool stillInPlace(const std::vector<Extent>& before, const std::vector<Extent>& after, std::int64_t length);

// What the passes are measured against: where the file's data lay before the first of them.
class OverwriteProof {
public:
    OverwriteProof(const StorageView& before, std::int64_t originalLength);

    // After the last pass has been flushed, before the cut, asked of the pass's open file: why the
    // overwrite could not be proven, or nothing when its place held and every block it wrote reads
    // back from the device as the last pattern. The window is served between the reads. Of a
    // sparse file, `sparseData` names what was written; data found outside it was written by another.
    Doubts failureAfter(DestructionServices& files, Clock& clock, FileHandle written, unsigned char lastPattern,
                        const std::optional<std::vector<DataRange>>& sparseData,
                        const std::function<void()>& serveWindow) const;

private:
    bool writesElsewhere() const;

    Doubts doubts_;
    std::optional<std::vector<Extent>> extents_; // none where the file system cannot tell
    std::optional<std::string> throughDriver_;   // the file system whose driver alone the read-back reaches
    std::int64_t originalLength_ = 0;
};

} // namespace kelvanter
