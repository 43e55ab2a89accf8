// What a file holds besides its bytes, and what another program does to it during the run: its
// extended attributes, an append, a name deleted or a refusal of the open, each with true words.
#include "core/FreeSpace.h"
#include "core/QuietDisplay.h"
#include "support/CoreFixture.h"
#include "support/LoopImage.h"

#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <map>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

using FileContents = CoreFixture;

void append(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
}

bool holdsOnly(const std::vector<unsigned char>& bytes, unsigned char pattern) {
    return std::all_of(bytes.begin(), bytes.end(), [&](unsigned char byte) { return byte == pattern; });
}

bool hasDoubt(const RunReport& report, DoubtKind kind) {
    return std::any_of(report.doubts.begin(), report.doubts.end(), [&](const Doubt& d) { return d.kind == kind; });
}

// Appended once after the passes, the new part is overwritten before the cut, and the run still
// says that another program wrote to the file, for it watched that program open it for writing;
// appended at every write, the run cannot catch up, and says so too.
TEST_F(FileContents, WhatAnotherProgramAppendsIsOverwrittenOrNamed) {
    const std::string added(3000, 'A');
    struct Case {
        const char* name;
        bool atEveryWrite;
        Verdict verdict;
    };
    for (const Case& c :
         {Case{"once", false, Verdict::DeletedUnproven}, Case{"always", true, Verdict::DeletedUnproven}}) {
        SCOPED_TRACE(c.name);
        const std::string path = writeSample(folder.file(c.name), 10000);
        display.reports.clear();
        bool appended = false;
        files.afterFlush = [&](int) {
            if (!c.atEveryWrite && !std::exchange(appended, true))
                append(path, added);
        };
        files.afterWrite = [&](std::int64_t) {
            if (c.atEveryWrite)
                append(path, added);
        };
        captureContentsBeforeCut(path);
        const Verdict verdict = destroy(path);
        files.afterWrite = nullptr;
        EXPECT_FALSE(entryExists(path));
        if (!c.atEveryWrite) {
            EXPECT_GT(contentsBeforeCut.size(), 10000u + added.size());
            EXPECT_TRUE(holdsOnly(contentsBeforeCut, 0)) << "the appended part is overwritten too";
        }
        // Where the device is not proven for other reasons (tmpfs), the appender still stands named.
        if (c.verdict == Verdict::DeletedUnproven) {
            EXPECT_EQ(verdict, Verdict::DeletedUnproven);
            ASSERT_EQ(display.reports.size(), 1u);
            EXPECT_TRUE(hasDoubt(display.reports[0], DoubtKind::WrittenMeanwhile));
        } else if (verdict != Verdict::Destroyed) {
            ASSERT_EQ(display.reports.size(), 1u);
            EXPECT_FALSE(hasDoubt(display.reports[0], DoubtKind::WrittenMeanwhile));
        }
    }
}

// Deleted by another program after the lookup (while the question was open), the file is still
// held: overwritten through the pin, and the box says that its name was already gone.
TEST_F(FileContents, AFileDeletedAfterTheLookupIsOverwrittenThroughTheHeldFile) {
    const std::string path = writeSample(folder.file("weg"), 123 * 4096);
    auto target = DestructionTarget::lookUp(files, process, path);
    ASSERT_TRUE(target.has_value());
    fs::remove(path);
    destroy(std::move(*target));
    EXPECT_GE(files.blocksWritten, 123);
    EXPECT_EQ(notices(), std::vector<RunNotice>{RunNotice::NameGone});
    EXPECT_TRUE(display.reports[0].overwritten);
}

// A folder mounted read-only over itself, for the time of the test.
// The folder bound onto itself, so that the file system under it can turn read-only later, for
// what was opened through it too.
class ReadOnlyBind {
public:
    explicit ReadOnlyBind(const std::string& path) : path_(path) {
        bound_ = ::mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) == 0;
    }
    void turnReadOnly() {
        readOnly_ = bound_ && ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    ~ReadOnlyBind() {
        if (bound_)
            ::umount2(path_.c_str(), MNT_DETACH);
    }
    bool readOnly() const { return readOnly_; }

private:
    std::string path_;
    bool bound_ = false;
    bool readOnly_ = false;
};

// Each reason the open for the passes fails reaches the window as its own error, and the file
// stays as it was.
TEST_F(FileContents, EachRefusedOpenArrivesWithItsOwnReason) {
    struct Case {
        const char* name;
        // Changes the world between the lookup and the passes; the reason to skip where it cannot.
        std::function<std::optional<std::string>(const std::string& path)> after;
        int error;
    };
    std::optional<ReadOnlyBind> readOnly;
    pid_t running = -1;
    const Case cases[] = {
        {"nur-lesbar",
         [&](const std::string&) -> std::optional<std::string> {
             readOnly->turnReadOnly();
             if (!readOnly->readOnly())
                 return "this process cannot mount a folder read-only";
             return std::nullopt;
         },
         EROFS},
        {"gesperrt",
         [&](const std::string& path) -> std::optional<std::string> {
             if (!setInodeFlag(path, FS_IMMUTABLE_FL, true))
                 return "the immutable flag cannot be set here";
             return std::nullopt;
         },
         kFileUnchangeable},
        {"laeuft",
         [&](const std::string& path) -> std::optional<std::string> {
             fs::copy_file("/bin/sleep", path, fs::copy_options::overwrite_existing);
             fs::permissions(path, fs::perms::owner_all);
             running = ::fork();
             if (running == 0) {
                 ::execl(path.c_str(), path.c_str(), "30", nullptr);
                 ::_exit(127);
             }
             // Running once the open for writing is refused; a folder that executes nothing is a skip.
             for (;;) {
                 const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
                 if (fd < 0)
                     return errno == ETXTBSY ? std::nullopt : std::optional<std::string>("no open for writing");
                 ::close(fd);
                 if (::waitpid(running, nullptr, WNOHANG) == running) {
                     running = -1;
                     return "the folder executes no program";
                 }
                 ::sched_yield();
             }
         },
         ETXTBSY},
        {"ersetzt",
         [&](const std::string& path) -> std::optional<std::string> {
             fs::rename(path, path + ".alt");
             writeSample(path, 100);
             return std::nullopt;
         },
         kFileReplaced},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = writeSample(folder.file(c.name), 5000);
        readOnly.emplace(folder.path().string());
        auto target = DestructionTarget::lookUp(files, process, path);
        ASSERT_TRUE(target.has_value());
        display.reports.clear();
        if (const auto refused = c.after(path)) {
            std::cout << "skipped " << c.name << ": " << *refused << "\n";
            continue;
        }
        destroy(std::move(*target));
        readOnly.reset();
        if (running > 0) {
            ::kill(running, SIGKILL);
            ::waitpid(running, nullptr, 0);
            running = -1;
        }
        setInodeFlag(path, FS_IMMUTABLE_FL, false);
        EXPECT_EQ(notices(), std::vector<RunNotice>{RunNotice::CannotOpen});
        if (!display.reports.empty()) {
            EXPECT_EQ(display.reports[0].error, c.error);
        }
        EXPECT_TRUE(entryExists(path));
    }
}

// Where an XFS image keeps its log, in bytes; nothing where it is no XFS.
std::pair<std::int64_t, std::int64_t> xfsLogOf(const std::string& image) {
    const std::string listing = image + ".sb";
    if (!run("{ xfs_db -r -c 'sb 0' -c 'print logstart logblocks blocksize agblocks agblklog' " + image + " > " +
             listing + "; }"))
        return {0, 0};
    std::map<std::string, std::int64_t> field;
    std::ifstream in(listing);
    for (std::string name, equals; in >> name >> equals;)
        in >> field[name];
    const std::int64_t start = field["logstart"];
    const std::int64_t block =
        (start >> field["agblklog"]) * field["agblocks"] + (start & ((1 << field["agblklog"]) - 1));
    return {block * field["blocksize"], field["logblocks"] * field["blocksize"]};
}

// How often `mark` stands in the image outside the stretch [from, from + length).
std::size_t countOutside(const std::string& image, const std::string& mark,
                         std::pair<std::int64_t, std::int64_t> skip) {
    std::ifstream in(image, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t count = 0;
    for (auto at = bytes.find(mark); at != std::string::npos; at = bytes.find(mark, at + 1)) {
        const auto offset = static_cast<std::int64_t>(at);
        count += offset < skip.first || offset >= skip.first + skip.second ? 1 : 0;
    }
    return count;
}

// Where a download came from and a comment, in extended attributes on real file systems: after
// the run their values are nowhere on the device outside the metadata log (ext4 here has none),
// whose old copies the free-space window's churn reaches.
TEST_F(FileContents, ExtendedAttributesLeaveNoValueOnTheDevice) {
    const std::string comment = "KOMMENTAR-" + std::string(2038, 'k');
    const std::string origin = "https://beispiel.invalid/HERKUNFT-geheim.pdf";
    for (const char* mkfs : {"mkfs.ext4 -q -F -b 4096 -O ^has_journal", "mkfs.xfs -q -f"}) {
        SCOPED_TRACE(mkfs);
        TempFolder place;
        LoopImage image{place.path()};
        if (const auto refused = image.mount(mkfs)) {
            std::cout << "skipped " << mkfs << ": " << *refused << "\n";
            continue;
        }
        const std::string path = writeSample(image.mountPoint() + "/download.pdf", 20000);
        ASSERT_EQ(::setxattr(path.c_str(), "user.xdg.comment", comment.data(), comment.size(), 0), 0) << errno;
        ASSERT_EQ(::setxattr(path.c_str(), "user.xdg.origin.url", origin.data(), origin.size(), 0), 0);
        run("sync");
        display.reports.clear();
        EXPECT_EQ(destroy(path), Verdict::Destroyed);
        ASSERT_TRUE(image.unmount());
        const auto log = xfsLogOf(image.image());
        EXPECT_EQ(countOutside(image.image(), "KOMMENTAR-", log), 0u);
        EXPECT_EQ(countOutside(image.image(), "HERKUNFT-geheim", log), 0u);
    }
}

// The verdict of a destruction in a child that has dropped to the user nobody, with the doubts it
// gave; nothing where this machine cannot become nobody.
std::optional<std::pair<Verdict, std::vector<DoubtKind>>> destroyedAsNobody(const std::string& path,
                                                                            const std::string& stateFolder) {
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        ::setenv("XDG_STATE_HOME", stateFolder.c_str(), 1);
        InstrumentedFileServices files;
        PlatformProcess process;
        FakeClock clock;
        RecordingDisplay display;
        ByteCounters counters;
        std::vector<int> answer{static_cast<int>(
            vesk(CoreContext{display, display, files, process, clock}, counters, path, display.modes()))};
        for (const RunReport& report : display.reports) {
            for (const Doubt& doubt : report.doubts)
                answer.push_back(static_cast<int>(doubt.kind));
        }
        const auto bytes = static_cast<ssize_t>(answer.size() * sizeof(int));
        ::_exit(::write(channel[1], answer.data(), static_cast<std::size_t>(bytes)) == bytes ? 0 : 4);
    }
    ::close(channel[1]);
    int answer[64] = {};
    const ssize_t got = ::read(channel[0], answer, sizeof answer);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (got < static_cast<ssize_t>(sizeof(int)) || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    std::vector<DoubtKind> doubts;
    for (ssize_t at = 1; at < got / static_cast<ssize_t>(sizeof(int)); ++at)
        doubts.push_back(static_cast<DoubtKind>(answer[at]));
    return std::make_pair(static_cast<Verdict>(answer[0]), doubts);
}

// Attribute values in blocks of their own, synced to the device before the run: ext4's attribute
// block (written home through its journal before it is freed, which takes privilege), ext4's
// attribute inode and XFS's remote value (which a new value never overwrites). After the run no
// copy is left outside the log, or the verdict is not proven and says why; then the free-space
// fill reaches what was left on ext4. XFS may put a freed remote block on its allocation group's
// free list, which no file's data takes: there the value stays (measured), and only the words hold.
TEST_F(FileContents, AttributeValuesInBlocksOfTheirOwnAreGoneOrNamedAndTheFillReachesThem) {
    struct Case {
        const char* name;
        const char* mkfs;
        std::size_t valueSize;
        bool asNobody;
        bool fillReaches; // the free-space fill reaches a value left in free space
    };
    const Case cases[] = {{"ext4 attribute block", "mkfs.ext4 -q -F -b 4096", 1800, false, true},
                          {"ext4 attribute block, as nobody", "mkfs.ext4 -q -F -b 4096", 1800, true, true},
                          {"ext4 attribute inode", "mkfs.ext4 -q -F -b 4096 -O ea_inode", 65536, false, true},
                          {"xfs remote value", "mkfs.xfs -q -f", 4000, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder place;
        LoopImage image{place.path()};
        if (const auto refused = image.mount(c.mkfs)) {
            std::cout << "skipped " << c.name << ": " << *refused << "\n";
            continue;
        }
        const std::string path = writeSample(image.mountPoint() + "/download.pdf", 20000);
        const std::string value = "WERT-GEHEIM-" + std::string(c.valueSize - 12, 'w');
        ASSERT_EQ(::setxattr(path.c_str(), "user.xdg.comment", value.data(), value.size(), 0), 0) << errno;
        const std::string origin = "https://beispiel.invalid/HERKUNFT-geheim.pdf";
        ASSERT_EQ(::setxattr(path.c_str(), "user.xdg.origin.url", origin.data(), origin.size(), 0), 0);
        run("sync");
        std::pair<Verdict, std::vector<DoubtKind>> outcome;
        if (c.asNobody) {
            const std::string state = image.mountPoint() + "/zustand";
            fs::create_directory(state);
            fs::permissions(place.path(), fs::perms::owner_all | fs::perms::others_exec);
            for (const std::string& owned : {image.mountPoint(), state, path})
                ASSERT_EQ(::chown(owned.c_str(), 65534, 65534), 0);
            const auto child = destroyedAsNobody(path, state);
            if (!child) {
                std::cout << "skipped " << c.name << ": cannot become nobody here\n";
                continue;
            }
            outcome = *child;
            fs::remove_all(state);
        } else {
            display.reports.clear();
            outcome.first = destroy(path);
            for (const RunReport& report : display.reports) {
                for (const Doubt& doubt : report.doubts)
                    outcome.second.push_back(doubt.kind);
            }
        }
        const bool named = std::count(outcome.second.begin(), outcome.second.end(), DoubtKind::AttributesInFreeSpace);
        EXPECT_FALSE(entryExists(path));
        EXPECT_EQ(outcome.first == Verdict::Destroyed, !named) << "the old value is named where it may be left";
        if (named) {
            EXPECT_EQ(outcome.first, Verdict::DeletedUnproven);
            QuietDisplay quiet;
            FillCounters filled;
            EXPECT_EQ(overwriteFreeSpace(FillContext{quiet, files, process, clock, filled}, image.mountPoint()).end,
                      FillEnd::Done);
        }
        ASSERT_TRUE(image.unmount());
        const auto log = xfsLogOf(image.image());
        const std::size_t left = countOutside(image.image(), "WERT-GEHEIM", log);
        std::cout << c.name << ": " << left << " copies of the value after the run" << (named ? " and the fill" : "")
                  << "\n";
        if (!named || c.fillReaches) {
            EXPECT_EQ(left, 0u);
        }
        EXPECT_EQ(countOutside(image.image(), "HERKUNFT-geheim", log), 0u);
    }
}

// Another program writes while the run waits at a step, after the last check of what it wrote:
// an append and a write in place while the cut waits, and a write into a window the proof has read
// back already. The verdict is never "destroyed" with what it wrote on the device; a program that
// only reads meanwhile does not cost the label.
TEST_F(FileContents, WhatAnotherProgramWritesAfterTheLastCheckIsNeverCalledDestroyed) {
    const std::string mark = "FREMD-GESCHRIEBEN-";
    struct Case {
        const char* name;
        const char* command; // FILE and MARKS stand for the file and a block of marks
        bool inProvenWindow; // else while the cut waits
        Verdict verdict;
    };
    const Case cases[] = {
        {"an append", "cat MARKS >> FILE", false, Verdict::DeletedUnproven},
        {"a write in place", "dd if=MARKS of=FILE bs=4096 seek=3 conv=notrunc oflag=direct status=none", false,
         Verdict::DeletedUnproven},
        {"a write into a proven window", "dd if=MARKS of=FILE bs=4096 seek=3 conv=notrunc oflag=direct status=none",
         true, Verdict::DeletedUnproven},
        {"a reader", "cat FILE > /dev/null", false, Verdict::Destroyed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder place;
        LoopImage image{place.path()};
        if (const auto refused = image.mount("mkfs.ext4 -q -F -b 4096", "", "96M")) {
            std::cout << "skipped: " << *refused << "\n";
            return;
        }
        const std::string path =
            writeSample(image.mountPoint() + "/offen.bin", 2 * ReadBackWindows::kWindowBytes + 4096);
        const std::string marks = place.file("marken");
        std::string block;
        while (block.size() < 4096)
            block += mark;
        std::ofstream(marks, std::ios::binary) << block.substr(0, 4096);
        std::string command = c.command;
        if (const auto at = command.find("FILE"); at != std::string::npos)
            command.replace(at, 4, path);
        if (const auto at = command.find("MARKS"); at != std::string::npos)
            command.replace(at, 5, marks);
        run("sync");
        // Read beside the pass, window by window, as on a device that does not rotate.
        files.media = MediaKind::Unknown;
        bool done = false;
        const auto writeNow = [&] {
            if (!std::exchange(done, true)) {
                EXPECT_TRUE(run(command)) << command;
            }
        };
        if (c.inProvenWindow) {
            files.alterReadBack = [&](std::int64_t offset, unsigned char*, std::size_t) {
                if (offset >= ReadBackWindows::kWindowBytes)
                    writeNow();
            };
        } else {
            files.beforeCut = writeNow;
        }
        display.reports.clear();
        const Verdict verdict = destroy(path);
        files.alterReadBack = nullptr;
        files.beforeCut = nullptr;
        files.media.reset();
        EXPECT_TRUE(done);
        EXPECT_EQ(verdict, c.verdict);
        if (verdict == Verdict::Destroyed) {
            ASSERT_TRUE(image.unmount());
            EXPECT_EQ(countIn(image.image(), mark), 0u);
        } else {
            ASSERT_FALSE(display.reports.empty());
            EXPECT_TRUE(hasDoubt(display.reports.back(), DoubtKind::WrittenMeanwhile));
        }
    }
}

// Writes `count` copies of `mark` into the file at `offset`, which may lie past its end.
void writeMarks(const std::string& path, std::int64_t offset, const std::string& mark, int count) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    std::string text;
    for (int i = 0; i < count; ++i)
        text += mark;
    ASSERT_EQ(::pwrite(fd, text.data(), text.size(), offset), static_cast<ssize_t>(text.size()));
    ::close(fd);
}

// A file of 1 GiB with some data at its start and 1 MiB at its end, on a 64 MiB disk: only its
// data is written, so the disk does not fill, and every mark is gone. Data that another program
// writes into a hole during the run stands against the proof.
TEST_F(FileContents, ASparseFileIsOverwrittenWhereItsDataLies) {
    const std::string mark = "SPARSAM-GEHEIM-";
    struct Case {
        const char* name;
        bool intensive;
        bool writeIntoHole;
        Verdict verdict;
    };
    for (const Case& c :
         {Case{"normal", false, false, Verdict::Destroyed}, Case{"intensiv", true, false, Verdict::Destroyed},
          Case{"loch-beschrieben", false, true, Verdict::DeletedUnproven}}) {
        SCOPED_TRACE(c.name);
        TempFolder place;
        LoopImage image{place.path()};
        if (const auto refused = image.mount("mkfs.ext4 -q -F -b 4096", "", "64M")) {
            std::cout << "skipped " << c.name << ": " << *refused << "\n";
            return;
        }
        const std::string path = image.mountPoint() + "/platte.img";
        constexpr std::int64_t kApparent = std::int64_t{1} << 30;
        writeMarks(path, 0, mark, 4000);
        writeMarks(path, kApparent - (1 << 20), mark, (1 << 20) / static_cast<int>(mark.size()));
        run("sync");
        display.reports.clear();
        files.blocksWritten = 0;
        bool written = false;
        files.afterFlush = [&](int) {
            if (c.writeIntoHole && !std::exchange(written, true))
                writeMarks(path, kApparent / 2, mark, 10);
        };
        EXPECT_EQ(destroy(path, c.intensive), c.verdict);
        files.afterFlush = nullptr;
        EXPECT_LT(files.blocksWritten, 8 * 1024) << "the holes are not written";
        EXPECT_LT(counters.lBytesTotal, kApparent / 100) << "the time is that of the data";
        if (c.writeIntoHole) {
            ASSERT_EQ(display.reports.size(), 1u);
            EXPECT_TRUE(hasDoubt(display.reports[0], DoubtKind::WrittenMeanwhile));
            continue;
        }
        ASSERT_TRUE(image.unmount());
        EXPECT_EQ(countIn(image.image(), mark), 0u);
    }
}

} // namespace
} // namespace kelvanter::testing
