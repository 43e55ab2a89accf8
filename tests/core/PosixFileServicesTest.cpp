#include "platform/posix/PosixFileServices.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

class PosixServices : public ::testing::Test {
protected:
    // The identity and status the lookup sees, without keeping the file held.
    SysResult<EntryStatus> lookedUp(const std::string& path) {
        const auto held = files.pin(path);
        if (held.value.handle != kNoHandle)
            files.unpin(held.value.handle);
        return {held.value.status, held.error};
    }
    FileIdentity identityOf(const std::string& path) { return lookedUp(path).value.identity; }

    TempFolder folder;
    PosixFileServices files;
};

// Only a regular file is opened by the lookup; anything else is named, not opened.
TEST_F(PosixServices, TheLookupHoldsOnlyRegularFilesAndNeverFollowsALink) {
    const std::string file = writeSample(folder.file("f"), 10);
    const std::string link = folder.file("l");
    std::filesystem::create_symlink(file, link);
    const std::string fifo = folder.file("p");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        int error;
        EntryKind kind;
    };
    for (const Case& c :
         {Case{file, 0, EntryKind::Regular}, Case{link, kNotARegularFile, EntryKind::Symlink},
          Case{fifo, kNotARegularFile, EntryKind::Other}, Case{"/dev/null", kNotARegularFile, EntryKind::Other},
          Case{folder.path().string(), kNotARegularFile, EntryKind::Directory},
          Case{folder.file("fehlt"), ENOENT, EntryKind::Other}, Case{file + "/x", ENOTDIR, EntryKind::Other}}) {
        const auto held = files.pin(c.path);
        EXPECT_EQ(held.error, c.error) << c.path;
        if (c.error != ENOENT && c.error != ENOTDIR) {
            EXPECT_EQ(held.value.status.kind, c.kind) << c.path;
        }
        EXPECT_EQ(held.value.handle != kNoHandle, c.error == 0) << c.path;
        if (held.value.handle != kNoHandle)
            files.unpin(held.value.handle);
    }
    EXPECT_EQ(lookedUp(file).value.size, 10);
}

TEST_F(PosixServices, TheHeldFileAnswersForItselfAfterItsNameIsGone) {
    const std::string file = writeSample(folder.file("f"), 10);
    const auto held = files.pin(file);
    ASSERT_TRUE(held.ok());
    std::filesystem::rename(file, folder.file("anders"));
    writeSample(file, 99);
    EXPECT_EQ(files.statusOf(held.value.handle).value.size, 10) << "the held file, not the new one";
    std::filesystem::remove(folder.file("anders"));
    EXPECT_EQ(files.statusOf(held.value.handle).value.links, 0u);
    files.unpin(held.value.handle);
}

TEST_F(PosixServices, OverwriteOpenRefusesEverythingButTheExpectedRegularFile) {
    const std::string file = writeSample(folder.file("f"), 10);
    const std::string other = writeSample(folder.file("g"), 10);
    const std::string link = folder.file("l");
    std::filesystem::create_symlink(file, link);
    const std::string fifo = folder.file("p");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const auto opened = files.openForOverwrite(file, identityOf(file));
    ASSERT_TRUE(opened.ok());
    EXPECT_TRUE(files.close(opened.value.handle).ok());
    EXPECT_EQ(files.openForOverwrite(link, identityOf(file)).error, ELOOP);
    EXPECT_EQ(files.openForOverwrite(other, identityOf(file)).error, kFileReplaced);
    // A FIFO without a reader must neither block nor be taken for a file.
    EXPECT_EQ(files.openForOverwrite(fifo, identityOf(file)).error, kNotARegularFile);
    EXPECT_EQ(readBytes(other), sampleBytes(10));
}

TEST_F(PosixServices, RepeatedBlocksLandBackToBackFromTheOffsetAcrossManyCalls) {
    const std::string file = writeSample(folder.file("f"), 3 * 4096);
    alignas(4096) static unsigned char block[4096];
    std::fill(std::begin(block), std::end(block), 0xF6);
    for (const bool direct : {true, false}) {
        auto opened = files.openForOverwrite(file, identityOf(file));
        ASSERT_TRUE(opened.ok());
        EXPECT_EQ(opened.value.route, WriteRoute::Direct) << "this disk takes direct writes";
        FileHandle handle = opened.value.handle;
        if (!direct)
            handle = files.writeThroughCache(handle).value;
        // More copies than one call carries, so the write needs several calls.
        const auto written = files.writeBlocks(handle, block, sizeof block, 1500, 4096);
        EXPECT_TRUE(files.close(handle).ok());
        EXPECT_EQ(written.value, 1500 * 4096);
        const auto bytes = readBytes(file);
        ASSERT_EQ(bytes.size(), 1501u * 4096);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 4096, sampleBytes(4096).begin()));
        EXPECT_TRUE(std::all_of(bytes.begin() + 4096, bytes.end(), [](unsigned char b) { return b == 0xF6; }));
    }
}

TEST_F(PosixServices, AWriteStoppedShortReportsTheBytesThatLanded) {
    const std::string file = writeSample(folder.file("f"), 0);
    std::vector<unsigned char> block(4096, 0);
    const auto opened = files.openForOverwrite(file, identityOf(file));
    ASSERT_TRUE(opened.ok());
    const FileHandle handle = files.writeThroughCache(opened.value.handle).value;
    SysResult<std::int64_t> written;
    {
        FileSizeLimit limit(10000);
        written = files.writeBlocks(handle, block.data(), block.size(), 4, 0);
    }
    files.close(handle);
    EXPECT_EQ(written.error, EFBIG);
    EXPECT_EQ(written.value, 10000);
}

// A direct descriptor goes on through the cache, and a read from the device finds what was written.
TEST_F(PosixServices, ADirectFileSwitchesToTheCacheAndReadsBackWhatItHolds) {
    const std::string file = writeSample(folder.file("f"), 8192);
    const auto opened = files.openForOverwrite(file, identityOf(file));
    ASSERT_TRUE(opened.ok());
    ASSERT_EQ(opened.value.route, WriteRoute::Direct);
    const auto switched = files.writeThroughCache(opened.value.handle);
    ASSERT_TRUE(switched.ok());
    EXPECT_EQ(::fcntl(switched.value, F_GETFL) & O_DIRECT, 0);
    const std::vector<unsigned char> seven(7, 0x55);
    ASSERT_TRUE(files.writeBlocks(switched.value, seven.data(), seven.size(), 1, 3).ok());
    ASSERT_TRUE(files.flushData(switched.value).ok());
    alignas(4096) static unsigned char back[8192];
    const auto read = files.readFromDevice(switched.value, 0, back, sizeof back);
    EXPECT_EQ(read.value, 8192);
    EXPECT_TRUE(std::all_of(back + 3, back + 10, [](unsigned char b) { return b == 0x55; }));
    EXPECT_EQ(back[10], sampleBytes(8192)[10]);
    ASSERT_TRUE(files.cutToZero(switched.value).ok());
    EXPECT_EQ(files.lengthOf(switched.value).value, 0);
    files.close(switched.value);
}

TEST_F(PosixServices, RenameInTheHeldFolderNeverReplacesAnExistingEntry) {
    writeSample(folder.file("a"), 10);
    const std::string to = writeSample(folder.file("b"), 20);
    const auto held = files.openFolder(folder.path().string());
    ASSERT_TRUE(held.ok());
    EXPECT_EQ(files.renameAt(held.value, "a", held.value, "b").error, EEXIST);
    EXPECT_EQ(readBytes(to), sampleBytes(20));
    EXPECT_TRUE(files.renameAt(held.value, "a", held.value, "c").ok());
    EXPECT_FALSE(entryExists(folder.file("a")));
    EXPECT_EQ(files.identityAt(held.value, "c").value, identityOf(folder.file("c")));
    EXPECT_EQ(files.identityAt(held.value, "a").error, ENOENT);
    EXPECT_TRUE(files.removeAt(held.value, "c").ok());
    EXPECT_FALSE(entryExists(folder.file("c")));
    files.close(held.value);
}

TEST_F(PosixServices, TheWriteBitIsAddedToTheHeldFileNeverThroughALink) {
    const std::string file = writeSample(folder.file("f"), 10);
    ::chmod(file.c_str(), 0444);
    const std::string link = folder.file("l");
    std::filesystem::create_symlink(file, link);
    EXPECT_EQ(files.pin(link).error, kNotARegularFile) << "a link is never held";
    const auto held = files.pin(file);
    ASSERT_TRUE(held.ok());
    EXPECT_EQ(held.value.status.attributes, kAttrReadOnly);
    EXPECT_TRUE(files.addOwnerWrite(held.value.handle).ok());
    EXPECT_EQ(files.statusOf(held.value.handle).value.attributes, kAttrNormal);
    files.unpin(held.value.handle);
}

TEST_F(PosixServices, TheCutWorksOnTmpfs) {
    if (!std::filesystem::is_directory("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm on this machine";
    TempFolder shm("/dev/shm");
    const std::string file = writeSample(shm.file("f"), 5000);
    const auto opened = files.openForOverwrite(file, identityOf(file));
    ASSERT_TRUE(opened.ok());
    EXPECT_TRUE(files.cutToZero(opened.value.handle).ok());
    files.close(opened.value.handle);
    EXPECT_EQ(lookedUp(file).value.size, 0);
}

// A child that holds the file in some way until told to let go; it answers once it holds it.
class Holder {
public:
    // `hold` runs in the child, as `user` (root where empty); false where it could not.
    Holder(const char* user, const std::function<bool()>& hold) {
        if (::pipe(ready_) != 0 || ::pipe(release_) != 0)
            return;
        child_ = ::fork();
        if (child_ == 0) {
            const bool dropped = user == nullptr || (::setgid(65534) == 0 && ::setuid(65534) == 0);
            const char answer = dropped && hold() ? '!' : '?';
            [[maybe_unused]] const auto told = ::write(ready_[1], &answer, 1);
            char byte = 0;
            [[maybe_unused]] const auto waited = ::read(release_[0], &byte, 1);
            ::_exit(0);
        }
        char answer = 0;
        holds_ = ::read(ready_[0], &answer, 1) == 1 && answer == '!';
    }
    ~Holder() {
        [[maybe_unused]] const auto told = ::write(release_[1], "x", 1);
        int status = 0;
        if (child_ > 0)
            ::waitpid(child_, &status, 0);
    }
    bool holds() const { return holds_; }

private:
    int ready_[2] = {-1, -1};
    int release_[2] = {-1, -1};
    pid_t child_ = -1;
    bool holds_ = false;
};

// Another program that holds the file, of this user or another, open or only mapped, is seen;
// where this user may not see every program, the check says it could not tell.
TEST_F(PosixServices, ProgramsThatHoldTheFileAreSeenOrTheCheckSaysItCannotTell) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    const std::string path = writeSample(folder.file("offen.txt"), 8192);
    ::chmod(folder.path().c_str(), 0755);
    ::chmod(path.c_str(), 0666);
    PosixProcess process;
    const auto heldBy = [&](const char* user, const std::function<bool()>& hold) {
        Holder holder(user, hold);
        EXPECT_TRUE(holder.holds()) << "the child could not hold the file";
        const auto pinned = files.pin(path);
        const Holders found = process.holdersOf(pinned.value.handle);
        files.unpin(pinned.value.handle);
        return found;
    };
    const auto openForWriting = [&] { return ::open(path.c_str(), O_WRONLY) >= 0; };
    const auto mapOnly = [&] {
        const int fd = ::open(path.c_str(), O_RDWR);
        void* mapped = fd < 0 ? MAP_FAILED : ::mmap(nullptr, 8192, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ::close(fd);
        return mapped != MAP_FAILED;
    };
    EXPECT_EQ(heldBy(nullptr, openForWriting), Holders::Others);
    EXPECT_EQ(heldBy("nobody", openForWriting), Holders::Others);
    EXPECT_EQ(heldBy(nullptr, mapOnly), Holders::Others);
    const auto nothing = [] { return true; };
    EXPECT_EQ(heldBy(nullptr, nothing), Holders::None);
}

// Checked by a user who owns neither the file nor the program that holds it: no lease, and no
// sight of the other user's descriptors; the check says so rather than "no one".
TEST_F(PosixServices, AUserWhoCannotSeeEveryProgramIsToldSo) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    const std::string path = writeSample(folder.file("fremd.txt"), 100);
    ::chmod(folder.path().c_str(), 0755);
    ::chmod(path.c_str(), 0666);
    const int heldByRoot = ::open(path.c_str(), O_WRONLY);
    int answer[2];
    ASSERT_EQ(::pipe(answer), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        PosixFileServices own;
        PosixProcess process;
        const auto pinned = own.pin(path);
        const char found = static_cast<char>(pinned.ok() ? process.holdersOf(pinned.value.handle) : Holders::None);
        [[maybe_unused]] const auto told = ::write(answer[1], &found, 1);
        ::_exit(0);
    }
    char found = 0;
    const bool heard = ::read(answer[0], &found, 1) == 1;
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(heldByRoot);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "cannot become nobody here";
    ASSERT_TRUE(heard);
    EXPECT_EQ(static_cast<Holders>(found), Holders::Unknown);
}

} // namespace
} // namespace kelvanter::testing
