#include "core/MetadataChurn.h"

#include "core/FillFolder.h"
#include "core/ServingPace.h"

#include <algorithm>
#include <vector>

namespace kelvanter {

namespace {

constexpr int kFilesPerBatch = 256;
// More than fits beside the inode, so that each file's go to a metadata block of their own; each
// under half a block, where XFS keeps it in a logged leaf rather than a remote block written apart.
constexpr std::size_t kAttributeBytes = 1900;
// Three outgrow one leaf, so that XFS logs a tree of them; ext4 takes two and refuses the third.
constexpr int kAttributesPerFile = 3;
constexpr std::size_t kNameLength = kChurnNameLength;
// However little a batch turns out to log, the churn ends after this many.
constexpr int kMostBatches = 20000;
// What a batch's commits are taken to rewrite of a metadata space whose writes cannot be counted.
constexpr std::int64_t kUncountedBytesPerBatch = 256 * 1024;

// Names no one could guess or mistake for a file's: letters and digits from a xorshift generator.
class RandomNames {
public:
    explicit RandomNames(std::uint64_t seed) : state_(seed | 1) {}
    std::string next(const std::string& prefix) {
        static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::string name = prefix;
        while (name.size() < kNameLength) {
            state_ ^= state_ << 13;
            state_ ^= state_ >> 7;
            state_ ^= state_ << 17;
            name += kAlphabet[state_ % (sizeof kAlphabet - 1)];
        }
        return name;
    }

private:
    std::uint64_t state_;
};

// One batch: the files made, each with attributes that fill metadata blocks of their own, and
// flushed; then removed and flushed. False where the folder took none.
bool churnOnce(FillServices& files, HeldFolder& fill, const std::string& fillPath, const std::string& prefix,
               RandomNames& names) {
    std::vector<std::string> made;
    const std::string attribute = names.next("").substr(0, 20);
    std::string value;
    while (value.size() < kAttributeBytes)
        value += names.next("");
    value.resize(kAttributeBytes);
    for (int file = 0; file < kFilesPerBatch; ++file) {
        const std::string name = names.next(prefix);
        const auto created = fill.createFile(name);
        if (!created.ok())
            continue;
        // A value of its own, or ext4 shares one block among all the files that hold the same.
        value.replace(0, 3, {char('a' + file % 26), char('a' + file / 26 % 26), char('a' + file / 676 % 26)});
        // Without attributes (a file system that keeps none) the names alone go through the log, slower.
        for (int kind = 0; kind < kAttributesPerFile; ++kind)
            files.setAttribute(created.value, attribute + char('a' + kind), value);
        files.close(created.value);
        made.push_back(name);
    }
    files.flushFileSystem(fillPath);
    for (const std::string& name : made)
        fill.removeUnflushed(name);
    files.flushFileSystem(fillPath);
    return !made.empty();
}

} // namespace

ChurnReport churnMetadataLog(const FillContext& context, HeldFolder& fill, const std::string& fillPath,
                             const std::string& filePrefix) {
    FillServices& files = context.files;
    Clock& clock = context.clock;
    ChurnReport report;
    const auto start = files.metadataLogOf(fillPath);
    if (!start.ok() || start.value.size <= 0)
        return report;
    const std::int64_t began = clock.monotonicMicroseconds();
    // A quarter more than the log, for the blocks its own bookkeeping holds back.
    const std::int64_t goal = start.value.written + start.value.size + start.value.size / 4;
    RandomNames names(static_cast<std::uint64_t>(began) * 0x9E3779B97F4A7C15ull);
    ServingPace serving(clock);
    report.names = NamesInLog::Unreached;
    // Where the writes cannot be counted, a batch for each part of the space, never said to reach it.
    const int batches =
        start.value.countsWrites
            ? kMostBatches
            : static_cast<int>(std::clamp<std::int64_t>(start.value.size / kUncountedBytesPerBatch, 16, kMostBatches));
    for (int batch = 0; batch < batches; ++batch) {
        serving.serveIfDue([&] { context.progress.serve(); });
        if (context.progress.cancelAsked() || !churnOnce(files, fill, fillPath, filePrefix, names))
            break;
        const auto now = files.metadataLogOf(fillPath);
        if (!now.ok())
            break;
        report.logged = now.value.written - start.value.written;
        if (start.value.countsWrites && now.value.written >= goal) {
            report.names = NamesInLog::Reached;
            break;
        }
    }
    report.microseconds = clock.monotonicMicroseconds() - began;
    return report;
}

} // namespace kelvanter
