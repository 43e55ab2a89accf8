#pragma once

#include "core/ByteCounters.h"
#include "core/OverwritePasses.h"
#include "core/RunProgress.h"
#include "support/InstrumentedFileServices.h"
#include "window/Palette.h"
#include "window/ProgressPort.h"
#include "window/RunView.h"
#include "window/VeskPort.h"

#include <functional>
#include <string>
#include <vector>

namespace kelvanter::testing {

// The name of a report's notice, for the call list and for messages.
std::string noticeName(RunNotice notice);

// The core's progress as the main window shows it (through the window's own view of a run),
// recording every call the window gets, in order, and every report the core gives.
class RecordingDisplay : public RunProgress, public RunReports, private ProgressPort, private VeskPort {
public:
    std::vector<std::string> calls;
    std::vector<RunReport> reports;
    std::vector<int> stepPercents;
    std::vector<std::int64_t> bytesDoneAtStep;

    bool optionSelected[2] = {true, false};
    const ByteCounters* counters = nullptr;
    std::function<void()> onProcessEvents;

    bool enabled = true;
    bool successVisible = false;
    std::string percentCaption = "0 %";
    std::uint32_t background = kEmptyBarColor;
    int pointer = kPointerDefault;

    // RunProgress, RunReports
    void enterPhase(RunPhase phase) override { view().enterPhase(phase); }
    void advance(double fraction) override { view().advance(fraction); }
    void serve() override { view().serve(); }
    bool cancelAsked() override { return false; }
    void report(const RunReport& report) override;

    void selectMode(bool intensive) {
        optionSelected[0] = !intensive;
        optionSelected[1] = intensive;
    }
    PassModes modes() const { return {optionSelected[0], optionSelected[1]}; }
    int count(const std::string& call) const;

private:
    // ProgressPort
    void setPercentCaption(const std::string& caption) override;
    void setBarBackground(std::uint32_t lColor) override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;
    void setTimerRunning(bool) override {}
    std::string elapsedCaption() const override { return "00:00:00"; }
    void setElapsedCaption(const std::string&) override {}
    void setEstimateCaption(const std::string&) override {}
    void setMousePointer(int code) override;
    void processEvents() override;
    int messageBox(const std::string&, int, const std::string&) override { return 0; }

    // VeskPort
    void setWindowEnabled(bool on) override;
    bool isOptionSelected(int index) const override { return optionSelected[index]; }
    void setSuccessLabelVisible(bool visible) override;
    std::string executableName() const override { return "kelvanter"; }
    std::string pathBoxText() const override { return {}; }
    void setPathText(const std::string&) override {}
    void setDestroyEnabled(bool) override {}
    void setPathToolTip(const std::string&) override {}
    void showFileAtHand(const std::string&) override {}
    void openFreeSpaceWindow(const std::string&) override {}
    std::vector<std::string> ShowOpenDialog(const std::string&, std::string&, const std::string&, const std::string&,
                                            const std::string&) override {
        return {};
    }

    // Made for each call, so that a copy of the recording shows through itself.
    RunView view() { return RunView(*this, *this, alone_, unread_); }
    LoneProcess alone_;
    ByteCounters unread_; // a view of one file writes none: the core keeps the counters itself
};

} // namespace kelvanter::testing
