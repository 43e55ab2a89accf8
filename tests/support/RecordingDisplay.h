#pragma once

#include "core/ByteCounters.h"
#include "core/VeskDisplay.h"

#include <functional>
#include <string>
#include <vector>

namespace kelvanter::testing {

struct RecordedBox {
    std::string text;
    int style = 0;
    std::string title;
};

// A display that records every call the core makes, in order, and answers boxes as told.
class RecordingDisplay : public VeskDisplay {
public:
    std::vector<std::string> calls;
    std::vector<RecordedBox> boxes;
    std::vector<int> stepPercents;
    std::vector<std::int64_t> bytesDoneAtStep;

    bool optionSelected[2] = {true, false};
    std::string path;
    const ByteCounters* counters = nullptr;
    std::function<void()> onProcessEvents;
    int answer = 1;

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
    int messageBox(const std::string& text, int style, const std::string& title) override;
    std::string executableName() const override { return "kelvanter"; }
    void setMousePointer(int code) override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;

    int count(const std::string& call) const;
};

} // namespace kelvanter::testing
