#include "window/PathText.h"

#include "support/InstrumentedFileServices.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(ShownName, BytesThatAreNoCharacterShowAsTheReplacementCharacter) {
    struct Case {
        std::string name, shown;
    };
    for (const Case& c : {Case{"brief.txt", "brief.txt"}, Case{"Größe Übersicht.txt", "Größe Übersicht.txt"},
                          Case{"geheim-\xE4.txt", "geheim-" + kFffd + ".txt"},
                          Case{"\xED\xA0\x80", kFffd}, // an unpaired surrogate from Windows
                          Case{"\xE4\xF6", kFffd + kFffd}, Case{"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
                          Case{"geheim-" + kFffd, "geheim-" + kFffd}})
        EXPECT_EQ(shownName(c.name), c.shown) << c.name;
    EXPECT_TRUE(sameShownName("a" + kFffd + kFffd + "b", "a" + kFffd + "b"));
    EXPECT_FALSE(sameShownName("a" + kFffd + "b", "ab"));
}

// On real files: the text a toolkit hands over is matched to the folder's own names.
TEST(ResolveShownPath, TextWithTheReplacementCharacterNamesExactlyOneEntryOrNone) {
    const std::string odd = undecodableCharacter();
    struct Case {
        const char* what;
        std::vector<std::string> entries;
        std::string text;
        ResolvedPath::Outcome outcome;
        std::string found; // the entry the text resolves to
    };
    const std::vector<Case> cases = {
        {"undecodable alone",
         {"geheim-" + odd + ".txt"},
         "geheim-" + kFffd + ".txt",
         ResolvedPath::Outcome::Found,
         "geheim-" + odd + ".txt"},
        {"real U+FFFD alone",
         {"geheim-" + kFffd + ".txt"},
         "geheim-" + kFffd + ".txt",
         ResolvedPath::Outcome::Found,
         "geheim-" + kFffd + ".txt"},
        {"both side by side",
         {"geheim-" + odd + ".txt", "geheim-" + kFffd + ".txt"},
         "geheim-" + kFffd + ".txt",
         ResolvedPath::Outcome::Ambiguous,
         ""},
        {"umlauts", {"Größe.txt", "Grosse.txt"}, "Größe.txt", ResolvedPath::Outcome::Found, "Größe.txt"},
        {"none", {"geheim.txt"}, "fehlt-" + kFffd + ".txt", ResolvedPath::Outcome::NotFound, ""},
        {"in the folder's name",
         {"ordner-" + odd + "/brief.txt"},
         "ordner-" + kFffd + "/brief.txt",
         ResolvedPath::Outcome::Found,
         "ordner-" + odd + "/brief.txt"},
    };
    InstrumentedFileServices files;
    std::string unstorable;
    for (const Case& c : cases) {
        TempFolder folder;
        bool stored = true;
        for (const std::string& entry : c.entries) {
            try {
                std::filesystem::create_directories(fsPath(folder.file(entry)).parent_path());
                writeSample(folder.file(entry), 10);
                stored = stored && entryExists(folder.file(entry));
            } catch (const std::exception&) {
                stored = false; // the name cannot even be spelt to this system's library
            }
        }
        if (!stored) {
            unstorable += std::string(" ") + c.what + ";";
            continue;
        }
        const std::string base = utf8Of(folder.path()) + "/";
        const ResolvedPath resolved = resolveShownPath(files, base + c.text);
        EXPECT_EQ(resolved.outcome, c.outcome) << c.what;
        if (c.outcome == ResolvedPath::Outcome::Found) {
            EXPECT_EQ(resolved.path, base + c.found) << c.what;
        }
    }
    if (!unstorable.empty())
        GTEST_SKIP() << "the other cases held; this system cannot store the names of:" << unstorable;
}

} // namespace
} // namespace kelvanter::testing
