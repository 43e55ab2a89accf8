// Destroys a file of marked lines on real loop-mounted file systems through the real window, then
// searches the unmounted image for the marks: "destroyed" may be said only where none is left.
#include "core/OverwritePasses.h"
#include "support/LoopImage.h"
#include "support/WindowFixture.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"
#include "window/ErrorTexts.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMark = "KELVANTER-MARKE-";
constexpr int kMarkedLines = 20000;

enum class Prepare { Plain, NoCopyOnWrite, ReflinkedCopy };
enum class Marks { None, Some };

struct FileSystemCase {
    const char* name;
    const char* mkfs;
    const char* mountOptions;
    Prepare prepare;
    Doubts doubts;   // the reasons of the question before the confirmation
    Doubts unproven; // the reasons of the box after the run; none: the label
    Marks marksLeft;
    bool flash = false; // the loop device says it is not rotational, as SSDs and memory cards do
};

void PrintTo(const FileSystemCase& c, std::ostream* out) {
    *out << c.name;
}

std::string markedText() {
    std::string text;
    for (int line = 0; line < kMarkedLines; ++line)
        text += kMark + std::to_string(100000 + line) + " vertraulicher Inhalt\n";
    return text;
}

class RealFileSystems : public WindowFixture, public ::testing::WithParamInterface<FileSystemCase> {
protected:
    // Makes and mounts the image; the reason when this machine will not.
    std::optional<std::string> mountImage(const FileSystemCase& c) {
        if (auto refused = image.mount(c.mkfs, c.mountOptions))
            return refused;
        return c.flash ? image.lookLikeFlash() : std::nullopt;
    }

    std::string writeMarkedFile(Prepare prepare) {
        const std::string path = image.mountPoint() + "/geheim.txt";
        std::ofstream(path).close();
        if (prepare == Prepare::NoCopyOnWrite) {
            EXPECT_TRUE(setInodeFlag(path, FS_NOCOW_FL, true));
        }
        std::ofstream(path, std::ios::binary) << markedText();
        if (prepare == Prepare::ReflinkedCopy) {
            EXPECT_TRUE(run("cp --reflink=always " + path + " " + image.mountPoint() + "/kopie.txt"));
        }
        run("sync");
        return path;
    }

    const ShownBox* boxWithStyle(int style) const {
        for (const ShownBox& box : boxes.shown) {
            if (box.style == style)
                return &box;
        }
        return nullptr;
    }

    LoopImage image{folder.path()};
};

TEST_P(RealFileSystems, SayDestroyedOnlyWhereNoMarkIsLeftOnTheDevice) {
    const FileSystemCase& c = GetParam();
    if (const auto refused = mountImage(c))
        GTEST_SKIP() << *refused;
    const std::string path = writeMarkedFile(c.prepare);
    ASSERT_GT(countIn(path, kMark), 0u);

    destroyThroughWindow(QString::fromStdString(path));

    const ShownBox* doubt = boxWithStyle(kStyleWarningQuestion);
    if (!c.doubts.empty()) {
        ASSERT_NE(doubt, nullptr);
        EXPECT_EQ(doubt->text.toStdString(), boxTexts::doubtQuestion(path, c.doubts));
        EXPECT_EQ(doubt->title, boxTexts::kMessageTitle);
    } else {
        EXPECT_EQ(doubt, nullptr) << doubt->text.toStdString();
    }
    const ShownBox* unproven = boxWithStyle(kStyleWarning);
    if (!c.unproven.empty()) {
        ASSERT_NE(unproven, nullptr);
        EXPECT_EQ(unproven->text.toStdString(), boxTexts::deletedUnproven(path, c.unproven));
    } else {
        EXPECT_EQ(unproven, nullptr) << unproven->text.toStdString();
    }
    EXPECT_EQ(window.Label3->isVisible(), c.unproven.empty());
    // Where the old copies lie in free space, the way to them is offered after the run.
    const bool freeSpaceHelps = !c.doubts.empty() && (c.doubts[0].kind == DoubtKind::WritesElsewhere ||
                                                      c.doubts[0].kind == DoubtKind::JournalsContents);
    const bool offered = std::any_of(boxes.shown.begin(), boxes.shown.end(), [](const ShownBox& box) {
        return box.text.toStdString() == boxTexts::kOverwriteFreeSpaceNow && box.style == kStyleQuestionNoDefault;
    });
    EXPECT_EQ(offered, freeSpaceHelps);
    EXPECT_EQ(window.freeSpaceWindow() != nullptr, freeSpaceHelps) << "the answer Yes opens the window";
    EXPECT_FALSE(fs::exists(path)) << "the file goes either way";
    expectUsable();

    ASSERT_TRUE(image.unmount());
    const std::size_t left = countIn(image.image(), kMark);
    if (c.marksLeft == Marks::None)
        EXPECT_EQ(left, 0u);
    else
        EXPECT_GT(left, 0u) << "the premise: this file system keeps the old data";
}

const Doubt kBlocksMoved{DoubtKind::BlocksMoved};
const Doubt kJournal{DoubtKind::JournalsContents};
const Doubt kFlash{DoubtKind::Flash};
INSTANTIATE_TEST_SUITE_P(
    Images, RealFileSystems,
    ::testing::Values(
        FileSystemCase{"ext4", "mkfs.ext4 -q -F", "", Prepare::Plain, {}, {}, Marks::None},
        FileSystemCase{"ext4OnFlash", "mkfs.ext4 -q -F", "", Prepare::Plain, {kFlash}, {kFlash}, Marks::None, true},
        FileSystemCase{
            "ext4DataJournal", "mkfs.ext4 -q -F", "data=journal", Prepare::Plain, {kJournal}, {kJournal}, Marks::Some},
        FileSystemCase{"xfs", "mkfs.xfs -q -f", "", Prepare::Plain, {}, {}, Marks::None},
        FileSystemCase{"xfsReflinkedCopy",
                       "mkfs.xfs -q -f -m reflink=1",
                       "",
                       Prepare::ReflinkedCopy,
                       {{DoubtKind::SharedBlocks}},
                       {kBlocksMoved},
                       Marks::Some},
        FileSystemCase{"btrfs",
                       "mkfs.btrfs -q -f",
                       "",
                       Prepare::Plain,
                       {{DoubtKind::WritesElsewhere, "btrfs"}},
                       {{DoubtKind::WritesElsewhere, "btrfs"}},
                       Marks::Some},
        FileSystemCase{"btrfsNoCopyOnWrite", "mkfs.btrfs -q -f", "", Prepare::NoCopyOnWrite, {}, {}, Marks::None}),
    [](const auto& info) { return std::string(info.param.name); });

using MountedFile = WindowFixture;

// A file bind-mounted over the chosen name is another file, not one of the folder's: nothing of
// either is written, and the box says why.
TEST_F(MountedFile, AFileMountedOnThePathIsRefusedAndNeitherIsWritten) {
    const std::string other = writeSample(folder.file("andere.txt"), 7000);
    const std::string path = writeSample(folder.file("ziel.txt"), 5000);
    if (::mount(other.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount here: " << std::strerror(errno);
    destroyThroughWindow(QString::fromStdString(path));
    ::umount2(path.c_str(), MNT_DETACH);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.toStdString(), boxTexts::cannotProcess(path, describeError(kMountPoint)));
    EXPECT_EQ(boxes.shown[0].style, kStyleError);
    EXPECT_EQ(files.opens, 0);
    EXPECT_EQ(readBytes(other), sampleBytes(7000));
    EXPECT_EQ(readBytes(path), sampleBytes(5000));
    expectUsable();
}

using OpenElsewhere = WindowFixture;

// Another program that keeps writing into the file would write on into it after it is gone: the
// question before the confirmation says so, and a No leaves the file alone.
TEST_F(OpenElsewhere, AFileAnotherProgramKeepsWritingIsNamedInTheQuestion) {
    const std::string path = writeSample(folder.file("protokoll.txt"), 5000);
    int opened[2];
    ASSERT_EQ(::pipe(opened), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        ::close(opened[0]);
        const int log = ::open(path.c_str(), O_WRONLY | O_APPEND);
        // One line is written before the test goes on; the rest while it runs.
        bool writing = log >= 0 && ::write(log, "Eintrag\n", 8) == 8 && ::write(opened[1], "!", 1) == 1;
        for (int line = 0; writing && line < 100000; ++line) {
            ::usleep(1000);
            writing = ::write(log, "Eintrag\n", 8) == 8;
        }
        ::_exit(0);
    }
    ::close(opened[1]);
    char byte = 0;
    const bool writing = ::read(opened[0], &byte, 1) == 1;
    ::close(opened[0]);
    boxes.answers = {kAnswerNo};

    destroyThroughWindow(QString::fromStdString(path));

    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ASSERT_TRUE(writing) << "the writer could not open the file";
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown[0].style, kStyleWarningQuestion);
    EXPECT_TRUE(boxes.shown[0].text.contains("sie ist noch in einem anderen Programm geöffnet, das ihren Inhalt "
                                             "halten oder weiter hineinschreiben kann"))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(boxes.shown.size(), 1u) << "a No ends the questions";
    EXPECT_TRUE(fs::exists(path));
    EXPECT_GT(fs::file_size(path), 5000u) << "the writer went on as before";
    expectUsable();
}

} // namespace
} // namespace kelvanter::testing
