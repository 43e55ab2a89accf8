#include "core/OverwritePasses.h"

#include "core/Disposal.h"
#include "core/FilePin.h"
#include "core/ModDestroyFile.h"
#include "core/PassFile.h"
#include "core/WritePace.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace kelvanter {

namespace {

constexpr int kLastPercentBeforeDisposal = 99;
constexpr double kBarMaximum = 100.0;

struct PassPlan {
    unsigned char pattern = 0;
    int passNumber = 1;
    bool intensive = false;
};

// Every pass writes one block more than the length holds, so an empty file still gets one.
std::int64_t blocksFor(std::int64_t length) {
    return length / static_cast<std::int64_t>(kBlockSize) + 1;
}

// About a hundred progress steps per run, whatever the size; fixed before a pass's first block.
std::int64_t progressStepFor(std::int64_t blocks, bool intensive) {
    const std::int64_t step = intensive ? 7 * (blocks + 1) / 100 : blocks / 100;
    return std::max<std::int64_t>(step, 1);
}

class OverwriteRun {
public:
    OverwriteRun(const CoreContext& context, ByteCounters& counters, const std::string& path,
                 std::optional<FilePin> lookedUp)
        : context_(context), counters_(counters), path_(path), lookedUp_(std::move(lookedUp)),
          lastServed_(context.clock.monotonicMicroseconds()) {}

    bool normalMode() { return startRun(1) && overwritePass({kNormalPattern, 1, false}); }

    bool intensiveMode() {
        if (!startRun(static_cast<std::int64_t>(kIntensivePatterns.size())))
            return false;
        for (std::size_t pass = 0; pass < kIntensivePatterns.size(); ++pass) {
            if (!overwritePass({kIntensivePatterns[pass], static_cast<int>(pass) + 1, true}))
                return false;
        }
        return true;
    }

    Verdict finish() {
        // Proven before the cut, while the overwritten blocks are still the file's.
        const auto unproven = proof_->failureAfter(context_.files, path_, pin_->identity(), lastPattern_);
        const DisposalOutcome outcome = vesk_total(context_, path_, pin_->identity());
        // A file still held open is only marked for deletion on some systems, and its name still found.
        pin_.reset();
        lookedUp_.reset();
        VeskDisplay& display = context_.display;
        display.setBarBackground(kBarColor);
        display.setPercentCaption("100 %");
        // Gone only when nothing is left, neither at the path nor under the temporary name.
        const bool nothingLeft = outcome == DisposalOutcome::Deleted || outcome == DisposalOutcome::FileNotFound;
        if (nothingLeft && modDestroyFile::PathIsGone(context_.files, path_)) {
            if (!unproven) {
                display.setSuccessLabelVisible(true);
                return Verdict::Destroyed;
            }
            display.messageBox(kUnprovenHead + path_ + kUnprovenMiddle + *unproven + kUnprovenTail, kStyleWarning,
                               kMessageTitle);
            return Verdict::DeletedUnproven;
        }
        resetProgressDisplay();
        display.messageBox("Die Datei " + path_ +
                               " konnte nicht gelöscht werden! Starten sie das Programm als Administrator.",
                           kStyleError, display.executableName());
        return Verdict::NotDestroyed;
    }

    void recover() {
        context_.display.setWindowEnabled(true);
        resetProgressDisplay();
        context_.display.messageBox(kCannotOpenText, kStyleWarning, kMessageTitle);
    }

private:
    // Holds the file for the whole run and sets the run's total from its length found by name.
    bool startRun(std::int64_t passes) {
        pin_.reset();
        if (auto found = FilePin::of(context_.files, path_))
            pin_.emplace(std::move(*found));
        if (!pin_ || (lookedUp_ && pin_->identity() != lookedUp_->identity()))
            return false;
        const auto streams = context_.files.namedStreamsOf(path_, pin_->identity());
        streams_ = streams.ok() ? streams.value : std::vector<NamedStream>{};
        std::int64_t length = pin_->sizeAtLookup();
        for (const NamedStream& stream : streams_)
            length += stream.size;
        counters_.lBytesTotal = passes * length;
        proof_.emplace(OverwriteProof::before(context_.files, path_, pin_->identity(), pin_->sizeAtLookup()));
        return true;
    }

    // One pass over the file, then over each of its named streams, which hold data of their own.
    bool overwritePass(const PassPlan& plan) {
        PassFile file(context_.files);
        const auto length = openTarget(file, path_);
        if (!length)
            return false;
        const std::int64_t blocks = blocksFor(*length);
        // Fixed before the pass's first block, over all the blocks the pass will write.
        std::int64_t allBlocks = blocks;
        for (const NamedStream& stream : streams_)
            allBlocks += blocksFor(stream.size);
        const std::int64_t step = progressStepFor(allBlocks, plan.intensive);
        std::int64_t bytesBefore = 0;
        if (!writeAndClose(file, *length, plan, step, bytesBefore))
            return false;
        for (NamedStream& stream : streams_) {
            if (!overwriteStream(stream, plan, step, bytesBefore))
                return false;
        }
        return true;
    }

    bool overwriteStream(NamedStream& stream, const PassPlan& plan, std::int64_t step, std::int64_t& bytesBefore) {
        PassFile file(context_.files);
        const auto length = openTarget(file, stream.path);
        if (!length)
            return false;
        stream.size = blocksFor(*length) * static_cast<std::int64_t>(kBlockSize);
        return writeAndClose(file, *length, plan, step, bytesBefore);
    }

    // Opens the file or stream for this pass; its length, from which the pass's blocks follow.
    std::optional<std::int64_t> openTarget(PassFile& file, const std::string& path) {
        if (!file.open(path, pin_->identity()).ok())
            return std::nullopt;
        const auto length = context_.files.lengthOf(file.handle());
        if (!length.ok())
            return std::nullopt;
        return length.value;
    }

    // A file shorter than a block is first overwritten at exactly its length, flushed: where the
    // file system keeps a small file inside its own record (NTFS, ext4's inline data, btrfs's
    // inline extents), the first whole block would move the data out and leave the old bytes
    // behind in the record. Unaligned, so through the cache.
    bool overwriteAtOwnLength(PassFile& file, std::int64_t length, unsigned char pattern) {
        if (length <= 0 || length >= static_cast<std::int64_t>(kBlockSize))
            return true;
        if (file.route() == WriteRoute::Direct && !file.reopenBuffered().ok())
            return false;
        const auto block = std::make_unique<PatternBlock>();
        block->bytes.fill(pattern);
        FileServices& files = context_.files;
        return files.writeBlocks(file.handle(), block->bytes.data(), static_cast<std::size_t>(length), 1, 0).ok() &&
               files.flushData(file.handle()).ok();
    }

    // `bytesBefore`: what this pass wrote to earlier targets; moved on past this one.
    bool writeAndClose(PassFile& file, std::int64_t length, const PassPlan& plan, std::int64_t step,
                       std::int64_t& bytesBefore) {
        const std::int64_t blocks = blocksFor(length);
        // Without the flush the blocks could still sit in the device's cache when the file is cut.
        const bool written = overwriteAtOwnLength(file, length, plan.pattern) &&
                             writeBlocks(file, blocks, plan, step, bytesBefore) &&
                             context_.files.flushData(file.handle()).ok();
        const bool closed = file.close().ok();
        serveWindowIfDue();
        bytesBefore += blocks * static_cast<std::int64_t>(kBlockSize);
        return written && closed;
    }

    // Writes the pass's blocks in batches that end where a progress step falls due, so that the
    // display and the counters see exactly what one write per block would show them, and that
    // are no larger than the device writes in about 50 ms, so that the window is served between.
    bool writeBlocks(PassFile& file, std::int64_t blocks, const PassPlan& plan, std::int64_t step,
                     std::int64_t bytesBefore) {
        const auto block = std::make_unique<PatternBlock>();
        block->bytes.fill(plan.pattern);
        lastPattern_ = plan.pattern;
        std::int64_t done = 0;
        while (done < blocks) {
            const std::int64_t next = runningBlock_ + 1;
            if (next % step == 0)
                progressStep();
            const std::int64_t batch = std::min({blocks - done, step - next % step, pace_.blocks()});
            const std::int64_t start = context_.clock.monotonicMicroseconds();
            const auto written = writeBatch(file, *block, batch, done);
            pace_.record(batch, context_.clock.monotonicMicroseconds() - start);
            const std::int64_t whole = written.value / static_cast<std::int64_t>(kBlockSize);
            runningBlock_ += whole;
            done += whole;
            counters_.lBytesDone = bytesDoneAfter(bytesBefore + done * static_cast<std::int64_t>(kBlockSize), plan);
            if (!written.ok())
                return false;
            serveWindowIfDue();
        }
        return true;
    }

    // Lets the window repaint and its timer tick well before the next call could keep it waiting
    // past kServeEveryMicroseconds (a throttled device holds some calls twice as long as the pace
    // expects); the percent and the bar move only at progress steps.
    void serveWindowIfDue() {
        const std::int64_t now = context_.clock.monotonicMicroseconds();
        if (now - lastServed_ < kServeEveryMicroseconds / 4)
            return;
        context_.display.processEvents();
        lastServed_ = context_.clock.monotonicMicroseconds();
    }

    SysResult<std::int64_t> writeBatch(PassFile& file, const PatternBlock& block, std::int64_t count,
                                       std::int64_t firstBlock) {
        FileServices& files = context_.files;
        const std::int64_t offset = firstBlock * static_cast<std::int64_t>(kBlockSize);
        auto written = files.writeBlocks(file.handle(), block.bytes.data(), kBlockSize, count, offset);
        // Some devices refuse direct writes only when the first one comes; the pass then goes on buffered.
        if (written.error == EINVAL && file.route() == WriteRoute::Direct && offset == 0) {
            const SysStatus reopened = file.reopenBuffered();
            if (!reopened.ok())
                return {0, reopened.error};
            written = files.writeBlocks(file.handle(), block.bytes.data(), kBlockSize, count, offset);
        }
        return written;
    }

    std::int64_t bytesDoneAfter(std::int64_t position, const PassPlan& plan) const {
        if (!plan.intensive)
            return position;
        // Nearest integer, a half to the even neighbour (the default rounding mode).
        const double done =
            static_cast<double>(counters_.lBytesTotal) / 7.0 * (plan.passNumber - 1) + static_cast<double>(position);
        return static_cast<std::int64_t>(std::nearbyint(done));
    }

    void progressStep() {
        VeskDisplay& display = context_.display;
        display.processEvents();
        lastServed_ = context_.clock.monotonicMicroseconds();
        if (percent_ < kLastPercentBeforeDisposal)
            ++percent_;
        display.setPercentCaption(std::to_string(percent_) + " %");
        display.showProgressBar(percent_, kBarColor, kBarMaximum);
    }

    void resetProgressDisplay() {
        VeskDisplay& display = context_.display;
        display.setBarBackground(kEmptyBarColor);
        display.setPercentCaption("0 %");
        display.setSuccessLabelVisible(false);
    }

    const CoreContext& context_;
    ByteCounters& counters_;
    const std::string& path_;
    std::optional<FilePin> lookedUp_;
    std::optional<FilePin> pin_;
    std::optional<OverwriteProof> proof_;
    std::vector<NamedStream> streams_;
    unsigned char lastPattern_ = kNormalPattern;
    std::int32_t percent_ = 0;
    // Runs on across the passes; the progress steps are counted against it.
    std::int64_t runningBlock_ = 0;
    WritePace pace_;
    std::int64_t lastServed_;
};

} // namespace

Verdict vesk(const CoreContext& context, ByteCounters& counters, const std::string& sFileName,
             std::optional<FilePin> lookedUp) {
    VeskDisplay& display = context.display;
    display.setWindowEnabled(false);
    OverwriteRun run(context, counters, sFileName, std::move(lookedUp));
    Verdict verdict = Verdict::NotDestroyed;
    if (display.isOptionSelected(0)) {
        if (!run.normalMode()) {
            run.recover();
            return Verdict::NotDestroyed;
        }
        verdict = run.finish();
    }
    if (display.isOptionSelected(1)) {
        if (!run.intensiveMode()) {
            run.recover();
            return Verdict::NotDestroyed;
        }
        verdict = run.finish();
    }
    display.setWindowEnabled(true);
    return verdict;
}

} // namespace kelvanter
