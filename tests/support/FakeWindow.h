#pragma once

#include "support/RecordingDisplay.h"
#include "window/VeskPort.h"

#include <deque>
#include <string>
#include <vector>

namespace kelvanter::testing {

// A window of no toolkit for the commands' flow: it records what the flow does to it, answers
// the Yes/No boxes from a script (Yes when none is left) and the open dialog from a list of
// full paths (an empty one is a cancel).
class FakeWindow : public RecordingDisplay, public VeskPort {
public:
    struct DialogRequest {
        std::string title, folder, initialName, filter, defaultExtension;
    };

    std::deque<int> answers;
    std::function<void(const RecordedBox&)> onBox;
    std::deque<std::string> choices;
    std::vector<DialogRequest> dialogRequests;
    bool destroyEnabled = false;
    bool timerRunning = false;
    std::string elapsed = "00:00:00";
    std::string estimate = "00:00:00";

    int messageBox(const std::string& text, int style, const std::string& title) override {
        RecordingDisplay::messageBox(text, style, title);
        if (onBox)
            onBox(boxes.back());
        if ((style & 0x0F) != (kStyleQuestion & 0x0F))
            return 1;
        const int given = answers.empty() ? kAnswerYes : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return given;
    }

    std::vector<std::string> freeSpaceWindows; // the folders it was opened on
    bool offersFreeSpace = true;
    bool hasFreeSpaceWindow() const override { return offersFreeSpace; }
    void openFreeSpaceWindow(const std::string& folder) override { freeSpaceWindows.push_back(folder); }
    std::string pathBoxText() const override { return path; }
    void setPathText(const std::string& text) override { path = text; }
    void setDestroyEnabled(bool enabled) override { destroyEnabled = enabled; }
    void setTimerRunning(bool running) override { timerRunning = running; }
    std::string elapsedCaption() const override { return elapsed; }
    void setElapsedCaption(const std::string& text) override { elapsed = text; }
    void setEstimateCaption(const std::string& text) override { estimate = text; }

    std::string ShowOpenDialog(const std::string& sTitle, std::string& sFolder, const std::string& sInitFile,
                               const std::string& sFilter, const std::string& sDefExt) override {
        dialogRequests.push_back({sTitle, sFolder, sInitFile, sFilter, sDefExt});
        const std::string choice = choices.empty() ? std::string() : choices.front();
        if (!choices.empty())
            choices.pop_front();
        if (choice.empty())
            return {};
        const auto nameAt = choice.find_last_of("/\\") + 1;
        sFolder = choice.substr(0, nameAt);
        return choice.substr(nameAt);
    }
};

} // namespace kelvanter::testing
