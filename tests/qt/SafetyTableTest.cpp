// Bad input and faults, end to end through the real window and the real file system.
// Each row: the input, what the user sees, and what is on disk afterwards. In every row nothing
// but the chosen file changes, the window ends usable, and success is claimed only when the
// path is gone and no ".del" file is left.
#include "qt/PictureBox.h"
#include "support/FileSizeLimit.h"
#include "support/WindowFixture.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"
#include "window/TimeText.h"

#include <QFile>
#include <fcntl.h>
#include <linux/fs.h>
#include <map>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/un.h>
#include <unistd.h>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

enum class Verdict {
    Destroyed, // path gone, nothing left, "Datei wurde zerstört !"
    // the file held since the lookup destroyed, what another program put at its path untouched
    DestroyedBehindReplacement,
    NotFound,    // the not-found box, nothing touched
    NoBox,       // nothing happens at all
    Declined,    // the user said No, nothing touched
    Recovered,   // the warning box; the file still at its path
    WriteFailed, // the box of a pass that could not write, in the words of its error; the file at its path
    NotDeleted,  // the box that the file could not be deleted
};

const QString kNotFoundText = boxTexts::kNotFound;
const QString kRecoveryText = boxTexts::kCannotOpen;

class SafetyTable;

struct Row {
    const char* name;
    // Makes the input and returns the text typed into the path box (empty std::string to skip).
    std::function<std::string(SafetyTable&)> prepare;
    Verdict verdict;
    bool intensive = false;
    std::deque<int> answers = {};
    // Faults injected at a precise point of the run.
    std::function<void(SafetyTable&, const std::string& path)> inject = nullptr;
    // Further checks on what the row leaves behind.
    std::function<void(SafetyTable&, const std::string& path)> check = nullptr;
    rlim_t fileSizeLimit = 0;
    int writeError = 0; // the error a WriteFailed row's box names
};

std::uint64_t fingerprint(const std::string& path) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char byte : readBytes(path))
        hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

class SafetyTable : public WindowFixture, public ::testing::WithParamInterface<Row> {
public:
    // Every entry under the folder, without following links: type, and contents or target.
    std::map<std::string, std::string> snapshot(const std::string& except) const {
        std::map<std::string, std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
            const std::string path = entry.path().string();
            if (path == except)
                continue;
            const auto type = entry.symlink_status().type();
            std::string state = std::to_string(static_cast<int>(type));
            if (type == fs::file_type::regular)
                state += ":" + std::to_string(fingerprint(path)) + ":" + std::to_string(fs::file_size(path));
            else if (type == fs::file_type::symlink)
                state += ":" + fs::read_symlink(path).string();
            entries[path] = state;
        }
        return entries;
    }

    std::string file(const std::string& name, std::size_t size) { return writeSample(folder.file(name), size); }
    std::string linkTo(const std::string& target) {
        const std::string link = folder.file("verknuepfung");
        fs::create_symlink(target, link);
        return link;
    }
    std::string withFlag(int flag) {
        const std::string path = file("geschuetzt", 100);
        if (!setInodeFlag(path, flag, true))
            return {};
        return path;
    }
    // Swaps what lies at the path for a link to the witness or for another file.
    void replace(const std::string& path, bool byLink) {
        fs::remove(path);
        if (byLink)
            fs::create_symlink(folder.file("zeuge.txt"), path);
        else
            writeSample(path, 900);
    }

    std::optional<TempFolder> shm;
    std::optional<TempFolder> elsewhere;
    std::string skipReason;
};

void expectReplacementUntouched(SafetyTable&, const std::string& path) {
    if (fs::is_symlink(path))
        return;
    EXPECT_EQ(readBytes(path), sampleBytes(900));
}

void expectVerdict(SafetyTable& t, const Row& row, const std::string& path) {
    const auto& shown = t.boxes.shown;
    switch (row.verdict) {
    case Verdict::Destroyed:
        EXPECT_FALSE(entryExists(path));
        EXPECT_TRUE(disposalLeftovers(fs::path(path).parent_path()).empty());
        EXPECT_TRUE(t.window.Label3->isVisibleTo(&t.window));
        EXPECT_EQ(t.window.progress().Label1->text(), "100 %");
        // Questions only, and for a file with other names the word that they stay empty.
        for (const auto& box : shown) {
            if (box.text.toStdString() != boxTexts::otherNamesEmptied(1)) {
                EXPECT_TRUE(asksYesOrNo(box.style)) << box.text.toStdString();
            }
        }
        return;
    case Verdict::DestroyedBehindReplacement:
        EXPECT_TRUE(t.window.Label3->isVisibleTo(&t.window));
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back().text.toStdString(), boxTexts::newFileUnderName(path, {}))
            << "a new file under its name, left as it was";
        return;
    case Verdict::NotFound:
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, kNotFoundText);
        EXPECT_EQ(shown[0].style, kStyleOkOnly);
        break;
    case Verdict::NoBox:
        EXPECT_TRUE(shown.empty());
        break;
    case Verdict::Declined:
        ASSERT_FALSE(shown.empty());
        EXPECT_TRUE(asksYesOrNo(shown.back().style));
        break;
    case Verdict::Recovered:
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back().text, kRecoveryText);
        EXPECT_EQ(shown.back().style, kStyleWarning);
        EXPECT_TRUE(entryExists(path));
        EXPECT_EQ(t.window.progress().Label1->text(), "0 %");
        break;
    case Verdict::WriteFailed:
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back().text.toStdString(), boxTexts::cannotWrite(row.writeError));
        EXPECT_EQ(shown.back().style, kStyleWarning);
        EXPECT_TRUE(entryExists(path));
        EXPECT_EQ(t.window.progress().Label1->text(), "0 %");
        break;
    case Verdict::NotDeleted:
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back().style, kStyleError);
        // Why the name stayed, and what became of the content.
        EXPECT_EQ(shown.back().text.toStdString().rfind("Die Datei " + path + " konnte nicht gelöscht werden! ", 0),
                  0u);
        EXPECT_NE(shown.back().text.toStdString().find("Ihr Inhalt ist überschrieben"), std::string::npos);
        EXPECT_EQ(t.window.progress().Picture1->backColor(), kEmptyBarColor);
        break;
    }
    EXPECT_FALSE(t.window.Label3->isVisibleTo(&t.window)) << "never reported as destroyed";
}

// The chosen path itself must be unchanged too when the program had no business with it.
bool leavesChosenPathAlone(Verdict verdict) {
    return verdict == Verdict::NotFound || verdict == Verdict::NoBox || verdict == Verdict::Declined;
}

TEST_P(SafetyTable, NothingButTheChosenFileChangesAndTheVerdictIsTrue) {
    const Row& row = GetParam();
    file("zeuge.txt", 1234);
    const std::string path = row.prepare(*this);
    if (!skipReason.empty())
        GTEST_SKIP() << skipReason;
    const std::string except = leavesChosenPathAlone(row.verdict) ? std::string() : path;
    const auto before = snapshot(except);
    boxes.answers = row.answers;
    if (row.inject)
        row.inject(*this, path);

    {
        std::optional<FileSizeLimit> limit;
        if (row.fileSizeLimit != 0)
            limit.emplace(row.fileSizeLimit);
        destroyThroughWindow(QFile::decodeName(QByteArray::fromStdString(path)), row.intensive);
    }

    EXPECT_EQ(snapshot(except), before);
    expectVerdict(*this, row, path);
    expectUsable();
    if (row.check)
        row.check(*this, path);
}

std::string makeFifo(SafetyTable& t) {
    const std::string path = t.folder.file("rohr");
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    return path;
}

std::string makeSocket(SafetyTable& t) {
    const std::string path = t.folder.file("sock");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    return path;
}

std::string makeLongPath(SafetyTable& t) {
    std::string folder = t.folder.path().string();
    while (folder.size() < 3700) {
        folder += "/" + std::string(200, 'v');
        fs::create_directory(folder);
    }
    const std::string path = folder + "/" + std::string(4000 - folder.size() - 1, 'n');
    EXPECT_EQ(path.size(), 4000u);
    return writeSample(path, 5000);
}

const Row kRows[] = {
    // Inputs that name no destroyable file.
    {"MissingPath", [](SafetyTable& t) { return t.folder.file("gibtsnicht"); }, Verdict::NotFound},
    // A folder stands for the files beneath it: the question names it, and No leaves all of them.
    {"Folder", [](SafetyTable& t) { return t.folder.path().string(); }, Verdict::Declined, false, {kAnswerNo}},
    {"FolderWithSlash",
     [](SafetyTable& t) { return t.folder.path().string() + "/"; },
     Verdict::Declined,
     false,
     {kAnswerNo}},
    {"Wildcard", [](SafetyTable& t) { return t.folder.path().string() + "/*"; }, Verdict::NotFound},
    {"EmptyPath", [](SafetyTable&) { return std::string(); }, Verdict::NoBox},
    {"Blanks", [](SafetyTable&) { return std::string("   "); }, Verdict::NotFound},
    {"LinkToFile", [](SafetyTable& t) { return t.linkTo(t.file("ziel", 300)); }, Verdict::NotFound},
    {"DanglingLink", [](SafetyTable& t) { return t.linkTo(t.folder.file("nirgends")); }, Verdict::NotFound},
    {"LinkToDevNull", [](SafetyTable& t) { return t.linkTo("/dev/null"); }, Verdict::NotFound},
    {"Fifo", makeFifo, Verdict::NotFound},
    {"UnixSocket", makeSocket, Verdict::NotFound},
    {"DevNull", [](SafetyTable&) { return std::string("/dev/null"); }, Verdict::NotFound},
    {"DevZero", [](SafetyTable&) { return std::string("/dev/zero"); }, Verdict::NotFound},
    {"Immutable",
     [](SafetyTable& t) {
         const std::string path = t.withFlag(FS_IMMUTABLE_FL);
         if (path.empty())
             t.skipReason = "the immutable flag cannot be set here";
         return path;
     },
     Verdict::NotFound},
    {"AppendOnly",
     [](SafetyTable& t) {
         const std::string path = t.withFlag(FS_APPEND_FL);
         if (path.empty())
             t.skipReason = "the append-only flag cannot be set here";
         return path;
     },
     Verdict::NotFound},

    // Files that are destroyed, and refusals by the user.
    {"ReadOnlyAnsweredYes",
     [](SafetyTable& t) {
         const std::string path = t.file("nurlesen", 5000);
         ::chmod(path.c_str(), 0444);
         return path;
     },
     Verdict::Destroyed,
     false,
     {kAnswerYes, kAnswerYes}},
    {"ReadOnlyAnsweredNo",
     [](SafetyTable& t) {
         const std::string path = t.file("nurlesen", 5000);
         ::chmod(path.c_str(), 0444);
         return path;
     },
     Verdict::Declined,
     false,
     {kAnswerNo}},
    {"ConfirmationAnsweredNo",
     [](SafetyTable& t) { return t.file("brief", 5000); },
     Verdict::Declined,
     true,
     {kAnswerNo}},
    {"EmptyFile", [](SafetyTable& t) { return t.file("leer", 0); }, Verdict::Destroyed},
    {"ExactlyOneBlock", [](SafetyTable& t) { return t.file("block", 4096); }, Verdict::Destroyed, true},
    {"Umlauts", [](SafetyTable& t) { return t.file("Größenänderung_Übersicht.txt", 700); }, Verdict::Destroyed},
    {"Blanks", [](SafetyTable& t) { return t.file("mit  zwei  Leerzeichen .txt", 700); }, Verdict::Destroyed},
    {"LeadingDot", [](SafetyTable& t) { return t.file(".bash_history", 700); }, Verdict::Destroyed},
    {"LeadingDash", [](SafetyTable& t) { return t.file("-rf", 700); }, Verdict::Destroyed},
    {"Newline", [](SafetyTable& t) { return t.file("erste\nzweite", 700); }, Verdict::Destroyed},
    {"PathOf4000Characters", makeLongPath, Verdict::Destroyed, true},
    {"OnTmpfs",
     [](SafetyTable& t) {
         if (!fs::is_directory("/dev/shm")) {
             t.skipReason = "no /dev/shm here";
             return std::string();
         }
         t.shm.emplace("/dev/shm");
         return writeSample(t.shm->file("geheim"), 9000);
     },
     Verdict::Destroyed, true},
    {"SecondHardLink",
     [](SafetyTable& t) {
         // The second name lives outside the watched folder: it is the chosen file, not a bystander.
         const std::string path = t.file("original", 9000);
         t.elsewhere.emplace();
         fs::create_hard_link(path, t.elsewhere->file("zweiter-name"));
         return path;
     },
     Verdict::Destroyed,
     false,
     {},
     nullptr,
     [](SafetyTable& t, const std::string&) {
         // The other name is the same file: it remains, emptied.
         EXPECT_EQ(fs::file_size(t.elsewhere->file("zweiter-name")), 0u);
     }},

    // Faults injected during a run.
    {"LinkSwappedInAtConfirmation",
     [](SafetyTable& t) { return t.file("brief", 5000); },
     Verdict::DestroyedBehindReplacement,
     false,
     {},
     [](SafetyTable& t, const std::string& path) {
         t.boxes.onShow = [&t, path](const ShownBox& box) {
             if (box.title == boxTexts::kConfirmationTitle)
                 t.replace(path, true);
         };
     }},
    {"FileSwappedInAtConfirmation",
     [](SafetyTable& t) { return t.file("brief", 5000); },
     Verdict::DestroyedBehindReplacement,
     true,
     {},
     [](SafetyTable& t, const std::string& path) {
         t.boxes.onShow = [&t, path](const ShownBox& box) {
             if (box.title == boxTexts::kConfirmationTitle)
                 t.replace(path, false);
         };
     },
     expectReplacementUntouched},
    {"LinkSwappedInBetweenPasses",
     [](SafetyTable& t) { return t.file("brief", 5000); },
     Verdict::DestroyedBehindReplacement,
     true,
     {},
     [](SafetyTable& t, const std::string& path) {
         t.files.afterFlush = [&t, path](int pass) {
             if (pass == 3)
                 t.replace(path, true);
         };
     }},
    {"FileSwappedInBetweenPasses",
     [](SafetyTable& t) { return t.file("brief", 5000); },
     Verdict::DestroyedBehindReplacement,
     true,
     {},
     [](SafetyTable& t, const std::string& path) {
         t.files.afterFlush = [&t, path](int pass) {
             if (pass == 1)
                 t.replace(path, false);
         };
     },
     expectReplacementUntouched},
    {"WriteRefusedWithinTheFile",
     [](SafetyTable& t) { return t.file("brief", 10000); },
     Verdict::WriteFailed,
     false,
     {},
     nullptr,
     nullptr,
     8192,
     EFBIG},
    // A size limit at the file's own length refuses only the blocks past its end: every byte it
    // had is overwritten, and it is destroyed.
    {"GrowthRefusedAtTheSizeLimit",
     [](SafetyTable& t) { return t.file("brief", 10000); },
     Verdict::Destroyed,
     true,
     {},
     nullptr,
     nullptr,
     16384},
    {"FlushFails",
     [](SafetyTable& t) { return t.file("brief", 10000); },
     Verdict::WriteFailed,
     true,
     {},
     [](SafetyTable& t, const std::string&) { t.files.failFlushAt = 3; },
     nullptr,
     0,
     EIO},
    {"TemporaryNameOfABystander",
     [](SafetyTable& t) {
         t.file("07123509.del", 4321);
         return t.file("brief", 10000);
     },
     Verdict::Destroyed},
    {"FolderLockedBeforeRename",
     [](SafetyTable& t) {
         fs::create_directory(t.folder.path() / "gesperrt");
         return t.file("gesperrt/brief", 10000);
     },
     Verdict::NotDeleted,
     false,
     {},
     [](SafetyTable& t, const std::string& path) {
         t.files.beforeCut = [&t, path] {
             if (!setInodeFlag(fs::path(path).parent_path().string(), FS_IMMUTABLE_FL, true))
                 t.skipReason = "the immutable flag cannot be set on a folder here";
         };
     },
     [](SafetyTable& t, const std::string& path) {
         setInodeFlag(fs::path(path).parent_path().string(), FS_IMMUTABLE_FL, false);
         if (t.skipReason.empty()) {
             EXPECT_EQ(fs::file_size(path), 0u);
         }
     }},
    {"CloseRequestedDuringRun",
     [](SafetyTable& t) { return t.file("brief", 40 * 4096); },
     Verdict::Destroyed,
     true,
     {},
     [](SafetyTable& t, const std::string&) {
         t.files.afterWrite = [&t](std::int64_t) { EXPECT_FALSE(t.window.close()); };
     },
     [](SafetyTable& t, const std::string&) { EXPECT_TRUE(t.window.isVisible()); }},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    return std::string(info.param.name) + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Rows, SafetyTable, ::testing::ValuesIn(kRows), rowName);

// A file past 4 GiB through the real window, as a length only: the counters, the steps and the
// estimate all work in 64 bits, and nothing of that size is written.
TEST(SafetyTableLargeFile, AFileOver4GiBCountsAndEstimatesIn64Bits) {
    constexpr std::int64_t kLength = (std::int64_t{4} << 30) + 1;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    SimulatedFileServices files(kLength);
    InstrumentedFileServices fill;
    LoneProcess process;
    FakeClock clock;
    frmVesk window(boxes, dialogs, files, fill, process, clock);
    std::vector<std::int64_t> doneAtWrites;
    bool estimateOutOfRange = false;
    files.afterWrite = [&] {
        const ByteCounters& counters = window.flow().counters;
        doneAtWrites.push_back(counters.lBytesDone);
        const auto estimate = estimatedDuration(60, counters.lBytesDone, counters.lBytesTotal);
        estimateOutOfRange |= counters.lBytesDone > 0 && (!estimate || *estimate < 59);
    };
    window.Fname->setText("/sim/gross.img");
    window.Command2->setEnabled(true);
    window.Command2_Click();
    EXPECT_EQ(window.flow().counters.lBytesTotal, kLength);
    EXPECT_EQ(window.flow().counters.lBytesDone, (kLength / 4096 + 1) * 4096);
    EXPECT_FALSE(doneAtWrites.empty());
    EXPECT_TRUE(std::is_sorted(doneAtWrites.begin(), doneAtWrites.end()));
    EXPECT_FALSE(estimateOutOfRange);
    EXPECT_TRUE(window.Label3->isVisibleTo(&window));
}

} // namespace
} // namespace kelvanter::testing
