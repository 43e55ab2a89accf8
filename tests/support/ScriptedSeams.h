#pragma once

#include "core/VeskDisplay.h"
#include "qt/FileDialogSeam.h"
#include "qt/MessageBoxSeam.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace kelvanter::testing {

struct ShownBox {
    QString text;
    int style = 0;
    QString title;
};

// Answers every box at once: questions with the next scripted answer (Yes when none is left),
// everything else with OK. `onShow` runs first, for faults injected at a box.
class ScriptedMessageBoxes : public MessageBoxSeam {
public:
    std::vector<ShownBox> shown;
    std::deque<int> answers;
    std::function<void(const ShownBox&)> onShow;

    int show(QWidget*, const QString& text, int style, const QString& title) override {
        shown.push_back({text, style, title});
        if (onShow)
            onShow(shown.back());
        // Yes/No styles (the question, the warning question) take the script; the rest are OK.
        if ((style & 0x0F) != (kStyleQuestion & 0x0F))
            return 1;
        if (answers.empty())
            return kAnswerYes;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Hands back scripted choices (empty text is a cancel) and keeps every request.
class ScriptedFileDialogs : public FileDialogSeam {
public:
    std::vector<FileDialogRequest> requests;
    std::deque<QString> choices;

    QString choose(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (choices.empty())
            return {};
        const QString choice = choices.front();
        choices.pop_front();
        return choice;
    }
};

} // namespace kelvanter::testing
