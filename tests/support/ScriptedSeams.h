#pragma once

#include "qt/FileDialogSeam.h"
#include "qt/MessageBoxSeam.h"
#include "support/ScriptedAnswers.h"

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

// Answers every box at once from the script. `onShow` runs first, for faults injected at a box.
class ScriptedMessageBoxes : public MessageBoxSeam {
public:
    std::vector<ShownBox> shown;
    ScriptedAnswers script;
    std::deque<int>& answers = script.answers;
    std::function<void(const ShownBox&)> onShow;

    int show(QWidget*, const QString& text, int style, const QString& title) override {
        shown.push_back({text, style, title});
        if (onShow)
            onShow(shown.back());
        return script.answer(style);
    }
};

// Hands back scripted choices (empty text is a cancel) and keeps every request.
class ScriptedFileDialogs : public FileDialogSeam {
public:
    std::vector<FileDialogRequest> requests;
    std::deque<QString> choices;

    // A choice of several files is their paths, each on a line of its own.
    QStringList choose(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (choices.empty())
            return {};
        const QString choice = choices.front();
        choices.pop_front();
        return choice.isEmpty() ? QStringList() : choice.split('\n');
    }
};

} // namespace kelvanter::testing
