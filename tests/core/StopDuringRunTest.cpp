// A request to end the program, or a kill, while a file is destroyed: a stop during the passes
// ends them at the next block and leaves the file; a stop during the disposal waits for it to be
// over; a kill there leaves an empty file that the next start removes.
#include "core/OverwritePasses.h"
#include "core/RunRecords.h"
#include "support/EnvironmentOverride.h"
#include "support/FakeClock.h"
#include "support/FakeWindow.h"
#include "support/InstrumentedFileServices.h"
#include "support/TempFolder.h"
#include "support/WrittenNames.h"
#include "window/RunView.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

enum class Moment { DuringThePasses, DuringTheDisposal };

// Destroys the file in a child as the main window does (stop requests held through the run),
// holds it at the moment until `signal` has been sent, and lets it go on; the child's status.
int destroyEndedBy(int signal, Moment moment, const std::string& path) {
    int held[2], resume[2];
    if (::pipe(held) != 0 || ::pipe(resume) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        InstrumentedFileServices files;
        PosixProcess process;
        FakeClock clock;
        FakeWindow window;
        ByteCounters counters;
        RunView view(window, window, process, counters);
        bool stopped = false;
        const auto stopHere = [&] {
            if (std::exchange(stopped, true))
                return;
            char byte = 0;
            const bool told = ::write(held[1], "!", 1) == 1;
            // The held-back signal interrupts the wait: it goes on until the test lets it.
            ssize_t got = -1;
            while (told && (got = ::read(resume[0], &byte, 1)) < 0 && errno == EINTR) {
            }
            if (got != 1)
                ::_exit(4);
        };
        files.afterWrite = [&](std::int64_t blocks) {
            if (moment == Moment::DuringThePasses && blocks >= 4)
                stopHere();
        };
        files.beforeRemove = [&](const std::string&) {
            if (moment == Moment::DuringTheDisposal)
                stopHere();
        };
        process.holdStopRequests();
        vesk(CoreContext{view, view, files, process, clock}, counters, path, PassModes{});
        process.releaseStopRequests();
        ::_exit(0);
    }
    char byte = 0;
    const bool reached = ::read(held[0], &byte, 1) == 1;
    if (reached)
        ::kill(child, signal);
    [[maybe_unused]] const auto resumed = ::write(resume[1], "x", 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    for (const int fd : {held[0], held[1], resume[0], resume[1]})
        ::close(fd);
    return reached ? status : -1;
}

TEST(StopDuringRun, AStopEndsThePassesOrWaitsForTheDisposalAndAKillLeavesNothingAfterTheNextStart) {
    struct Case {
        int signal;
        Moment moment;
        bool fileStays;        // at its path, partly overwritten
        bool leftForNextStart; // an empty file in the private folder
    };
    const Case cases[] = {
        {SIGTERM, Moment::DuringThePasses, true, false},    {SIGINT, Moment::DuringThePasses, true, false},
        {SIGTERM, Moment::DuringTheDisposal, false, false}, {SIGHUP, Moment::DuringTheDisposal, false, false},
        {SIGKILL, Moment::DuringTheDisposal, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) +
                     (c.moment == Moment::DuringThePasses ? " during the passes" : " during the disposal"));
        TempFolder folder;
        EnvironmentOverride environment;
        environment.set("XDG_STATE_HOME", folder.file("zustand"));
        const std::string path = writeSample(folder.file("brief.txt"), 100000);
        const int status = destroyEndedBy(c.signal, c.moment, path);
        ASSERT_NE(status, -1) << "the run never got there";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << "the program ends as it was asked";
        EXPECT_EQ(entryExists(path), c.fileStays);
        if (c.fileStays) {
            EXPECT_NE(readBytes(path), sampleBytes(100000)) << "the passes had begun";
        }
        EXPECT_EQ(disposalLeftovers(folder.path()).empty(), !c.leftForNextStart);

        InstrumentedFileServices files;
        PosixProcess process;
        const std::vector<std::string> removed = removeKilledDisposals(files, process);
        EXPECT_EQ(removed.size(), c.leftForNextStart ? 1u : 0u);
        EXPECT_TRUE(disposalLeftovers(folder.path()).empty()) << "the next start leaves nothing";
    }
}

// A kill of the program on either side of making the private folder: the record is written before
// the folder, so the next start leaves no private folder, no record and no emptied file.
TEST(StopDuringRun, AKillBeforeOrAfterThePrivateFolderIsMadeLeavesNothingAfterTheNextStart) {
    for (const bool afterMaking : {false, true}) {
        SCOPED_TRACE(afterMaking ? "between the folder and the move" : "between the record and the folder");
        TempFolder folder;
        EnvironmentOverride environment;
        environment.set("XDG_STATE_HOME", folder.file("zustand"));
        const std::string path = writeSample(folder.file("brief.txt"), 10000);
        const pid_t child = ::fork();
        if (child == 0) {
            InstrumentedFileServices files;
            PosixProcess process;
            FakeClock clock;
            FakeWindow window;
            ByteCounters counters;
            RunView view(window, window, process, counters);
            const auto killHere = [](const std::string& name) {
                if (isAsideFolderName(name))
                    ::raise(SIGKILL);
            };
            (afterMaking ? files.afterPrivateFolder : files.beforePrivateFolder) = killHere;
            vesk(CoreContext{view, view, files, process, clock}, counters, path, PassModes{});
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the run never got there";
        InstrumentedFileServices files;
        PosixProcess process;
        removeKilledDisposals(files, process);
        EXPECT_TRUE(disposalLeftovers(folder.path()).empty());
        const std::string records =
            folder.file("zustand") + "/" + diskNames::kStateFolder + "/" + diskNames::kDisposalRecordsFolder;
        std::error_code none;
        EXPECT_TRUE(!fs::exists(records, none) || fs::is_empty(records, none)) << "no record is left";
    }
}

} // namespace
} // namespace kelvanter::testing
