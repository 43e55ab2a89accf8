#pragma once

#include "core/AlignedBytes.h"
#include "core/FilePin.h"
#include "core/RunReport.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"

#include <functional>
#include <memory>
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

// What another program's write would change of an open file, read on the file itself: its
// length, when its data last changed, and where it lies. A write within the same tick of the file
// system's clock that moves no block and leaves the length is not seen.
struct WrittenState {
    std::int64_t size = -1;
    std::int64_t modified = 0;
    SysResult<std::vector<Extent>> extents;

    static WrittenState of(DestructionServices& files, FileHandle handle);
    bool operator==(const WrittenState& other) const {
        return size == other.size && modified == other.modified && extents.error == other.extents.error &&
               extents.value == other.extents.value;
    }
};

// The doubts that facts about the storage raise; none where an in-place overwrite can hold.
Doubts doubtsFrom(const StorageView& storage);

// Whether the old copies an in-place overwrite cannot reach lie in free space (copy-on-write, a
// data journal), where overwriting the free space reaches them.
bool freeSpaceHoldsOldCopies(const StorageView& storage);

// Whether every byte of [0, length) that `before` placed on the device lies at the same place in `after`.
bool stillInPlace(const std::vector<Extent>& before, const std::vector<Extent>& after, std::int64_t length);

// Whether the last pass may be read back while it is written: where the system reads beside its
// caller, and not on a rotating disk, where the reads between the writes cost seeks.
bool readsBackAlongside(DestructionServices& files, const StorageView& storage);

// The last pass read back while it is written, window by window: each window once its flush has
// returned, so that no read is served from the device's volatile cache, the read running while
// the next window is written.
class ReadBackWindows {
public:
    static constexpr std::int64_t kWindowBytes = std::int64_t{8} << 20;

    // `serve` serves the window while a read keeps the pass waiting.
    ReadBackWindows(DestructionServices& files, unsigned char pattern, std::function<void()> serve)
        : files_(files), pattern_(pattern), serve_(std::move(serve)) {}
    ReadBackWindows(const ReadBackWindows&) = delete;
    ReadBackWindows& operator=(const ReadBackWindows&) = delete;
    ~ReadBackWindows() { settle(); }

    // The pass has written the file up to `end`: a full window is flushed, and its read begins.
    SysStatus wrote(FileHandle handle, std::int64_t end);
    // Ends the read in flight: before the handle changes, and at the pass's end.
    void settle();
    // What read back as the pattern, from the file's start.
    std::int64_t provenEnd() const { return provenEnd_; }
    // Whether a window read back short, with an error or with other bytes.
    bool failed() const { return failed_; }

private:
    DestructionServices& files_;
    unsigned char pattern_;
    std::function<void()> serve_;
    AlignedBytes buffer_; // made with the first window: a small file never needs it
    std::optional<DeviceRead> inFlight_;
    DataRange reading_{};
    std::int64_t flushedEnd_ = 0;
    std::int64_t provenEnd_ = 0;
    bool failed_ = false;
};

// What the passes are measured against: where the file's data lay before the first of them.
class OverwriteProof {
public:
    OverwriteProof(const StorageView& before, std::int64_t originalLength);

    // After the last pass has been flushed, before the cut, asked of the pass's open file: why the
    // overwrite could not be proven, or nothing when its place held and every block it wrote reads
    // back from the device as the last pattern. The window is served between the reads. Of a
    // sparse file, `sparseData` names what was written; data found outside it was written by another.
    // What `windows` read back during the last pass is not read again.
    Doubts failureAfter(DestructionServices& files, Clock& clock, FileHandle written, unsigned char lastPattern,
                        const std::optional<std::vector<DataRange>>& sparseData, const ReadBackWindows* windows,
                        const std::function<void()>& serveWindow) const;

private:
    bool writesElsewhere() const;

    Doubts doubts_;
    std::optional<std::vector<Extent>> extents_; // none where the file system cannot tell
    std::optional<std::string> throughDriver_;   // the file system whose driver alone the read-back reaches
    std::int64_t originalLength_ = 0;
};

} // namespace kelvanter
