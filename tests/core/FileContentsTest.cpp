// What a file holds besides its bytes, and what another program does to it during the run: its
// extended attributes, an append, a name deleted or a refusal of the open, each with true words.
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

// Appended once after the passes, the new part is overwritten before the cut; appended at every
// write, the run cannot catch up, and says that another program wrote to the file.
TEST_F(FileContents, WhatAnotherProgramAppendsIsOverwrittenOrNamed) {
    const std::string added(3000, 'A');
    struct Case {
        const char* name;
        bool atEveryWrite;
        Verdict verdict;
    };
    for (const Case& c : {Case{"once", false, Verdict::Destroyed}, Case{"always", true, Verdict::DeletedUnproven}}) {
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
        if (c.verdict == Verdict::Destroyed) {
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
