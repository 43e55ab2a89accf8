#include "support/WindowFixture.h"
#include "window/TimeText.h"

#include <QTest>

namespace kelvanter::testing {
namespace {

using TimeDisplay = WindowFixture;

// The real one-second timer ticks during a run and stops at its end.
TEST_F(TimeDisplay, ARunTicksAndEndsWithBothTimesEqual) {
    // A slow display: each progress step takes a while, so the one-second timer gets to tick.
    const std::string path = writeSample(folder.file("f"), 8 * 4096);
    window.onProcessEvents = [] { QTest::qWait(150); };
    destroyThroughWindow(QString::fromStdString(path));
    EXPECT_GE(window.flow().lSeconds, 1);
    EXPECT_EQ(window.Label4->text().toStdString(), FormatTime(window.flow().lSeconds));
    expectWindowUsable();
    const QString after = window.Label4->text();
    QTest::qWait(1100);
    EXPECT_EQ(window.Label4->text(), after);
}

} // namespace
} // namespace kelvanter::testing
