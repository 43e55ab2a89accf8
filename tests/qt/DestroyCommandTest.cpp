// One whole run through the real Qt window; the command's questions and refusals are the flow's
// and are tested against a window of no toolkit.
#include "qt/PictureBox.h"
#include "support/WindowFixture.h"

namespace kelvanter::testing {
namespace {

using DestroyCommand = WindowFixture;

TEST_F(DestroyCommand, DestroysAFileInEachModeFromStartToEnd) {
    for (bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "intensiv.bin" : "Brief an Jürgen.bin"), 20000);
        boxes.shown.clear();
        destroyThroughWindow(QString::fromStdString(path), intensive);

        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text,
                  "Soll die  Datei " + QString::fromStdString(path) + " jetzt unwiderruflich zerstört werden?");
        EXPECT_EQ(boxes.shown[0].style, kStyleQuestion);
        EXPECT_EQ(boxes.shown[0].title, "Kelvanter - Kontrollabfrage");
        EXPECT_FALSE(entryExists(path));
        EXPECT_TRUE(leftoverDelFiles(folder.path()).empty());
        EXPECT_EQ(window.Label1->text(), "100 %");
        EXPECT_TRUE(window.Label3->isVisibleTo(&window));
        EXPECT_EQ(window.Picture1->backColor(), kBarColor);
        EXPECT_EQ(window.isOptionSelected(1), intensive) << "the mode stays as the user left it";
        expectUsable();
    }
}

} // namespace
} // namespace kelvanter::testing
