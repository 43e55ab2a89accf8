// What only Windows has: the attribute word, sharing modes, UTF-16 names, long paths, reparse
// points. Runs under Wine; where Wine differs from Windows, the test's name or skip says so.
#include "core/ModDestroyFile.h"
#include "support/CoreFixture.h"

#include <fstream>
#include <windows.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;
using Win32Disposal = CoreFixture;

DWORD attributesOf(const std::string& path) {
    return ::GetFileAttributesW(fsPath(path).wstring().c_str());
}

void setAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(::SetFileAttributesW(fsPath(path).wstring().c_str(), attributes)) << path;
}

// Wine leaves the read-only check to the file's POSIX permission bits, which root passes.
bool runsUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

enum class Outcome { Destroyed, Recovered };

struct AttributeCase {
    const char* name;
    DWORD attributes;
    Outcome outcome;
    int resets; // rounds of the disposal's reset-and-check cycle
};

// The attribute word through the whole run. Read-only and system files are not opened for the
// passes at all (the window asks about read-only first, and does not find system files).
TEST_F(Win32Disposal, AttributesAloneAndCombinedThroughTheWholeRun) {
    const std::vector<AttributeCase> cases = {
        {"archive", FILE_ATTRIBUTE_ARCHIVE, Outcome::Destroyed, 0},
        {"archive, not indexed", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, Outcome::Destroyed, 0},
        {"normal", FILE_ATTRIBUTE_NORMAL, Outcome::Destroyed, 0},
        {"hidden", FILE_ATTRIBUTE_HIDDEN, Outcome::Destroyed, 1},
        {"hidden, archive", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, Outcome::Destroyed, 1},
        runsUnderWine() ? AttributeCase{"read-only, under Wine as root", FILE_ATTRIBUTE_READONLY, Outcome::Destroyed, 1}
                        : AttributeCase{"read-only", FILE_ATTRIBUTE_READONLY, Outcome::Recovered, 0},
        {"system", FILE_ATTRIBUTE_SYSTEM, Outcome::Recovered, 0},
        {"hidden, system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, Outcome::Recovered, 0},
    };
    for (const AttributeCase& c : cases) {
        InstrumentedFileServices counted;
        RecordingDisplay shown;
        const std::string path = writeSample(folder.file(std::string("a ") + c.name), 5000);
        setAttributes(path, c.attributes);
        ByteCounters counts;
        const Verdict verdict = vesk(CoreContext{shown, shown, counted, process, clock}, counts, path, shown.modes());
        if (c.outcome == Outcome::Destroyed) {
            EXPECT_EQ(verdict, Verdict::Destroyed) << c.name;
            EXPECT_FALSE(entryExists(path)) << c.name;
            EXPECT_EQ(counted.resets, c.resets) << c.name;
        } else {
            ASSERT_EQ(shown.reports.size(), 1u) << c.name << ": " << static_cast<int>(verdict);
            EXPECT_EQ(shown.reports[0].notice, RunNotice::CannotOpen) << c.name;
            EXPECT_EQ(readBytes(path), sampleBytes(5000)) << c.name;
        }
    }
}

// Wine keeps no temporary attribute, so the reset of a temporary file is shown on the word alone.
TEST_F(Win32Disposal, TheAttributeWordIsReadAsItIsAndResetToNormal) {
    const std::string path = writeSample(folder.file("w"), 10);
    setAttributes(path, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    auto pin = FilePin::of(files, path);
    ASSERT_TRUE(pin.has_value()) << "a hidden file is found by the disposal's lookup";
    EXPECT_EQ(pin->attributesAtLookup(), attributesOf(path));
    EXPECT_FALSE(modDestroyFile::AttributesOk(pin->attributesAtLookup()));
    EXPECT_TRUE(modDestroyFile::FileExists(files.statusOf(pin->handle())));
    modDestroyFile::ResetAttributes(files, *pin);
    // Normal on Windows; Wine reports every file as archive besides.
    const DWORD blocking =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;
    EXPECT_EQ(attributesOf(path) & blocking, 0u);
    EXPECT_TRUE(modDestroyFile::AttributesOk(files.statusOf(pin->handle()).value.attributes));
}

TEST_F(Win32Disposal, AFileHeldOpenWithoutWriteSharingGetsTheRecoveryBoxAndStaysUnchanged) {
    const std::string path = writeSample(folder.file("belegt.txt"), 10000);
    const HANDLE other = ::CreateFileW(fsPath(path).wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    destroy(path, true);
    ::CloseHandle(other);
    EXPECT_EQ(notices(), std::vector<RunNotice>{RunNotice::CannotOpen});
    EXPECT_TRUE(display.enabled);
    EXPECT_EQ(display.percentCaption, "0 %");
    EXPECT_EQ(readBytes(path), sampleBytes(10000));
}

// While the passes run, the file's handle shares no writing: another program's open for writing
// is refused, and one for reading is not.
TEST_F(Win32Disposal, ASecondWriterIsRefusedDuringTheRunAndAReaderIsNot) {
    const std::string path = writeSample(folder.file("offen.txt"), 50000);
    DWORD writerRefusal = ERROR_SUCCESS;
    bool readerOpened = false;
    files.afterWrite = [&](std::int64_t) {
        if (writerRefusal != ERROR_SUCCESS)
            return;
        const HANDLE writer =
            ::CreateFileW(fsPath(path).wstring().c_str(), GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        writerRefusal = writer == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_INVALID_HANDLE;
        if (writer != INVALID_HANDLE_VALUE)
            ::CloseHandle(writer);
        const HANDLE reader =
            ::CreateFileW(fsPath(path).wstring().c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        readerOpened = reader != INVALID_HANDLE_VALUE;
        if (readerOpened)
            ::CloseHandle(reader);
    };
    destroy(path);
    EXPECT_EQ(writerRefusal, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(readerOpened);
    EXPECT_FALSE(fs::exists(fsPath(path)));
}

TEST_F(Win32Disposal, NamesFromOutsideLatin1AndPathsPastMaxPathAreDestroyed) {
    const std::string here = utf8Of(folder.path());
    std::string deep = here + "\\Ordner mit langem Namen";
    while (deep.size() < 300)
        deep += "\\Ordner mit langem Namen";
    fs::create_directories(fsPath("\\\\?\\" + deep));
    for (const std::string& path : {here + "\\Тест.txt", here + "\\日本.txt", deep + "\\brief.txt"}) {
        const fs::path wide = fsPath(path.size() < MAX_PATH ? path : "\\\\?\\" + path);
        {
            std::ofstream out(wide, std::ios::binary);
            out << std::string(5000, 'x');
        }
        ASSERT_TRUE(fs::exists(wide)) << path;
        display.successVisible = false;
        destroy(path);
        EXPECT_TRUE(display.successVisible) << path;
        EXPECT_FALSE(fs::exists(wide)) << path;
    }
    // std::filesystem cannot remove folders past MAX_PATH here: the deepest first, by hand.
    for (std::string folderPath = deep; folderPath.size() > here.size(); folderPath.resize(folderPath.rfind('\\')))
        ::RemoveDirectoryW(fsPath("\\\\?\\" + folderPath).wstring().c_str());
}

TEST_F(Win32Disposal, WildcardsAndStreamNamesAreTakenLiterallyAndNotFound) {
    const std::string path = writeSample(folder.file("brief.txt"), 100);
    for (const std::string& typed : {folder.file("brief.*"), folder.file("brie?.txt"), path + ":geheim"}) {
        EXPECT_FALSE(FilePin::of(files, typed).has_value()) << typed;
        EXPECT_EQ(files.pin(typed).error, ENOENT) << typed;
    }
    EXPECT_EQ(readBytes(path), sampleBytes(100));
}

// A link or junction is never followed: its target is never written.
TEST_F(Win32Disposal, LinksAndJunctionsAreNotFoundAndTheirTargetsStayWhole) {
    const std::string target = writeSample(folder.file("ziel.txt"), 3000);
    const std::string link = folder.file("verweis.txt");
    ::CreateSymbolicLinkW(fsPath(link).wstring().c_str(), fsPath(target).wstring().c_str(),
                          SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    if (attributesOf(link) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no link was made here (Wine's CreateSymbolicLinkW reports success and makes nothing)";
    EXPECT_FALSE(FilePin::of(files, link).has_value());
    destroy(link);
    EXPECT_EQ(notices(), std::vector<RunNotice>{RunNotice::CannotOpen});
    EXPECT_EQ(readBytes(target), sampleBytes(3000));
}

// Whether the file has a stream of that name, as Windows lists them.
bool hasStream(const std::string& path, const std::wstring& stream) {
    WIN32_FIND_STREAM_DATA found{};
    const HANDLE search = ::FindFirstStreamW(fsPath(path).wstring().c_str(), FindStreamInfoStandard, &found, 0);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool listed = false;
    do
        listed = listed || stream == found.cStreamName;
    while (::FindNextStreamW(search, &found));
    ::FindClose(search);
    return listed;
}

// Where a download came from, in its Zone.Identifier stream: overwritten with the file and gone.
TEST_F(Win32Disposal, TheDownloadsZoneIdentifierStreamIsOverwrittenAndGone) {
    const std::string path = writeSample(folder.file("download.pdf"), 5000);
    const std::string zone = "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://beispiel.invalid/HERKUNFT.pdf\r\n";
    std::ofstream(fsPath(path + ":Zone.Identifier"), std::ios::binary) << zone;
    if (!hasStream(path, L":Zone.Identifier:$DATA"))
        GTEST_SKIP() << "this file system keeps no named streams (Wine stores files on the host's)";
    std::vector<unsigned char> streamBeforeCut;
    files.beforeCut = [&] { streamBeforeCut = readBytes(path + ":Zone.Identifier"); };
    EXPECT_EQ(destroy(path), Verdict::Destroyed);
    EXPECT_FALSE(fs::exists(fsPath(path)));
    EXPECT_GE(streamBeforeCut.size(), zone.size());
    EXPECT_TRUE(std::all_of(streamBeforeCut.begin(), streamBeforeCut.end(), [](unsigned char b) { return b == 0; }));
}

TEST(Win32Clock, ReadsTheLocalDateAndTime) {
    PlatformClock clock;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const CalendarDay day = clock.currentDate();
    EXPECT_EQ(day.day, now.wDay);
    EXPECT_EQ(day.month, now.wMonth);
}

} // namespace
} // namespace kelvanter::testing
