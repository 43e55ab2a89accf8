#include "support/RecordingDisplay.h"

#include <algorithm>

namespace kelvanter::testing {

std::string noticeName(RunNotice notice) {
    switch (notice) {
    case RunNotice::CannotOpen:
        return "cannot open";
    case RunNotice::CannotWrite:
        return "cannot write";
    case RunNotice::Cancelled:
        return "cancelled";
    case RunNotice::Replaced:
        return "replaced";
    case RunNotice::NotDeleted:
        return "not deleted";
    case RunNotice::DeletionUnflushed:
        return "deletion unflushed";
    case RunNotice::LeftEmptied:
        return "left emptied";
    case RunNotice::NameGone:
        return "name gone";
    case RunNotice::NewFileUnderName:
        return "new file under name";
    case RunNotice::Unchangeable:
        return "unchangeable";
    case RunNotice::DeletedUnproven:
        break;
    }
    return "unproven";
}

void RecordingDisplay::setWindowEnabled(bool on) {
    enabled = on;
    calls.push_back(on ? "enable" : "disable");
}

void RecordingDisplay::setPercentCaption(const std::string& caption) {
    percentCaption = caption;
    calls.push_back("percent " + caption);
}

void RecordingDisplay::setBarBackground(std::uint32_t lColor) {
    background = lColor;
    calls.push_back("background " + std::to_string(lColor));
}

void RecordingDisplay::setSuccessLabelVisible(bool visible) {
    successVisible = visible;
    calls.push_back(visible ? "show success" : "hide success");
}

void RecordingDisplay::processEvents() {
    calls.push_back("events");
    if (onProcessEvents)
        onProcessEvents();
}

void RecordingDisplay::report(const RunReport& report) {
    reports.push_back(report);
    calls.push_back("report " + noticeName(report.notice));
}

void RecordingDisplay::setMousePointer(int code) {
    pointer = code;
    calls.push_back("pointer " + std::to_string(code));
}

void RecordingDisplay::showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    stepPercents.push_back(lValue);
    if (counters != nullptr)
        bytesDoneAtStep.push_back(counters->lBytesDone);
    calls.push_back("bar " + std::to_string(lValue) + " " + std::to_string(lColor) + " " +
                    std::to_string(static_cast<int>(dMaxValue)));
}

int RecordingDisplay::count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

} // namespace kelvanter::testing
