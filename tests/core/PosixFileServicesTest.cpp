#include "platform/posix/PosixFileServices.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

class PosixServices : public ::testing::Test {
protected:
    FileIdentity identityOf(const std::string& path) { return files.inspect(path).value.identity; }
    TempFolder folder;
    PosixFileServices files;
};

TEST_F(PosixServices, InspectReportsKindsWithoutFollowingLinks) {
    const std::string file = writeSample(folder.file("f"), 10);
    const std::string link = folder.file("l");
    std::filesystem::create_symlink(file, link);
    const std::string fifo = folder.file("p");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    EXPECT_EQ(files.inspect(file).value.kind, EntryKind::Regular);
    EXPECT_EQ(files.inspect(file).value.size, 10);
    EXPECT_EQ(files.inspect(link).value.kind, EntryKind::Symlink);
    EXPECT_EQ(files.inspect(fifo).value.kind, EntryKind::Other);
    EXPECT_EQ(files.inspect("/dev/null").value.kind, EntryKind::Other);
    EXPECT_EQ(files.inspect(folder.path().string()).value.kind, EntryKind::Directory);
    EXPECT_EQ(files.inspect(folder.file("fehlt")).error, ENOENT);
    EXPECT_EQ(files.inspect(file + "/x").error, ENOTDIR);
}

TEST_F(PosixServices, OverwriteOpenRefusesEverythingButTheExpectedRegularFile) {
    const std::string file = writeSample(folder.file("f"), 10);
    const std::string other = writeSample(folder.file("g"), 10);
    const std::string link = folder.file("l");
    std::filesystem::create_symlink(file, link);
    const std::string fifo = folder.file("p");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    for (const WriteRoute route : {WriteRoute::Direct, WriteRoute::Buffered}) {
        const auto opened = files.openForOverwrite(file, identityOf(file), route);
        ASSERT_TRUE(opened.ok());
        EXPECT_TRUE(files.close(opened.value).ok());
        EXPECT_EQ(files.openForOverwrite(link, identityOf(file), route).error, ELOOP);
        EXPECT_EQ(files.openForOverwrite(other, identityOf(file), route).error, kFileReplaced);
        // A FIFO without a reader must neither block nor be taken for a file.
        EXPECT_EQ(files.openForOverwrite(fifo, identityOf(fifo), route).error, kNotARegularFile);
    }
    EXPECT_EQ(files.truncateToZero(other, identityOf(file)).error, kFileReplaced);
    EXPECT_EQ(readBytes(other), sampleBytes(10));
}

TEST_F(PosixServices, RepeatedBlocksLandBackToBackFromTheOffsetAcrossManyCalls) {
    const std::string file = writeSample(folder.file("f"), 3 * 4096);
    alignas(4096) static unsigned char block[4096];
    std::fill(std::begin(block), std::end(block), 0xF6);
    for (const WriteRoute route : {WriteRoute::Direct, WriteRoute::Buffered}) {
        const auto opened = files.openForOverwrite(file, identityOf(file), route);
        ASSERT_TRUE(opened.ok());
        // More copies than one call carries, so the write needs several calls.
        const auto written = files.writeBlocks(opened.value, block, sizeof block, 1500, 4096);
        EXPECT_TRUE(files.close(opened.value).ok());
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
    const auto opened = files.openForOverwrite(file, identityOf(file), WriteRoute::Buffered);
    ASSERT_TRUE(opened.ok());
    SysResult<std::int64_t> written;
    {
        FileSizeLimit limit(10000);
        written = files.writeBlocks(opened.value, block.data(), block.size(), 4, 0);
    }
    files.close(opened.value);
    EXPECT_EQ(written.error, EFBIG);
    EXPECT_EQ(written.value, 10000);
}

TEST_F(PosixServices, RenameNeverReplacesAnExistingEntry) {
    const std::string from = writeSample(folder.file("a"), 10);
    const std::string to = writeSample(folder.file("b"), 20);
    EXPECT_EQ(files.renameNoReplace(from, to).error, EEXIST);
    EXPECT_EQ(readBytes(to), sampleBytes(20));
    EXPECT_TRUE(files.renameNoReplace(from, folder.file("c")).ok());
    EXPECT_FALSE(entryExists(from));
    EXPECT_TRUE(files.removeFile(folder.file("c")).ok());
    EXPECT_FALSE(entryExists(folder.file("c")));
}

TEST_F(PosixServices, AddingTheWriteBitNeverFollowsALink) {
    const std::string file = writeSample(folder.file("f"), 10);
    ::chmod(file.c_str(), 0444);
    const std::string link = folder.file("l");
    std::filesystem::create_symlink(file, link);
    EXPECT_FALSE(files.addOwnerWrite(link).ok());
    EXPECT_EQ(files.inspect(file).value.attributes, kAttrReadOnly);
    EXPECT_TRUE(files.addOwnerWrite(file).ok());
    EXPECT_EQ(files.inspect(file).value.attributes, kAttrNormal);
}

TEST_F(PosixServices, TruncateWorksOnTmpfsWhereDirectIoIsRefused) {
    if (!std::filesystem::is_directory("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm on this machine";
    TempFolder shm("/dev/shm");
    const std::string file = writeSample(shm.file("f"), 5000);
    EXPECT_TRUE(files.truncateToZero(file, identityOf(file)).ok());
    EXPECT_EQ(files.inspect(file).value.size, 0);
}

} // namespace
} // namespace kelvanter::testing
