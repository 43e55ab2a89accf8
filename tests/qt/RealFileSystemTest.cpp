// Destroys a file of marked lines on real loop-mounted file systems through the real window, then
// searches the unmounted image for the marks: "destroyed" may be said only where none is left.
#include "core/OverwritePasses.h"
#include "core/OverwriteProof.h"
#include "support/WindowFixture.h"

#include <cstdlib>
#include <fstream>
#include <linux/fs.h>
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
    std::optional<std::string> doubt;    // the reason of the question before the confirmation
    std::optional<std::string> unproven; // the reason of the box after the run; none: the label
    Marks marksLeft;
    bool flash = false; // the loop device says it is not rotational, as SSDs and memory cards do
};

void PrintTo(const FileSystemCase& c, std::ostream* out) {
    *out << c.name;
}

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string markedText() {
    std::string text;
    for (int line = 0; line < kMarkedLines; ++line)
        text += kMark + std::to_string(100000 + line) + " vertraulicher Inhalt\n";
    return text;
}

std::size_t marksIn(const std::string& image) {
    std::ifstream in(image, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t count = 0;
    for (auto at = bytes.find(kMark); at != std::string::npos; at = bytes.find(kMark, at + 1))
        ++count;
    return count;
}

class RealFileSystems : public WindowFixture, public ::testing::WithParamInterface<FileSystemCase> {
protected:
    ~RealFileSystems() override {
        if (!rotationalFlag_.empty())
            std::ofstream(rotationalFlag_) << "1\n";
        if (mounted_)
            run("umount -l " + mountPoint());
    }
    std::string image() const { return folder.file("abbild.img"); }
    std::string mountPoint() const { return folder.file("mnt"); }

    // Makes and mounts the image; the reason when this machine will not.
    std::optional<std::string> mountImage(const FileSystemCase& c) {
        fs::create_directory(mountPoint());
        if (!run("truncate -s 320M " + image()) || !run(std::string(c.mkfs) + " " + image()))
            return std::string("cannot make the file system: ") + c.mkfs;
        const std::string options = std::string("loop") + (*c.mountOptions ? "," : "") + c.mountOptions;
        if (!run("mount -o " + options + " " + image() + " " + mountPoint()))
            return "mount -o " + options + " is refused here";
        mounted_ = true;
        if (c.flash)
            return makeLoopDeviceLookLikeFlash();
        return std::nullopt;
    }

    std::optional<std::string> makeLoopDeviceLookLikeFlash() {
        const std::string listing = folder.file("quelle");
        if (std::system(("findmnt -n -o SOURCE " + mountPoint() + " > " + listing).c_str()) != 0)
            return std::string("findmnt cannot name the loop device");
        std::string device;
        std::ifstream(listing) >> device;
        rotationalFlag_ = "/sys/block/" + fs::path(device).filename().string() + "/queue/rotational";
        std::ofstream(rotationalFlag_) << "0\n";
        std::string now;
        std::ifstream(rotationalFlag_) >> now;
        if (now != "0")
            return "cannot mark " + device + " as not rotational";
        return std::nullopt;
    }

    std::string writeMarkedFile(Prepare prepare) {
        const std::string path = mountPoint() + "/geheim.txt";
        std::ofstream(path).close();
        if (prepare == Prepare::NoCopyOnWrite) {
            EXPECT_TRUE(setInodeFlag(path, FS_NOCOW_FL, true));
        }
        std::ofstream(path, std::ios::binary) << markedText();
        if (prepare == Prepare::ReflinkedCopy) {
            EXPECT_TRUE(run("cp --reflink=always " + path + " " + mountPoint() + "/kopie.txt"));
        }
        run("sync");
        return path;
    }

    bool unmount() {
        mounted_ = !run("umount " + mountPoint());
        return !mounted_;
    }

    const ShownBox* boxWithStyle(int style) const {
        for (const ShownBox& box : boxes.shown) {
            if (box.style == style)
                return &box;
        }
        return nullptr;
    }

private:
    bool mounted_ = false;
    std::string rotationalFlag_;
};

TEST_P(RealFileSystems, SayDestroyedOnlyWhereNoMarkIsLeftOnTheDevice) {
    const FileSystemCase& c = GetParam();
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting an image needs root";
    if (const auto refused = mountImage(c))
        GTEST_SKIP() << *refused;
    const std::string path = writeMarkedFile(c.prepare);
    ASSERT_GT(marksIn(path), 0u);

    destroyThroughWindow(QString::fromStdString(path));

    const QString qpath = QString::fromStdString(path);
    const ShownBox* doubt = boxWithStyle(kStyleWarningQuestion);
    if (c.doubt) {
        ASSERT_NE(doubt, nullptr);
        EXPECT_EQ(doubt->text, "Die Datei " + qpath + " kann hier nicht an Ort und Stelle überschrieben werden: " +
                                   QString::fromStdString(*c.doubt) +
                                   ". Ihr bisheriger Inhalt kann danach noch auf dem Datenträger lesbar sein. "
                                   "Trotzdem fortfahren ?");
        EXPECT_EQ(doubt->title, "Kelvanter - Nachricht");
    } else {
        EXPECT_EQ(doubt, nullptr) << doubt->text.toStdString();
    }
    const ShownBox* unproven = boxWithStyle(kStyleWarning);
    if (c.unproven) {
        ASSERT_NE(unproven, nullptr);
        EXPECT_EQ(unproven->text.toStdString(), kUnprovenHead + path + kUnprovenMiddle + *c.unproven + kUnprovenTail);
    } else {
        EXPECT_EQ(unproven, nullptr) << unproven->text.toStdString();
    }
    EXPECT_EQ(window.Label3->isVisible(), !c.unproven);
    // Where the old copies lie in free space, the way to them is offered after the run.
    const bool freeSpaceHelps =
        c.doubt == proofReasons::writesElsewhere("btrfs") || c.doubt == proofReasons::kJournalsContents;
    const bool offered = std::any_of(boxes.shown.begin(), boxes.shown.end(), [](const ShownBox& box) {
        return box.text.startsWith("Soll jetzt der freie Speicher des Laufwerks überschrieben werden?") &&
               box.style == 292;
    });
    EXPECT_EQ(offered, freeSpaceHelps);
    EXPECT_EQ(window.freeSpaceWindow() != nullptr, freeSpaceHelps) << "the answer Yes opens the window";
    EXPECT_FALSE(fs::exists(path)) << "the file goes either way";
    expectWindowUsable();

    ASSERT_TRUE(unmount());
    const std::size_t left = marksIn(image());
    if (c.marksLeft == Marks::None)
        EXPECT_EQ(left, 0u);
    else
        EXPECT_GT(left, 0u) << "the premise: this file system keeps the old data";
}

using proofReasons::kBlocksMoved;
INSTANTIATE_TEST_SUITE_P(
    Images, RealFileSystems,
    ::testing::Values(
        FileSystemCase{"ext4", "mkfs.ext4 -q -F", "", Prepare::Plain, std::nullopt, std::nullopt, Marks::None},
        FileSystemCase{"ext4OnFlash", "mkfs.ext4 -q -F", "", Prepare::Plain, proofReasons::onFlash(false),
                       proofReasons::onFlash(false), Marks::None, true},
        FileSystemCase{"ext4DataJournal", "mkfs.ext4 -q -F", "data=journal", Prepare::Plain,
                       proofReasons::kJournalsContents, proofReasons::kJournalsContents, Marks::Some},
        FileSystemCase{"xfs", "mkfs.xfs -q -f", "", Prepare::Plain, std::nullopt, std::nullopt, Marks::None},
        FileSystemCase{"xfsReflinkedCopy", "mkfs.xfs -q -f -m reflink=1", "", Prepare::ReflinkedCopy,
                       proofReasons::kSharedBlocks, kBlocksMoved, Marks::Some},
        FileSystemCase{"btrfs", "mkfs.btrfs -q -f", "", Prepare::Plain, proofReasons::writesElsewhere("btrfs"),
                       kBlocksMoved, Marks::Some},
        FileSystemCase{"btrfsNoCopyOnWrite", "mkfs.btrfs -q -f", "", Prepare::NoCopyOnWrite, std::nullopt, std::nullopt,
                       Marks::None}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kelvanter::testing
