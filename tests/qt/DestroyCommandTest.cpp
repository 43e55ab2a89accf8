// The wiring of a run through the real Qt window: the option buttons choose the mode, and the run
// ends in the window's own controls. What the command asks and decides is the flow's, tested
// against a window of no toolkit.
#include "qt/PictureBox.h"
#include "support/WindowFixture.h"

namespace kelvanter::testing {
namespace {

using DestroyCommand = WindowFixture;

TEST_F(DestroyCommand, TheOptionsChooseTheModeAndTheRunEndsInTheWindowsControls) {
    for (bool intensive : {false, true}) {
        const std::string path = writeSample(folder.file(intensive ? "intensiv.bin" : "Brief an Jürgen.bin"), 20000);
        files.flushes = 0;
        destroyThroughWindow(QString::fromStdString(path), intensive);

        EXPECT_EQ(files.flushes, intensive ? 7 : 1) << "one flush a pass";
        EXPECT_FALSE(entryExists(path));
        EXPECT_EQ(window.progress().Label1->text(), "100 %");
        EXPECT_TRUE(window.Label3->isVisibleTo(&window));
        EXPECT_EQ(window.progress().Picture1->backColor(), kBarColor);
        EXPECT_EQ(window.isOptionSelected(1), intensive) << "the mode stays as the user left it";
        expectUsable();
    }
}

} // namespace
} // namespace kelvanter::testing
