#pragma once

#include "core/ByteCounters.h"
#include "core/CoreContext.h"
#include "core/FileName.h"
#include "core/FilePin.h"
#include "core/OverwriteProof.h"
#include "core/PassFile.h"
#include "core/ServingPace.h"
#include "core/TransferPace.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

inline constexpr unsigned char kNormalPattern = 0;
inline constexpr std::array<unsigned char, 7> kIntensivePatterns{0, 255, 0, 255, 0, 255, 246};

// Writes the passes over the held file and its named streams: counts the bytes for the time
// display and steps the progress exactly as one write per block would, in batches the device
// takes in about 50 ms, serving the window between them.
class PassWriter {
public:
    // Blocks [first, end).
    struct BlockSpan {
        std::int64_t first = 0;
        std::int64_t end = 0;
    };

    struct Failure {
        RunNotice notice = RunNotice::CannotOpen;
        int error = 0;
    };

    PassWriter(const CoreContext& context, ByteCounters& counters, const FileName& at, FilePin& pin, PassFile& file);

    // Sets the run's total for `passes` passes from the length at the lookup, and opens the file.
    bool start(std::int64_t passes);
    bool normalMode();
    bool intensiveMode();

    // Overwrites with the last pattern what another program wrote past the overwritten end
    // meanwhile, for a few rounds; false where the file kept growing.
    bool overwriteGrowth();
    // How far the file is overwritten: the last pass's blocks, and the growth since.
    std::int64_t overwrittenEnd() const { return overwrittenEnd_; }
    // The stretches written where the file had holes; none where it was written whole.
    std::optional<std::vector<DataRange>> sparseData() const;

    // Reads the last pass back while it is written, where the device serves that (see ReadBackWindows).
    void readBackAlongside(bool allowed) { readBackAllowed_ = allowed; }
    // What the last pass's windows read back; none where it was not read alongside.
    const ReadBackWindows* readBack() const { return readBack_.get(); }

    unsigned char lastPattern() const { return lastPattern_; }
    const Failure& failure() const { return failure_; }
    void serveIfDue();

private:
    struct PassPlan {
        unsigned char pattern = 0;
        int passNumber = 1;
        bool intensive = false;
    };

    bool overwritePass(const PassPlan& plan);
    bool overwriteMainFile(std::int64_t length, const std::vector<BlockSpan>& spans, const PassPlan& plan,
                           std::int64_t step, std::int64_t& bytesBefore);
    bool overwriteStream(NamedStream& stream, const PassPlan& plan, std::int64_t step, std::int64_t& bytesBefore);
    bool overwriteAtOwnLength(PassFile& file, std::int64_t length, unsigned char pattern);
    bool overwriteTarget(PassFile& file, std::int64_t length, const std::vector<BlockSpan>& spans, const PassPlan& plan,
                         std::int64_t step, std::int64_t& bytesBefore);
    bool writeBlocks(PassFile& file, BlockSpan span, std::int64_t length, const PassPlan& plan, std::int64_t step,
                     std::int64_t bytesBefore);
    std::vector<BlockSpan> spansFor(std::int64_t length) const;
    void addWrittenSpan(BlockSpan span);
    SysResult<std::int64_t> writeBatch(PassFile& file, const unsigned char* block, std::int64_t count,
                                       std::int64_t firstBlock);
    std::int64_t bytesDoneAfter(std::int64_t position, const PassPlan& plan) const;
    void progressStep();
    bool fail(RunNotice notice, int error);
    SysStatus openHeldFile();
    void watchForOthers();

    const CoreContext& context_;
    ByteCounters& counters_;
    const FileName& at_;
    FilePin& pin_;
    PassFile& file_;
    std::vector<NamedStream> streams_;
    // The blocks holding data at the start, where holes lie between them: only they are written.
    std::optional<std::vector<BlockSpan>> dataSpans_;
    unsigned char lastPattern_ = kNormalPattern;
    std::int32_t percent_ = 0;
    // Runs on across the passes; the progress steps are counted against it.
    std::int64_t runningBlock_ = 0;
    std::int64_t overwrittenEnd_ = 0;
    TransferPace pace_;
    ServingPace serving_;
    Failure failure_;
    std::int64_t passes_ = 1;
    bool readBackAllowed_ = false;
    std::unique_ptr<ReadBackWindows> readBack_;
    ReadBackWindows* windowsNow_ = nullptr; // while the last pass writes the file itself
};

} // namespace kelvanter
