// Destroys one file with the real core and reports the wall time and the process's peak memory.
//   kelvanter-bench destroy normal|intensive FILE
//   kelvanter-bench destroy-list normal|intensive FILE...   (the main window's run of several files)
//   kelvanter-bench drop-cache FILE     (flush the file, then drop its pages from the cache)
//   kelvanter-bench free-space FOLDER   (overwrite the free space of its file system)
#include "core/FreeSpace.h"
#include "core/OverwritePasses.h"
#include "core/QuietDisplay.h"
#include "platform/PlatformServices.h"
#include "window/BoxStyles.h"
#include "window/DestroyRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace kelvanter;

// Draws nothing and answers no box (it names each on stderr); notes when the disposal begins (the pointer turns to the
// hourglass) and the longest the window would have waited to be served.
class TimedDisplay final : public QuietDisplay {
public:
    std::optional<std::chrono::steady_clock::time_point> disposalStart;
    std::chrono::steady_clock::time_point lastServed = std::chrono::steady_clock::now();
    std::chrono::duration<double> longestGap{0};
    int servings = 0;
    ProcessServices* stops = nullptr;

    bool cancelAsked() override { return stops != nullptr && stops->stopRequested(); }

    void serve() override {
        const auto now = std::chrono::steady_clock::now();
        longestGap = std::max<std::chrono::duration<double>>(longestGap, now - lastServed);
        lastServed = now;
        ++servings;
    }

    void enterPhase(RunPhase phase) override {
        if (phase == RunPhase::Disposing && !disposalStart)
            disposalStart = std::chrono::steady_clock::now();
    }

    // The boxes a window would show, one line each, for scripts that check what the user is told.
    void report(const RunReport& shown) override {
        std::fprintf(stderr, "notice=%s at=%s stranger_at=%s\n", noticeName(shown.notice), shown.path.c_str(),
                     shown.strangerAt.c_str());
    }

private:
    static const char* noticeName(RunNotice notice) {
        switch (notice) {
        case RunNotice::CannotOpen:
            return "cannot-open";
        case RunNotice::CannotWrite:
            return "cannot-write";
        case RunNotice::Cancelled:
            return "cancelled";
        case RunNotice::NotDeleted:
            return "not-deleted";
        case RunNotice::Replaced:
            return "replaced";
        case RunNotice::DeletionUnflushed:
            return "deletion-unflushed";
        case RunNotice::LeftEmptied:
            return "left-emptied";
        case RunNotice::NameGone:
            return "name-gone";
        case RunNotice::NewFileUnderName:
            return "new-file-under-name";
        case RunNotice::Unchangeable:
            return "unchangeable";
        case RunNotice::DeletedUnproven:
            break;
        }
        return "deleted-unproven";
    }
};

// The real services, timing the reads of the proof, which reads back every block of the last pass.
class TimedFileServices final : public PlatformFileServices {
public:
    std::chrono::duration<double> readingBack{0};

    SysResult<std::int64_t> readFromDevice(FileHandle handle, std::int64_t offset, void* buffer,
                                           std::size_t size) override {
        const auto start = std::chrono::steady_clock::now();
        const auto read = PlatformFileServices::readFromDevice(handle, offset, buffer, size);
        readingBack += std::chrono::steady_clock::now() - start;
        return read;
    }
};

long peakResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int destroy(const std::string& mode, const std::string& path) {
    TimedDisplay display;
    TimedFileServices files;
    PlatformProcess process;
    PlatformClock clock;
    ByteCounters counters;
    const auto start = std::chrono::steady_clock::now();
    display.lastServed = start;
    const PassModes modes = PassModes::of(mode == "intensive");
    display.stops = &process;
    // As the main window does: a request to end stops the passes, or waits for the disposal.
    process.holdStopRequests();
    const bool destroyed =
        vesk(CoreContext{display, display, files, process, clock}, counters, path, modes) == Verdict::Destroyed;
    process.releaseStopRequests();
    const auto end = std::chrono::steady_clock::now();
    const auto disposalStart = display.disposalStart.value_or(end);
    const std::chrono::duration<double> elapsed = end - start;
    // The passes, then the read-back of the proof, then the disposal: the three add up to the whole.
    const std::chrono::duration<double> beforeDisposal = disposalStart - start;
    const std::chrono::duration<double> overwrite = beforeDisposal - files.readingBack;
    std::printf("seconds=%.3f overwrite_seconds=%.3f read_back_seconds=%.3f disposal_seconds=%.3f peak_rss_kib=%ld "
                "steps=%d servings=%d max_gap_ms=%.0f bytes_done=%lld destroyed=%d\n",
                elapsed.count(), overwrite.count(), files.readingBack.count(), elapsed.count() - beforeDisposal.count(),
                peakResidentKiB(), display.steps, display.servings, display.longestGap.count() * 1000.0,
                static_cast<long long>(counters.lBytesDone), destroyed);
    return destroyed ? 0 : 1;
}

// The main window with nothing drawn: "normal" or "intensiv" chosen, the question answered yes,
// the account written to stderr.
class HeadlessWindow final : public ProgressPort, public VeskPort {
public:
    explicit HeadlessWindow(bool intensive) : intensive_(intensive) {}
    void setPercentCaption(const std::string&) override {}
    void setBarBackground(std::uint32_t) override {}
    void showProgressBar(std::int32_t, std::uint32_t, double) override {}
    void setTimerRunning(bool) override {}
    std::string elapsedCaption() const override { return ""; }
    void setElapsedCaption(const std::string&) override {}
    void setEstimateCaption(const std::string&) override {}
    void setMousePointer(int) override {}
    void processEvents() override {}
    int messageBox(const std::string& text, int style, const std::string&) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return asksYesOrNo(style) ? kAnswerYes : kAnswerOk;
    }
    void setWindowEnabled(bool) override {}
    bool isOptionSelected(int index) const override { return (index == 1) == intensive_; }
    void setSuccessLabelVisible(bool) override {}
    std::string executableName() const override { return "kelvanter"; }
    std::string pathBoxText() const override { return ""; }
    void setPathText(const std::string&) override {}
    void setDestroyEnabled(bool) override {}
    void setPathToolTip(const std::string&) override {}
    void showFileAtHand(const std::string&) override {}
    void openFreeSpaceWindow(const std::string&) override {}
    std::vector<std::string> ShowOpenDialog(const std::string&, std::string&, const std::string&, const std::string&,
                                            const std::string&) override {
        return {};
    }

private:
    bool intensive_;
};

// Several files under one question, as the main window destroys them; the seconds, and how many are gone.
int destroyList(const std::string& mode, const std::vector<std::string>& paths) {
    HeadlessWindow window(mode == "intensive");
    PlatformFileServices files;
    PlatformProcess process;
    PlatformClock clock;
    NoFileTraces traces;
    ByteCounters counters;
    std::int32_t seconds = 0;
    DestroyRun run(window, window, files, process, clock, traces, counters, seconds);
    const auto start = std::chrono::steady_clock::now();
    run.destroy(paths);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const auto left = std::count_if(paths.begin(), paths.end(), [](const std::string& path) {
        struct stat status {};
        return ::lstat(path.c_str(), &status) == 0;
    });
    std::printf("seconds=%.3f files=%zu left=%ld peak_rss_kib=%ld\n", elapsed.count(), paths.size(),
                static_cast<long>(left), peakResidentKiB());
    return left == 0 ? 0 : 1;
}

// Overwrites the free space of the file system under the folder and reports what it wrote.
int fillFreeSpace(const std::string& folder) {
    PlatformFileServices files;
    PlatformProcess process;
    PlatformClock clock;
    QuietDisplay quiet;
    FillCounters counters;
    const auto start = std::chrono::steady_clock::now();
    const FillReport report = overwriteFreeSpace(FillContext{quiet, files, process, clock, counters}, folder);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf(
        "seconds=%.3f written=%lld unreached=%lld churn_seconds=%.3f churn_logged=%lld names_reached=%d done=%d\n",
        elapsed.count(), static_cast<long long>(report.written), static_cast<long long>(report.unreached),
        static_cast<double>(report.churnMicroseconds) / 1e6, static_cast<long long>(report.churnLogged),
        report.namesInLog == NamesInLog::Reached, report.end == FillEnd::Done);
    return report.end == FillEnd::Done ? 0 : 1;
}

int dropCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0 || ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0) {
        std::perror(path.c_str());
        return 1;
    }
    ::close(fd);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::strcmp(argv[1], "destroy") == 0)
        return destroy(argv[2], argv[3]);
    if (argc >= 4 && std::strcmp(argv[1], "destroy-list") == 0)
        return destroyList(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    if (argc == 3 && std::strcmp(argv[1], "drop-cache") == 0)
        return dropCache(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "free-space") == 0)
        return fillFreeSpace(argv[2]);
    std::fprintf(stderr,
                 "usage: %s destroy normal|intensive FILE | destroy-list normal|intensive FILE... | drop-cache FILE | "
                 "free-space FOLDER\n",
                 argv[0]);
    return 2;
}
