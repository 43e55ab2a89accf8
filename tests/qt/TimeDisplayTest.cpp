#include "support/WindowFixture.h"
#include "window/TimeText.h"

#include <QCoreApplication>
#include <QTimerEvent>

namespace kelvanter::testing {
namespace {

using TimeDisplay = WindowFixture;

// What the timer does when its interval has passed, without waiting for it.
void letTheTimerFire(QTimer& timer) {
    QTimerEvent due(timer.timerId());
    QCoreApplication::sendEvent(&timer, &due);
}

// The real one-second timer runs during a run, each of its ticks counts on the window's clock,
// and it stops at the end. The seconds themselves are the flow's suite's, with a clock of its own.
TEST_F(TimeDisplay, TheTimerRunsOnlyDuringARunAndEachTickCounts) {
    const std::string path = writeSample(folder.file("f"), 8 * 4096);
    int ticks = 0;
    files.afterWrite = [&](std::int64_t blocks) {
        EXPECT_TRUE(window.progress().Timer1->isActive());
        EXPECT_EQ(window.progress().Timer1->interval(), 1000);
        if (blocks % 3 == 0) {
            letTheTimerFire(*window.progress().Timer1);
            ++ticks;
        }
    };
    destroyThroughWindow(QString::fromStdString(path));
    ASSERT_GT(ticks, 0);
    EXPECT_EQ(window.flow().lSeconds, ticks);
    EXPECT_EQ(window.progress().Label4->text().toStdString(), FormatTime(ticks));
    expectUsable();
    EXPECT_FALSE(window.progress().Timer1->isActive());
}

} // namespace
} // namespace kelvanter::testing
