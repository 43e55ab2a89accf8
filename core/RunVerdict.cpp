#include "core/RunVerdict.h"

namespace kelvanter {

namespace {

// The file is still there, or another one is under its name: the bar goes back, and a box says where.
Verdict notDestroyed(const CoreContext& context, const std::string& path, const DisposalResult& disposal) {
    context.progress.enterPhase(RunPhase::Reset);
    const std::string& fileAt = disposal.fileAt.empty() ? path : disposal.fileAt;
    if (disposal.outcome == DisposalOutcome::Replaced)
        context.reports.report({RunNotice::Replaced, path, 0, {}, disposal.strangerAt});
    else if (disposal.outcome == DisposalOutcome::DeletionUnflushed)
        context.reports.report({RunNotice::DeletionUnflushed, path});
    else if (disposal.outcome == DisposalOutcome::LeftEmptied)
        context.reports.report({RunNotice::LeftEmptied, fileAt});
    else
        context.reports.report({RunNotice::NotDeleted, fileAt});
    return Verdict::NotDestroyed;
}

} // namespace

Verdict verdictAfter(const CoreContext& context, const std::string& path, const DisposalResult& disposal,
                     const Doubts& unproven) {
    context.progress.enterPhase(RunPhase::Disposed);
    if (disposal.outcome != DisposalOutcome::Deleted && disposal.outcome != DisposalOutcome::Vanished)
        return notDestroyed(context, path, disposal);
    if (!unproven.empty()) {
        context.reports.report({RunNotice::DeletedUnproven, path, 0, unproven});
        return Verdict::DeletedUnproven;
    }
    context.progress.enterPhase(RunPhase::Destroyed);
    return Verdict::Destroyed;
}

} // namespace kelvanter
