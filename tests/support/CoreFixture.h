#pragma once

#include "core/OverwritePasses.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/RecordingDisplay.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {

// A real temporary folder, the real file services (instrumented), a recording display and a still clock.
class CoreFixture : public ::testing::Test {
protected:
    CoreFixture() { display.counters = &counters; }

    void destroy(const std::string& path, bool intensive = false, std::optional<FilePin> lookedUp = std::nullopt) {
        display.path = path;
        display.optionSelected[0] = !intensive;
        display.optionSelected[1] = intensive;
        vesk(context, counters, path, std::move(lookedUp));
    }

    // What the file held at the moment the disposal began to cut it.
    std::vector<unsigned char> contentsBeforeCut;
    void captureContentsBeforeCut() {
        files.beforeTruncate = [this](const std::string& path) { contentsBeforeCut = readBytes(path); };
    }

    TempFolder folder;
    RecordingDisplay display;
    InstrumentedFileServices files;
    FakeClock clock;
    ByteCounters counters;
    CoreContext context{display, files, clock};
};

} // namespace kelvanter::testing
