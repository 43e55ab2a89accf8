#pragma once

#include "core/VeskDisplay.h"

#include <string>

namespace kelvanter {

// A display that shows nothing and reads no box, for destructions the user did not start by hand
// (a file's thumbnails) and for measuring the core on its own.
class QuietDisplay : public VeskDisplay {
public:
    explicit QuietDisplay(bool intensive = false) : intensive_(intensive) {}

    int steps = 0;

    void setWindowEnabled(bool) override {}
    bool isOptionSelected(int index) const override { return (index == 1) == intensive_; }
    void setPercentCaption(const std::string&) override {}
    void setBarBackground(std::uint32_t) override {}
    void setSuccessLabelVisible(bool) override {}
    void processEvents() override {}
    void setMousePointer(int) override {}
    void showProgressBar(std::int32_t, std::uint32_t, double) override { ++steps; }
    void report(const RunReport&) override {}

private:
    bool intensive_;
};

} // namespace kelvanter
