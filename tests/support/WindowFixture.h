#pragma once

#include "qt/frmVesk.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/ScriptedSeams.h"
#include "support/TempFolder.h"

#include "qt/CaptionedPictureButton.h"
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace kelvanter::testing {

// The real main window, with a hook into its event processing for faults injected mid-run.
class TestableVesk : public frmVesk {
public:
    using frmVesk::frmVesk;
    std::function<void()> onProcessEvents;
    int eventSteps = 0;

    void processEvents() override {
        ++eventSteps;
        if (onProcessEvents)
            onProcessEvents();
        frmVesk::processEvents();
    }
};

class WindowFixture : public ::testing::Test {
public:
    WindowFixture() { window.show(); }

    // Puts a path in the box and clicks the destroy button in the chosen mode.
    void destroyThroughWindow(const QString& path, bool intensive = false) {
        window.Fname->setText(path);
        window.Option1[intensive ? 1 : 0]->setChecked(true);
        window.Command2->setEnabled(true);
        window.Command2_Click();
    }

    // The window is usable again: enabled, normal pointer, timer stopped, times equal.
    void expectWindowUsable() {
        EXPECT_TRUE(window.isEnabled());
        EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
        EXPECT_FALSE(window.Timer1->isActive());
        EXPECT_EQ(window.Label5->text(), window.Label4->text());
        EXPECT_FALSE(window.flow().isRunInProgress());
    }

    TempFolder folder;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    InstrumentedFileServices files;
    FakeClock clock;
    TestableVesk window{boxes, dialogs, files, clock};
};

} // namespace kelvanter::testing
