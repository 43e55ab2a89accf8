#pragma once

#include "qt/frmVesk.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/ScriptedSeams.h"
#include "support/TempFolder.h"
#include "support/WindowUsable.h"

#include "qt/CaptionedPictureButton.h"
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace kelvanter::testing {

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

    void expectUsable() {
        expectWindowUsable({window.isEnabled(), window.cursor().shape() == Qt::ArrowCursor,
                            window.progress().Timer1->isActive(), window.progress().Label4->text().toStdString(),
                            window.progress().Label5->text().toStdString(), window.flow().isRunInProgress()});
    }

    TempFolder folder;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    InstrumentedFileServices files;
    PlatformProcess process;
    FakeClock clock;
    frmVesk window{boxes, dialogs, files, files, process, clock};
};

} // namespace kelvanter::testing
