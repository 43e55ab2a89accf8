#include "desktop/TraceRemoval.h"
#include "platform/posix/PosixFileServices.h"
#include "support/BookmarkList.h"
#include "support/FakeClock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

using namespace traces;
namespace fs = std::filesystem;

TEST(Md5, MatchesTheReferenceDigests) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex(std::string(1000, 'a')), "cabe45dcc9ae5b66ba86600cca6b8ba8");
    EXPECT_EQ(md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(ThumbnailNames, FollowTheEscapedUriOfTheAbsolutePath) {
    // Worked out by hand: ü is C3 BC in UTF-8, the blank is 20.
    EXPECT_EQ(glibFileUri("/home/jürgen/Mein Bild.png"), "file:///home/j%C3%BCrgen/Mein%20Bild.png");
    EXPECT_EQ(md5Hex(glibFileUri("/home/jürgen/Mein Bild.png")), "547254012b5fc33a1a25944d10b77eb3");
    EXPECT_EQ(glibFileUri("/a/b-c_d.e~f!$&'()*+,=:@"), "file:///a/b-c_d.e~f!$&'()*+,=:@");
    EXPECT_EQ(glibFileUri("/a/#?%;\"[]"), "file:///a/%23%3F%25%3B%22%5B%5D");
    EXPECT_EQ(fileUris("/home/anna/a;b.png"),
              (std::vector<std::string>{"file:///home/anna/a%3Bb.png", "file:///home/anna/a;b.png"}));
    EXPECT_EQ(fileUris("/x.png").size(), 1u);
}

TEST(AbsolutePath, ResolvesRelativePathsAgainstTheCurrentFolderByName) {
    PosixFileServices files;
    const std::string here = files.currentFolder().value;
    EXPECT_EQ(absolutePathOf(files, "/a//b/./c/../d"), "/a/b/d");
    EXPECT_EQ(absolutePathOf(files, "brief.txt"), absolutePathOf(files, here + "/brief.txt"));
    EXPECT_EQ(absolutePathOf(files, "/.."), "/");
}

std::string recentList(const std::string& entryOfTheFile) {
    return xbelList(bookmarkXml("file:///home/anna/anderes.txt") + entryOfTheFile +
                    bookmarkXml("file:///home/anna/brief.txt.bak", "Büro", "soffice"));
}

const std::vector<std::string> kOtherUris = {"file:///home/anna/anderes.txt", "file:///home/anna/brief.txt.bak"};

TEST(RecentFiles, OnlyTheFilesOwnBookmarkIsTakenOut) {
    const std::string list = recentList(bookmarkXml("file:///home/anna/Br%C3%BCcke%20&amp;%20Co.txt"));
    EXPECT_EQ(urisIn(withoutRecentEntries(list, fileUris("/home/anna/Brücke & Co.txt"))), kOtherUris);
    EXPECT_EQ(withoutRecentEntries(list, fileUris("/home/anna/brief.txt")), list) << "a prefix is no match";
}

// Other files' entries keep their groups and applications, and the file's name is gone from the list.
TEST(RecentFiles, OtherEntriesKeepTheirGroupsAndApplications) {
    const std::string list = xbelList(bookmarkXml("file:///home/anna/Bericht.odt", "Büro", "soffice") +
                                      bookmarkXml(glibFileUri("/home/anna/geheim.txt")) +
                                      bookmarkXml("file:///home/anna/Notizen.txt", "Texte", "gedit"));

    const std::string after = withoutRecentEntries(list, fileUris("/home/anna/geheim.txt"));

    const std::vector<Bookmark> expected = {{"file:///home/anna/Bericht.odt", {"Büro"}, {"soffice"}},
                                            {"file:///home/anna/Notizen.txt", {"Texte"}, {"gedit"}}};
    ASSERT_EQ(bookmarksIn(list).size(), 3u) << "GLib reads the list as written";
    EXPECT_EQ(bookmarksIn(after), expected);
    EXPECT_EQ(after.find("geheim"), std::string::npos);
}

// GLib would drop an entry without an application when it writes: rather than lose it, keep the list.
TEST(RecentFiles, AListGLibCannotReadOrWouldShortenIsLeftAsItIs) {
    const std::string broken = "<xbel><bookmark href=\"file:///home/anna/geheim.txt\"";
    EXPECT_EQ(withoutRecentEntries(broken, fileUris("/home/anna/geheim.txt")), broken);
    const std::string incomplete = xbelList(bookmarkXml("file:///home/anna/geheim.txt") +
                                            "  <bookmark href=\"file:///home/anna/ohne-programm.txt\" "
                                            "added=\"2026-12-01T09:00:00Z\"/>\n");
    EXPECT_EQ(withoutRecentEntries(incomplete, fileUris("/home/anna/geheim.txt")), incomplete);
}

TEST(RemoveTraces, DestroysTheFilesThumbnailsInEverySizeAndFailFolderAndItsRecentEntry) {
    TempFolder home;
    PosixFileServices files;
    PosixProcess process;
    FakeClock clock;
    TraceLocations locations{home.file("cache/thumbnails"), home.file("data/recently-used.xbel")};
    const std::string file = "/home/anna/Urlaub 2026/Strand.jpg";
    const std::string name = md5Hex(glibFileUri(file)) + ".png";
    const std::string otherName = md5Hex(glibFileUri("/home/anna/anderes.jpg")) + ".png";
    std::vector<std::string> mine;
    for (const std::string folder : {"normal", "large", "fail/gnome-thumbnail-factory"}) {
        fs::create_directories(locations.thumbnailsFolder + "/" + folder);
        mine.push_back(writeSample(locations.thumbnailsFolder + "/" + folder + "/" + name, 3000));
    }
    const std::string other = writeSample(locations.thumbnailsFolder + "/normal/" + otherName, 2000);
    fs::create_directories(home.file("data"));
    const std::string before = recentList(bookmarkXml("file:///home/anna/Urlaub%202026/Strand.jpg"));
    writeBytes(locations.recentFilesList, {before.begin(), before.end()});
    fs::permissions(locations.recentFilesList, fs::perms::owner_read | fs::perms::owner_write);

    EXPECT_EQ(thumbnailsOf(files, locations, file).size(), 3u);
    removeTracesOf(files, files, process, clock, locations, file);

    for (const std::string& thumbnail : mine)
        EXPECT_FALSE(entryExists(thumbnail)) << thumbnail;
    EXPECT_EQ(readBytes(other), sampleBytes(2000));
    const auto list = readBytes(locations.recentFilesList);
    EXPECT_EQ(urisIn(std::string(list.begin(), list.end())), kOtherUris);
    EXPECT_EQ(fs::status(locations.recentFilesList).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    for (const std::string folder : {"normal", "large", "fail/gnome-thumbnail-factory"})
        EXPECT_TRUE(disposalLeftovers(locations.thumbnailsFolder + "/" + folder).empty());
}

TEST(RemoveTraces, NothingThereIsNothingToDo) {
    TempFolder home;
    PosixFileServices files;
    PosixProcess process;
    FakeClock clock;
    removeTracesOf(files, files, process, clock, {home.file("nothumbs"), home.file("no.xbel")}, "/x/y");
    EXPECT_TRUE(fs::is_empty(home.path()));
}

} // namespace
} // namespace kelvanter::testing
