#pragma once

#include "core/OverwritePasses.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/RecordingDisplay.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {

// A real temporary folder, the real file services (instrumented) and process services, a recording
// display and a still clock.
class CoreFixture : public ::testing::Test {
protected:
    CoreFixture() { display.counters = &counters; }

    // Destroys the file found at the path now, in the chosen mode.
    Verdict destroy(const std::string& path, bool intensive = false) {
        display.selectMode(intensive);
        return vesk(context, counters, path, display.modes());
    }

    // Destroys the file a lookup found earlier, as the main window does after its questions.
    Verdict destroy(DestructionTarget target, bool intensive = false) {
        display.selectMode(intensive);
        return vesk(context, counters, std::move(target), display.modes());
    }

    // The reports the run gave, by notice.
    std::vector<RunNotice> notices() const {
        std::vector<RunNotice> shown;
        for (const RunReport& report : display.reports)
            shown.push_back(report.notice);
        return shown;
    }

    // What the file held at the moment the disposal began to cut it.
    std::vector<unsigned char> contentsBeforeCut;
    void captureContentsBeforeCut(const std::string& path) {
        files.beforeCut = [this, path] { contentsBeforeCut = readBytes(path); };
    }

    TempFolder folder;
    RecordingDisplay display;
    InstrumentedFileServices files;
    PlatformProcess process;
    FakeClock clock;
    ByteCounters counters;
    CoreContext context{display, display, files, process, clock};
};

} // namespace kelvanter::testing
