#pragma once

#include "support/ScriptedAnswers.h"
#include "support/WindowUsable.h"
#include "window/Palette.h"
#include "window/ProgressPort.h"
#include "window/VeskPort.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kelvanter::testing {

struct RecordedBox {
    std::string text;
    int style = 0;
    std::string title;
};

// A window of no toolkit for the commands' flow: it keeps what the flow does to it, answers the
// boxes from a script and the open dialog from a list of full paths (an empty one is a cancel).
class FakeWindow : public ProgressPort, public VeskPort {
public:
    struct DialogRequest {
        std::string title, folder, initialName, filter, defaultExtension;
    };

    ScriptedAnswers script;
    std::deque<int>& answers = script.answers;
    std::vector<RecordedBox> boxes;
    std::function<void(const RecordedBox&)> onBox;
    std::deque<std::string> choices;
    std::vector<DialogRequest> dialogRequests;
    std::vector<std::string> freeSpaceWindows; // the folders it was opened on
    std::function<void()> onProcessEvents;
    int eventsProcessed = 0;

    std::string path; // the path box
    std::string pathToolTip;
    std::vector<std::string> filesAtHand; // the names the title showed, in order
    bool optionSelected[2] = {true, false};
    bool enabled = true;
    bool destroyEnabled = false;
    bool successVisible = false;
    std::string percentCaption = "0 %";
    std::uint32_t background = kEmptyBarColor;
    int pointer = kPointerDefault;
    bool timerRunning = false;
    std::string elapsed = "00:00:00";
    std::string estimate = "00:00:00";

    // ProgressPort
    void setPercentCaption(const std::string& caption) override { percentCaption = caption; }
    void setBarBackground(std::uint32_t lColor) override { background = lColor; }
    void showProgressBar(std::int32_t, std::uint32_t, double) override {}
    void setTimerRunning(bool running) override { timerRunning = running; }
    std::string elapsedCaption() const override { return elapsed; }
    void setElapsedCaption(const std::string& text) override { elapsed = text; }
    void setEstimateCaption(const std::string& text) override { estimate = text; }
    void setMousePointer(int code) override { pointer = code; }
    void processEvents() override {
        ++eventsProcessed;
        if (onProcessEvents)
            onProcessEvents();
    }
    int messageBox(const std::string& text, int style, const std::string& title) override {
        boxes.push_back({text, style, title});
        if (onBox)
            onBox(boxes.back());
        return script.answer(style);
    }

    // VeskPort
    void setWindowEnabled(bool on) override { enabled = on; }
    bool isOptionSelected(int index) const override { return optionSelected[index]; }
    void setSuccessLabelVisible(bool visible) override { successVisible = visible; }
    std::string executableName() const override { return "kelvanter"; }
    std::string pathBoxText() const override { return path; }
    void setPathText(const std::string& text) override { path = text; }
    void setDestroyEnabled(bool on) override { destroyEnabled = on; }
    void setPathToolTip(const std::string& text) override { pathToolTip = text; }
    void showFileAtHand(const std::string& name) override { filesAtHand.push_back(name); }
    void openFreeSpaceWindow(const std::string& folder) override { freeSpaceWindows.push_back(folder); }
    // A choice of several files is their full paths, one folder's, each on a line of its own.
    std::vector<std::string> ShowOpenDialog(const std::string& sTitle, std::string& sFolder,
                                            const std::string& sInitFile, const std::string& sFilter,
                                            const std::string& sDefExt) override {
        dialogRequests.push_back({sTitle, sFolder, sInitFile, sFilter, sDefExt});
        const std::string choice = choices.empty() ? std::string() : choices.front();
        if (!choices.empty())
            choices.pop_front();
        std::vector<std::string> names;
        for (std::size_t from = 0; from < choice.size();) {
            const std::size_t end = std::min(choice.find('\n', from), choice.size());
            const std::string path = choice.substr(from, end - from);
            const auto nameAt = path.find_last_of("/\\") + 1;
            sFolder = path.substr(0, nameAt);
            names.push_back(path.substr(nameAt));
            from = end + 1;
        }
        return names;
    }

    WindowState state(bool runInProgress) const {
        return {enabled, pointer == kPointerDefault, timerRunning, elapsed, estimate, runInProgress};
    }
};

} // namespace kelvanter::testing
