#include "core/PassWriter.h"

#include "platform/Reasons.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace kelvanter {

namespace {

constexpr int kLastPercentBeforeDisposal = 99;
constexpr auto kBlock = static_cast<std::int64_t>(kBlockSize);

// Every pass writes one block more than the length holds, so an empty file still gets one.
std::int64_t blocksFor(std::int64_t length) {
    return length / kBlock + 1;
}

// About a hundred progress steps per run, whatever the size; fixed before a pass's first block.
std::int64_t progressStepFor(std::int64_t blocks, bool intensive) {
    const std::int64_t step = intensive ? 7 * (blocks + 1) / 100 : blocks / 100;
    return std::max<std::int64_t>(step, 1);
}

std::int64_t blocksIn(const std::vector<PassWriter::BlockSpan>& spans) {
    std::int64_t blocks = 0;
    for (const auto& span : spans)
        blocks += span.end - span.first;
    return blocks;
}

// The whole blocks around each stretch of data, merged where they touch; the last one takes the
// extra block where it reaches the end. None where the data fills the file, or nobody can tell.
std::optional<std::vector<PassWriter::BlockSpan>> spansOfData(const SysResult<std::vector<DataRange>>& ranges,
                                                              std::int64_t length) {
    if (!ranges.ok() || length <= 0)
        return std::nullopt;
    std::vector<PassWriter::BlockSpan> spans;
    for (const DataRange& range : ranges.value) {
        const std::int64_t to = range.offset + range.length;
        const std::int64_t end = to >= length ? blocksFor(length) : (to + kBlock - 1) / kBlock;
        const std::int64_t first = range.offset / kBlock;
        if (first >= end)
            continue;
        if (!spans.empty() && first <= spans.back().end)
            spans.back().end = std::max(spans.back().end, end);
        else
            spans.push_back({first, end});
    }
    if (spans.size() == 1 && spans.front().first == 0 && spans.front().end == blocksFor(length))
        return std::nullopt;
    return spans;
}

std::unique_ptr<PatternBlock> blockOf(unsigned char pattern) {
    auto block = std::make_unique<PatternBlock>();
    block->bytes.fill(pattern);
    return block;
}

} // namespace

PassWriter::PassWriter(const CoreContext& context, ByteCounters& counters, const FileName& at, FilePin& pin,
                       PassFile& file)
    : context_(context), counters_(counters), at_(at), pin_(pin), file_(file), serving_(context.clock) {}

bool PassWriter::start(std::int64_t passes) {
    const auto streams = context_.files.namedStreamsOf(at_.path, pin_.identity());
    streams_ = streams.ok() ? streams.value : std::vector<NamedStream>{};
    std::int64_t length = pin_.sizeAtLookup();
    for (const NamedStream& stream : streams_)
        length += stream.size;
    counters_.lBytesTotal = passes * length;
    passes_ = passes;
    const SysStatus opened = openHeldFile();
    if (!opened.ok())
        return fail(RunNotice::CannotOpen, opened.error);
    watchForOthers();
    // A sparse file's holes hold nothing: its time is that of its data, and no pass fills the disk.
    dataSpans_ = spansOfData(context_.files.dataRangesOf(file_.handle()), pin_.sizeAtLookup());
    if (dataSpans_)
        counters_.lBytesTotal = passes * (length - pin_.sizeAtLookup() + blocksIn(*dataSpans_) * kBlock);
    return true;
}

std::optional<std::vector<DataRange>> PassWriter::sparseData() const {
    if (!dataSpans_)
        return std::nullopt;
    std::vector<DataRange> ranges;
    for (const BlockSpan& span : *dataSpans_)
        ranges.push_back({span.first * kBlock, (span.end - span.first) * kBlock});
    return ranges;
}

// Where the file had holes, what the growth's catching up wrote counts as written data too.
void PassWriter::addWrittenSpan(BlockSpan span) {
    if (!dataSpans_)
        return;
    if (!dataSpans_->empty() && span.first <= dataSpans_->back().end)
        dataSpans_->back().end = std::max(dataSpans_->back().end, span.end);
    else
        dataSpans_->push_back(span);
}

// The file's blocks at `length`: all of them, or those that held data, as far as the file still reaches.
std::vector<PassWriter::BlockSpan> PassWriter::spansFor(std::int64_t length) const {
    if (!dataSpans_)
        return {{0, blocksFor(length)}};
    std::vector<BlockSpan> spans;
    for (const BlockSpan& span : *dataSpans_) {
        const BlockSpan clipped{span.first, std::min(span.end, blocksFor(length))};
        if (clipped.first < clipped.end)
            spans.push_back(clipped);
    }
    return spans;
}

// By its name, where that still names the held file; through the pin where another program
// deleted the name after the lookup, for the content is still there.
SysStatus PassWriter::openHeldFile() {
    const SysStatus byName = file_.openAt(at_.folder, at_.name, pin_.identity());
    if (byName.ok())
        return byName;
    const auto status = context_.files.statusOf(pin_.handle());
    if (status.ok() && status.value.links == 0)
        return file_.openHeld(pin_.handle());
    if (status.ok() && status.value.unchangeable)
        return {kFileUnchangeable};
    return byName;
}

// From the file's turn to the end of its disposal, no other program's open goes unnoticed where
// the system can watch for it: the pass's open holds the file from now on, one descriptor that a
// lease on it sees every other open of.
void PassWriter::watchForOthers() {
    DestructionServices& files = context_.files;
    if (files.writerHoldsTheFile())
        pin_.adopt(file_.handOver());
    files.watchForOthers(pin_.handle());
}

bool PassWriter::overwriteGrowth() {
    constexpr int kRounds = 3;
    DestructionServices& files = context_.files;
    const auto block = blockOf(lastPattern_);
    for (int round = 0; round < kRounds; ++round) {
        const auto length = files.lengthOf(file_.handle());
        if (!length.ok())
            return false;
        if (length.value <= overwrittenEnd_)
            return true;
        const std::int64_t first = overwrittenEnd_ / kBlock;
        const std::int64_t count = blocksFor(length.value) - first;
        const auto written = writeBatch(file_, block->bytes.data(), count, first);
        if (!written.ok() || !files.flushData(file_.handle()).ok())
            return false;
        overwrittenEnd_ = (first + count) * kBlock;
        addWrittenSpan({first, first + count});
    }
    return false;
}

bool PassWriter::normalMode() {
    return start(1) && overwritePass({kNormalPattern, 1, false});
}

bool PassWriter::intensiveMode() {
    if (!start(static_cast<std::int64_t>(kIntensivePatterns.size())))
        return false;
    for (std::size_t pass = 0; pass < kIntensivePatterns.size(); ++pass) {
        if (!overwritePass({kIntensivePatterns[pass], static_cast<int>(pass) + 1, true}))
            return false;
    }
    return true;
}

// One pass over the file, then over each of its named streams, which hold data of their own.
bool PassWriter::overwritePass(const PassPlan& plan) {
    const auto length = context_.files.lengthOf(file_.handle());
    if (!length.ok())
        return fail(RunNotice::CannotWrite, length.error);
    const std::vector<BlockSpan> spans = spansFor(length.value);
    // Fixed before the pass's first block, over all the blocks the pass will write.
    std::int64_t allBlocks = blocksIn(spans);
    for (const NamedStream& stream : streams_)
        allBlocks += blocksFor(stream.size);
    const std::int64_t step = progressStepFor(allBlocks, plan.intensive);
    std::int64_t bytesBefore = 0;
    if (!overwriteMainFile(length.value, spans, plan, step, bytesBefore))
        return false;
    // A hole at the end was not written, yet nothing of the file lay there.
    const std::int64_t spansEnd = spans.empty() ? 0 : spans.back().end * kBlock;
    overwrittenEnd_ = dataSpans_ ? std::max(spansEnd, std::min(length.value, pin_.sizeAtLookup())) : spansEnd;
    for (NamedStream& stream : streams_) {
        if (!overwriteStream(stream, plan, step, bytesBefore))
            return false;
    }
    return true;
}

// The last pass of a file written whole is read back window by window as it goes.
bool PassWriter::overwriteMainFile(std::int64_t length, const std::vector<BlockSpan>& spans, const PassPlan& plan,
                                   std::int64_t step, std::int64_t& bytesBefore) {
    if (plan.passNumber == passes_ && readBackAllowed_ && !dataSpans_) {
        readBack_ = std::make_unique<ReadBackWindows>(context_.files, plan.pattern, [this] { serveIfDue(); });
        windowsNow_ = readBack_.get();
    }
    const bool written = overwriteTarget(file_, length, spans, plan, step, bytesBefore);
    windowsNow_ = nullptr;
    if (readBack_)
        readBack_->settle();
    return written;
}

bool PassWriter::overwriteStream(NamedStream& stream, const PassPlan& plan, std::int64_t step,
                                 std::int64_t& bytesBefore) {
    PassFile file(context_.files);
    // "brief.txt:geheim", in the file's own folder.
    const std::string name = at_.name + stream.path.substr(std::min(at_.path.size(), stream.path.size()));
    if (const SysStatus opened = file.openAt(at_.folder, name, pin_.identity()); !opened.ok())
        return fail(RunNotice::CannotOpen, opened.error);
    const auto length = context_.files.lengthOf(file.handle());
    if (!length.ok())
        return fail(RunNotice::CannotWrite, length.error);
    stream.size = blocksFor(length.value) * kBlock;
    if (!overwriteTarget(file, length.value, {{0, blocksFor(length.value)}}, plan, step, bytesBefore))
        return false;
    const SysStatus closed = file.close();
    return closed.ok() || fail(RunNotice::CannotWrite, closed.error);
}

// A file shorter than a block is first overwritten at exactly its length, flushed: where the
// file system keeps a small file inside its own record (NTFS, ext4's inline data, btrfs's
// inline extents), the first whole block would move the data out and leave the old bytes
// behind in the record. Unaligned, so through the cache.
bool PassWriter::overwriteAtOwnLength(PassFile& file, std::int64_t length, unsigned char pattern) {
    if (length <= 0 || length >= kBlock)
        return true;
    if (const SysStatus switched = file.useCache(); !switched.ok())
        return fail(RunNotice::CannotWrite, switched.error);
    const auto block = blockOf(pattern);
    DestructionServices& files = context_.files;
    const auto written = files.writeBlocks(file.handle(), block->bytes.data(), static_cast<std::size_t>(length), 1, 0);
    if (!written.ok())
        return fail(RunNotice::CannotWrite, written.error);
    const SysStatus flushed = files.flushData(file.handle());
    return flushed.ok() || fail(RunNotice::CannotWrite, flushed.error);
}

// `bytesBefore`: what this pass wrote to earlier targets; moved on past this one.
bool PassWriter::overwriteTarget(PassFile& file, std::int64_t length, const std::vector<BlockSpan>& spans,
                                 const PassPlan& plan, std::int64_t step, std::int64_t& bytesBefore) {
    if (!overwriteAtOwnLength(file, length, plan.pattern))
        return false;
    for (const BlockSpan& span : spans) {
        if (!writeBlocks(file, span, length, plan, step, bytesBefore))
            return false;
        bytesBefore += (span.end - span.first) * kBlock;
    }
    // Without the flush the blocks could still sit in the device's cache when the file is cut.
    const SysStatus flushed = context_.files.flushData(file.handle());
    serveIfDue();
    return flushed.ok() || fail(RunNotice::CannotWrite, flushed.error);
}

// Writes the pass's blocks in batches that end where a progress step falls due, so that the
// display and the counters see exactly what one write per block would show them, and that
// are no larger than the device writes in about 50 ms, so that the window is served between.
// The blocks past the whole blocks of `length` go in batches of their own: where the file may
// not grow (a full disk, a size limit), the pass is done once every byte it had is overwritten.
bool PassWriter::writeBlocks(PassFile& file, BlockSpan span, std::int64_t length, const PassPlan& plan,
                             std::int64_t step, std::int64_t bytesBefore) {
    const auto block = blockOf(plan.pattern);
    lastPattern_ = plan.pattern;
    const std::int64_t within = std::min(span.end, length / kBlock);
    std::int64_t done = span.first;
    while (done < span.end) {
        // A request to end the program stops the passes at the next block; the file stays.
        if (context_.progress.cancelAsked())
            return fail(RunNotice::Cancelled, 0);
        const std::int64_t next = runningBlock_ + 1;
        if (next % step == 0)
            progressStep();
        const std::int64_t upTo = done < within ? within : span.end;
        const std::int64_t batch = std::min({upTo - done, step - next % step, pace_.blocks()});
        const std::int64_t start = context_.clock.monotonicMicroseconds();
        const auto written = writeBatch(file, block->bytes.data(), batch, done);
        pace_.record(batch, context_.clock.monotonicMicroseconds() - start);
        const std::int64_t whole = written.value / kBlock;
        runningBlock_ += whole;
        counters_.lBytesDone = bytesDoneAfter(bytesBefore + (done - span.first + whole) * kBlock, plan);
        if (!written.ok())
            return (reasonOf(written.error) == Reason::NoRoom && done * kBlock + written.value >= length) ||
                   fail(RunNotice::CannotWrite, written.error);
        done += whole;
        if (windowsNow_) {
            if (const SysStatus read = windowsNow_->wrote(file.handle(), done * kBlock); !read.ok())
                return fail(RunNotice::CannotWrite, read.error);
        }
        serveIfDue();
    }
    return true;
}

void PassWriter::serveIfDue() {
    serving_.serveIfDue([this] { context_.progress.serve(); });
}

SysResult<std::int64_t> PassWriter::writeBatch(PassFile& file, const unsigned char* block, std::int64_t count,
                                               std::int64_t firstBlock) {
    DestructionServices& files = context_.files;
    const std::int64_t offset = firstBlock * kBlock;
    auto written = files.writeBlocks(file.handle(), block, kBlockSize, count, offset);
    // Some devices refuse direct writes only when one comes; the run goes on through the cache.
    if (written.error == kDirectIoRefused && file.route() == WriteRoute::Direct) {
        // The handle may change: no read of the old one may still run.
        if (windowsNow_)
            windowsNow_->settle();
        if (const SysStatus switched = file.useCache(); !switched.ok())
            return {written.value, switched.error};
        const std::int64_t whole = written.value / kBlock * kBlock;
        auto rest = files.writeBlocks(file.handle(), block, kBlockSize, count - whole / kBlock, offset + whole);
        written = {whole + rest.value, rest.error};
    }
    return written;
}

std::int64_t PassWriter::bytesDoneAfter(std::int64_t position, const PassPlan& plan) const {
    if (!plan.intensive)
        return position;
    // Nearest integer, a half to the even neighbour (the default rounding mode).
    const double done =
        static_cast<double>(counters_.lBytesTotal) / 7.0 * (plan.passNumber - 1) + static_cast<double>(position);
    return static_cast<std::int64_t>(std::nearbyint(done));
}

// The counter counts steps, not bytes, and stops short of 100 until the file is disposed of.
void PassWriter::progressStep() {
    context_.progress.serve();
    serving_.served();
    if (percent_ < kLastPercentBeforeDisposal)
        ++percent_;
    context_.progress.advance(percent_ / 100.0);
}

// Notes why the run cannot go on; false, for the caller to return.
bool PassWriter::fail(RunNotice notice, int error) {
    failure_ = {notice, error};
    return false;
}

} // namespace kelvanter
