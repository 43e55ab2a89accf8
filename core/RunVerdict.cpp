#include "core/RunVerdict.h"

#include <algorithm>

namespace kelvanter {

namespace {

RunNotice noticeFor(const DisposalResult& disposal) {
    switch (disposal.outcome) {
    case DisposalOutcome::Replaced:
        return RunNotice::Replaced;
    case DisposalOutcome::DeletionUnflushed:
        return RunNotice::DeletionUnflushed;
    case DisposalOutcome::LeftEmptied:
        return RunNotice::LeftEmptied;
    case DisposalOutcome::SystemFile:
        return RunNotice::Unchangeable;
    case DisposalOutcome::Vanished:
        return RunNotice::NameGone;
    case DisposalOutcome::NewFileUnderName:
        return RunNotice::NewFileUnderName;
    default:
        return RunNotice::NotDeleted;
    }
}

// The file is still there, or another one is under its name: the bar goes back, and a box says
// where, and what became of its content.
Verdict notDestroyed(const CoreContext& context, const std::string& path, const DisposalResult& disposal,
                     const Doubts& doubts) {
    context.progress.enterPhase(RunPhase::Reset);
    const RunNotice notice = noticeFor(disposal);
    const bool elsewhere = notice == RunNotice::LeftEmptied || notice == RunNotice::NotDeleted;
    const std::string& at = elsewhere && !disposal.fileAt.empty() ? disposal.fileAt : path;
    context.reports.report(RunReport::afterPasses(notice, at, doubts, disposal.error, disposal.strangerAt));
    return Verdict::NotDestroyed;
}

Doubts allDoubts(const Doubts& unproven, const Doubts& raised) {
    Doubts doubts = unproven;
    for (const Doubt& doubt : raised) {
        if (std::find(doubts.begin(), doubts.end(), doubt) == doubts.end())
            doubts.push_back(doubt);
    }
    return doubts;
}

} // namespace

Verdict verdictAfter(const CoreContext& context, const std::string& path, const DisposalResult& disposal,
                     const Doubts& unproven) {
    context.progress.enterPhase(RunPhase::Disposed);
    const Doubts doubts = allDoubts(unproven, disposal.raised);
    const bool nameGone =
        disposal.outcome == DisposalOutcome::Vanished || disposal.outcome == DisposalOutcome::NewFileUnderName;
    if (disposal.outcome != DisposalOutcome::Deleted && !nameGone)
        return notDestroyed(context, path, disposal, doubts);
    // One box for a name another program took away: the content's fate is in it.
    if (nameGone)
        context.reports.report(RunReport::afterPasses(noticeFor(disposal), path, doubts));
    else if (!doubts.empty())
        context.reports.report({RunNotice::DeletedUnproven, path, 0, doubts});
    if (!doubts.empty())
        return Verdict::DeletedUnproven;
    context.progress.enterPhase(RunPhase::Destroyed);
    return Verdict::Destroyed;
}

} // namespace kelvanter
