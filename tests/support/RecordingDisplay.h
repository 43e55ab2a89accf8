#pragma once

#include "core/ByteCounters.h"
#include "core/VeskDisplay.h"

#include <functional>
#include <string>
#include <vector>

namespace kelvanter::testing {

// The name of a report's notice, for the call list and for messages.
std::string noticeName(RunNotice notice);

// A display that records every call the core makes, in order, and every report it shows.
class RecordingDisplay : public VeskDisplay {
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

    void setWindowEnabled(bool on) override;
    bool isOptionSelected(int index) const override { return optionSelected[index]; }
    void setPercentCaption(const std::string& caption) override;
    void setBarBackground(std::uint32_t lColor) override;
    void setSuccessLabelVisible(bool visible) override;
    void processEvents() override;
    void setMousePointer(int code) override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;
    void report(const RunReport& report) override;

    void selectMode(bool intensive) {
        optionSelected[0] = !intensive;
        optionSelected[1] = intensive;
    }
    int count(const std::string& call) const;
};

} // namespace kelvanter::testing
