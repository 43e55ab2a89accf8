#include "core/OverwritePasses.h"

#include "core/Disposal.h"
#include "core/PassFile.h"
#include "core/ServingPace.h"
#include "core/TransferPace.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace kelvanter {

namespace {

constexpr int kLastPercentBeforeDisposal = 99;
constexpr double kBarMaximum = 100.0;
constexpr auto kBlock = static_cast<std::int64_t>(kBlockSize);

struct PassPlan {
    unsigned char pattern = 0;
    int passNumber = 1;
    bool intensive = false;
};

// Every pass writes one block more than the length holds, so an empty file still gets one.
std::int64_t blocksFor(std::int64_t length) {
    return length / kBlock + 1;
}

// A write that failed only because the file may not grow: the disk is full, a quota or a size limit.
bool cannotGrow(int error) {
    return error == ENOSPC || error == EFBIG || error == kQuotaExceeded;
}

// About a hundred progress steps per run, whatever the size; fixed before a pass's first block.
std::int64_t progressStepFor(std::int64_t blocks, bool intensive) {
    const std::int64_t step = intensive ? 7 * (blocks + 1) / 100 : blocks / 100;
    return std::max<std::int64_t>(step, 1);
}

class OverwriteRun {
public:
    OverwriteRun(const CoreContext& context, ByteCounters& counters, const std::string& path,
                 std::optional<DestructionTarget> target)
        : context_(context), counters_(counters), path_(path), target_(std::move(target)), file_(context.files),
          serving_(context.clock) {}

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
        const Doubts unproven = proof_->failureAfter(context_.files, context_.clock, file_.handle(), lastPattern_,
                                                     [this] { serveWindowIfDue(); });
        const StorageView& storage = target_->storage;
        const bool keepsNames = storage.facts.ok() && storage.facts.value.keepsDeletedNames;
        const DisposalResult disposal = vesk_total(context_, {path_, target_->pin, file_, keepsNames});
        target_.reset();
        VeskDisplay& display = context_.display;
        display.setBarBackground(kBarColor);
        display.setPercentCaption("100 %");
        if (disposal.outcome == DisposalOutcome::Deleted || disposal.outcome == DisposalOutcome::Vanished) {
            if (unproven.empty()) {
                display.setSuccessLabelVisible(true);
                return Verdict::Destroyed;
            }
            display.report({RunNotice::DeletedUnproven, path_, 0, unproven});
            return Verdict::DeletedUnproven;
        }
        resetProgressDisplay();
        if (disposal.outcome == DisposalOutcome::Replaced)
            display.report({RunNotice::Replaced, path_, 0, {}, disposal.leftAt});
        else if (disposal.outcome == DisposalOutcome::RenameFailed && !disposal.leftAt.empty())
            display.report({RunNotice::NotDeleted, disposal.leftAt});
        else
            display.report({RunNotice::NotDeleted, path_});
        return Verdict::NotDestroyed;
    }

    void recover() {
        context_.display.setWindowEnabled(true);
        resetProgressDisplay();
        context_.display.report({failure_.notice, path_, failure_.error});
    }

private:
    // Sets the run's total from the file's length at its lookup, and opens it for the passes.
    bool startRun(std::int64_t passes) {
        if (!target_) {
            if (auto found = DestructionTarget::lookUp(context_.files, path_))
                target_.emplace(std::move(*found));
        }
        if (!target_)
            return failToOpen(ENOENT);
        const FilePin& pin = target_->pin;
        const auto streams = context_.files.namedStreamsOf(path_, pin.identity());
        streams_ = streams.ok() ? streams.value : std::vector<NamedStream>{};
        std::int64_t length = pin.sizeAtLookup();
        for (const NamedStream& stream : streams_)
            length += stream.size;
        counters_.lBytesTotal = passes * length;
        proof_.emplace(target_->storage, pin.sizeAtLookup());
        const SysStatus opened = file_.open(path_, pin.identity());
        return opened.ok() || failToOpen(opened.error);
    }

    // One pass over the file, then over each of its named streams, which hold data of their own.
    bool overwritePass(const PassPlan& plan) {
        const auto length = context_.files.lengthOf(file_.handle());
        if (!length.ok())
            return failToWrite(length.error);
        const std::int64_t blocks = blocksFor(length.value);
        // Fixed before the pass's first block, over all the blocks the pass will write.
        std::int64_t allBlocks = blocks;
        for (const NamedStream& stream : streams_)
            allBlocks += blocksFor(stream.size);
        const std::int64_t step = progressStepFor(allBlocks, plan.intensive);
        std::int64_t bytesBefore = 0;
        if (!overwriteTarget(file_, length.value, plan, step, bytesBefore))
            return false;
        for (NamedStream& stream : streams_) {
            if (!overwriteStream(stream, plan, step, bytesBefore))
                return false;
        }
        return true;
    }

    bool overwriteStream(NamedStream& stream, const PassPlan& plan, std::int64_t step, std::int64_t& bytesBefore) {
        PassFile file(context_.files);
        if (const SysStatus opened = file.open(stream.path, target_->pin.identity()); !opened.ok())
            return failToOpen(opened.error);
        const auto length = context_.files.lengthOf(file.handle());
        if (!length.ok())
            return failToWrite(length.error);
        stream.size = blocksFor(length.value) * kBlock;
        if (!overwriteTarget(file, length.value, plan, step, bytesBefore))
            return false;
        const SysStatus closed = file.close();
        return closed.ok() || failToWrite(closed.error);
    }

    // A file shorter than a block is first overwritten at exactly its length, flushed: where the
    // file system keeps a small file inside its own record (NTFS, ext4's inline data, btrfs's
    // inline extents), the first whole block would move the data out and leave the old bytes
    // behind in the record. Unaligned, so through the cache.
    bool overwriteAtOwnLength(PassFile& file, std::int64_t length, unsigned char pattern) {
        if (length <= 0 || length >= kBlock)
            return true;
        if (const SysStatus switched = file.useCache(); !switched.ok())
            return failToWrite(switched.error);
        const auto block = std::make_unique<PatternBlock>();
        block->bytes.fill(pattern);
        DestructionServices& files = context_.files;
        const auto written =
            files.writeBlocks(file.handle(), block->bytes.data(), static_cast<std::size_t>(length), 1, 0);
        if (!written.ok())
            return failToWrite(written.error);
        const SysStatus flushed = files.flushData(file.handle());
        return flushed.ok() || failToWrite(flushed.error);
    }

    // `bytesBefore`: what this pass wrote to earlier targets; moved on past this one.
    bool overwriteTarget(PassFile& file, std::int64_t length, const PassPlan& plan, std::int64_t step,
                         std::int64_t& bytesBefore) {
        const std::int64_t blocks = blocksFor(length);
        if (!overwriteAtOwnLength(file, length, plan.pattern) ||
            !writeBlocks(file, blocks, length, plan, step, bytesBefore))
            return false;
        // Without the flush the blocks could still sit in the device's cache when the file is cut.
        const SysStatus flushed = context_.files.flushData(file.handle());
        serveWindowIfDue();
        bytesBefore += blocks * kBlock;
        return flushed.ok() || failToWrite(flushed.error);
    }

    // Writes the pass's blocks in batches that end where a progress step falls due, so that the
    // display and the counters see exactly what one write per block would show them, and that
    // are no larger than the device writes in about 50 ms, so that the window is served between.
    // The blocks past the whole blocks of `length` go in batches of their own: where the file may
    // not grow (a full disk, a size limit), the pass is done once every byte it had is overwritten.
    bool writeBlocks(PassFile& file, std::int64_t blocks, std::int64_t length, const PassPlan& plan, std::int64_t step,
                     std::int64_t bytesBefore) {
        const auto block = std::make_unique<PatternBlock>();
        block->bytes.fill(plan.pattern);
        lastPattern_ = plan.pattern;
        const std::int64_t within = length / kBlock;
        std::int64_t done = 0;
        while (done < blocks) {
            const std::int64_t next = runningBlock_ + 1;
            if (next % step == 0)
                progressStep();
            const std::int64_t upTo = done < within ? within : blocks;
            const std::int64_t batch = std::min({upTo - done, step - next % step, pace_.blocks()});
            const std::int64_t start = context_.clock.monotonicMicroseconds();
            const auto written = writeBatch(file, *block, batch, done);
            pace_.record(batch, context_.clock.monotonicMicroseconds() - start);
            const std::int64_t whole = written.value / kBlock;
            runningBlock_ += whole;
            counters_.lBytesDone = bytesDoneAfter(bytesBefore + (done + whole) * kBlock, plan);
            if (!written.ok())
                return (cannotGrow(written.error) && done * kBlock + written.value >= length) ||
                       failToWrite(written.error);
            done += whole;
            serveWindowIfDue();
        }
        return true;
    }

    void serveWindowIfDue() {
        serving_.serveIfDue([this] { context_.display.processEvents(); });
    }

    SysResult<std::int64_t> writeBatch(PassFile& file, const PatternBlock& block, std::int64_t count,
                                       std::int64_t firstBlock) {
        DestructionServices& files = context_.files;
        const std::int64_t offset = firstBlock * kBlock;
        auto written = files.writeBlocks(file.handle(), block.bytes.data(), kBlockSize, count, offset);
        // Some devices refuse direct writes only when one comes; the run goes on through the cache.
        if (written.error == kDirectIoRefused && file.route() == WriteRoute::Direct) {
            if (const SysStatus switched = file.useCache(); !switched.ok())
                return {written.value, switched.error};
            const std::int64_t whole = written.value / kBlock * kBlock;
            auto rest = files.writeBlocks(file.handle(), block.bytes.data(), kBlockSize, count - whole / kBlock,
                                          offset + whole);
            written = {whole + rest.value, rest.error};
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
        serving_.served();
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

    // Notes why the run cannot go on; false, for the caller to return.
    bool failToOpen(int error) {
        failure_ = {RunNotice::CannotOpen, error};
        return false;
    }
    bool failToWrite(int error) {
        failure_ = {RunNotice::CannotWrite, error};
        return false;
    }

    const CoreContext& context_;
    ByteCounters& counters_;
    const std::string& path_;
    std::optional<DestructionTarget> target_;
    PassFile file_;
    std::optional<OverwriteProof> proof_;
    std::vector<NamedStream> streams_;
    unsigned char lastPattern_ = kNormalPattern;
    std::int32_t percent_ = 0;
    // Runs on across the passes; the progress steps are counted against it.
    std::int64_t runningBlock_ = 0;
    TransferPace pace_;
    ServingPace serving_;
    struct Failure {
        RunNotice notice = RunNotice::CannotOpen;
        int error = 0;
    } failure_;
};

Verdict runOn(const CoreContext& context, ByteCounters& counters, const std::string& path,
              std::optional<DestructionTarget> target) {
    VeskDisplay& display = context.display;
    display.setWindowEnabled(false);
    OverwriteRun run(context, counters, path, std::move(target));
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

} // namespace

std::optional<DestructionTarget> DestructionTarget::lookUp(DestructionServices& files, const std::string& path,
                                                           HiddenFiles hidden) {
    auto pin = FilePin::of(files, path, hidden);
    if (!pin)
        return std::nullopt;
    StorageView storage = StorageView::of(files, *pin, path);
    return DestructionTarget{path, std::move(*pin), std::move(storage)};
}

Verdict vesk(const CoreContext& context, ByteCounters& counters, DestructionTarget target) {
    const std::string path = target.path;
    return runOn(context, counters, path, std::move(target));
}

Verdict vesk(const CoreContext& context, ByteCounters& counters, const std::string& sFileName) {
    return runOn(context, counters, sFileName, std::nullopt);
}

} // namespace kelvanter
