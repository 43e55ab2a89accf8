#pragma once

#include "window/BoxStyles.h"

#include <deque>

namespace kelvanter::testing {

// How a test answers the boxes of every toolkit: questions (the Yes/No styles) with the next
// scripted answer, Yes when none is left; every other box with OK.
class ScriptedAnswers {
public:
    std::deque<int> answers;

    int answer(int style) {
        if (!asksYesOrNo(style))
            return kAnswerOk;
        if (answers.empty())
            return kAnswerYes;
        const int given = answers.front();
        answers.pop_front();
        return given;
    }
};

} // namespace kelvanter::testing
