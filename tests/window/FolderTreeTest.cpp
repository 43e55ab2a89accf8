// A folder given for destruction stands for the regular files beneath it: on a real file system,
// with a link to a folder outside, a FIFO and a bind mount inside, through the main window's flow.
#include "support/CoreFixture.h"
#include "support/FakeWindow.h"
#include "support/LoopImage.h"
#include "support/NotedTraces.h"
#include "window/VeskFlow.h"

#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utility>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

class FolderTree : public CoreFixture {
protected:
    void writeMarked(const std::string& path, int lines, const std::string& mark = "ORDNERBAUM-GEHEIM-") {
        std::ofstream out(path);
        for (int i = 0; i < lines; ++i)
            out << mark << i << "\n";
    }

    bool accountSays(const std::string& words) const {
        return !window.boxes.empty() && window.boxes.back().text.find(words) != std::string::npos;
    }

    FakeWindow window;
    NotedTraces traces;
    VeskFlow flow{window, window, files, process, clock, traces};
};

TEST_F(FolderTree, TheTreeGoesButLinksFifosAndMountsInsideAreLeftAndNamed) {
    TempFolder place;
    LoopImage image{place.path()};
    if (const auto refused = image.mount("mkfs.ext4 -q -F -b 4096 -O ^has_journal", "", "64M"))
        GTEST_SKIP() << *refused;
    const std::string tree = image.mountPoint() + "/Akten";
    fs::create_directories(tree + "/2026/Steuern");
    fs::create_directories(tree + "/leer");
    writeMarked(tree + "/brief.txt", 300);
    writeMarked(tree + "/2026/rechnung.txt", 2000);
    writeMarked(tree + "/2026/Steuern/bescheid.txt", 50);
    // Outside the tree: reached only through a link, and through a bind mount.
    const std::string outside = folder.file("draussen");
    fs::create_directories(outside);
    writeMarked(outside + "/fremd.txt", 10, "DRAUSSEN-BLEIBT-");
    fs::create_directory_symlink(outside, tree + "/verweis");
    ASSERT_EQ(::mkfifo((tree + "/rohr").c_str(), 0600), 0);
    // Beside the tree on the same file system, bound into it: the same device, yet no part of it.
    const std::string beside = image.mountPoint() + "/anderswo";
    fs::create_directories(beside);
    writeMarked(beside + "/fremd.txt", 10, "DRAUSSEN-BLEIBT-");
    fs::create_directories(tree + "/eingehaengt");
    const bool bound = ::mount(beside.c_str(), (tree + "/eingehaengt").c_str(), nullptr, MS_BIND, nullptr) == 0;

    flow.takeFilesFromCommandLine({tree + "/"});
    flow.Command2_Click();

    if (bound)
        ::umount2((tree + "/eingehaengt").c_str(), MNT_DETACH);
    const std::size_t tenLines = 10u * std::string("DRAUSSEN-BLEIBT-0\n").size();
    EXPECT_EQ(readBytes(outside + "/fremd.txt").size(), tenLines);
    EXPECT_EQ(readBytes(beside + "/fremd.txt").size(), tenLines);
    ASSERT_EQ(window.boxes.size(), 2u) << "one question and one account";
    EXPECT_NE(window.boxes[0].text.find("Sollen die 3 Dateien"), std::string::npos) << window.boxes[0].text;
    EXPECT_TRUE(accountSays("Von 3 Dateien sind 3 zerstört.")) << window.boxes.back().text;
    EXPECT_TRUE(accountSays("/Akten/rohr: keine gewöhnliche Datei")) << window.boxes.back().text;
    EXPECT_TRUE(accountSays("/Akten/verweis: eine Verknüpfung"));
    if (bound) {
        EXPECT_TRUE(accountSays("/Akten/eingehaengt: dort ist etwas anderes eingehängt"));
    }
    // What the account names stays, with the folders that hold it; everything else is gone.
    EXPECT_FALSE(fs::exists(tree + "/2026"));
    EXPECT_FALSE(fs::exists(tree + "/leer"));
    EXPECT_FALSE(fs::exists(tree + "/brief.txt"));
    EXPECT_TRUE(fs::is_symlink(tree + "/verweis"));
    EXPECT_TRUE(fs::is_fifo(tree + "/rohr"));
    EXPECT_TRUE(accountSays("/Akten: der Ordner ist nicht leer"));
    ASSERT_TRUE(image.unmount());
    EXPECT_EQ(countIn(image.image(), "ORDNERBAUM-GEHEIM-"), 0u);
}

// Another user swaps a folder beneath the chosen one for a link between the walk and the lookups:
// what lies behind the link is never reached, the file the walk found goes where it lies now, and
// the account names the folder.
TEST_F(FolderTree, AFolderSwappedForALinkAfterTheWalkLeadsNowhereElse) {
    const std::string share = folder.file("share");
    fs::create_directories(share + "/zz");
    writeMarked(share + "/zz/x.txt", 20);
    for (int i = 0; i < 3; ++i)
        writeMarked(share + "/datei-" + std::to_string(i) + ".txt", 2);
    const std::string secret = folder.file("rootsecret");
    fs::create_directory(secret);
    writeMarked(secret + "/x.txt", 20, "GEHEIM-BLEIBT-");
    const std::vector<unsigned char> secretBefore = readBytes(secret + "/x.txt");
    bool swapped = false;
    files.beforePin = [&](const std::string&) {
        if (std::exchange(swapped, true))
            return;
        fs::rename(share + "/zz", share + "/zz.old");
        fs::create_directory_symlink(secret, share + "/zz");
    };
    window.path = share;
    flow.Command2_Click();
    ASSERT_TRUE(swapped);
    EXPECT_EQ(readBytes(secret + "/x.txt"), secretBefore);
    EXPECT_FALSE(fs::exists(share + "/zz.old/x.txt"));
    EXPECT_TRUE(fs::is_symlink(share + "/zz"));
    EXPECT_TRUE(accountSays("Von 4 Dateien sind 4 zerstört.")) << window.boxes.back().text;
    EXPECT_TRUE(accountSays(share + "/zz: der Name nennt inzwischen etwas anderes")) << window.boxes.back().text;
}

// A download folder holds more files than a desktop session's usual limit of open files (1024,
// here lowered to 64), and a photo library more folders: every file is destroyed all the same, the
// folders let go opened again from their held parents.
TEST_F(FolderTree, MoreFilesAndFoldersThanTheProcessMayHoldOpenAreAllDestroyed) {
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &before), 0);
    if (before.rlim_max != RLIM_INFINITY && before.rlim_max < 1024)
        GTEST_SKIP() << "the hard limit of open files is " << before.rlim_max;
    struct Case {
        const char* name;
        int folders;
        int filesEach;
    };
    for (const Case& c : {Case{"Downloads", 0, 300}, Case{"Fotos", 60, 5}}) {
        SCOPED_TRACE(c.name);
        const std::string tree = folder.file(c.name);
        fs::create_directory(tree);
        for (int f = 0; f <= c.folders; ++f) {
            const std::string in = f == 0 ? tree : tree + "/ordner-" + std::to_string(f);
            fs::create_directories(in);
            for (int i = 0; i < (f == 0 && c.folders > 0 ? 0 : c.filesEach); ++i)
                writeMarked(in + "/datei-" + std::to_string(i) + ".txt", 2);
        }
        const int all = c.folders == 0 ? c.filesEach : c.folders * c.filesEach;
        rlimit low = before;
        low.rlim_cur = 64;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
        window.path = tree;
        flow.Command2_Click();
        ::setrlimit(RLIMIT_NOFILE, &before);
        EXPECT_FALSE(fs::exists(tree));
        const std::string count = std::to_string(all);
        EXPECT_TRUE(accountSays("Von " + count + " Dateien sind " + count + " zerstört.")) << window.boxes.back().text;
    }
}

} // namespace
} // namespace kelvanter::testing
