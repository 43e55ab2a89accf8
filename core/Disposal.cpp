#include "core/Disposal.h"

#include "core/ModDestroyFile.h"

namespace kelvanter {

namespace {

DisposalOutcome outcomeOf(modDestroyFile::KillOutcome killed) {
    switch (killed) {
    case modDestroyFile::KillOutcome::Deleted:
        return DisposalOutcome::Deleted;
    case modDestroyFile::KillOutcome::RenameFailed:
        return DisposalOutcome::RenameFailed;
    case modDestroyFile::KillOutcome::Replaced:
        return DisposalOutcome::Replaced;
    case modDestroyFile::KillOutcome::DeletionUnflushed:
        return DisposalOutcome::DeletionUnflushed;
    case modDestroyFile::KillOutcome::LeftEmptied:
        return DisposalOutcome::LeftEmptied;
    case modDestroyFile::KillOutcome::DeleteFailed:
        break;
    }
    return DisposalOutcome::DeleteFailed;
}

DisposalResult disposalOf(const modDestroyFile::KillResult& killed) {
    return {outcomeOf(killed.outcome), killed.fileAt, killed.strangerAt};
}

} // namespace

DisposalResult vesk_total(const CoreContext& context, HeldFile file) {
    DestructionServices& files = context.files;
    for (int round = 0;; ++round) {
        context.progress.enterPhase(RunPhase::Disposing);
        const auto status = files.statusOf(file.pin.handle());
        if (!modDestroyFile::FileExists(status)) {
            context.reports.report({RunNotice::FileVanished, file.path});
            return {status.ok() && status.value.links > 0 ? DisposalOutcome::SystemFile : DisposalOutcome::Vanished};
        }
        if (modDestroyFile::AttributesOk(status.value.attributes))
            break;
        if (round == kMaxAttributeResets)
            return {DisposalOutcome::AttributesStuck};
        modDestroyFile::ResetAttributes(files, file.pin);
    }
    const bool cut = modDestroyFile::TruncateFile(files, file.written.handle());
    // Closed before the renames: Windows renames no file that is open without sharing.
    file.written.close();
    if (!cut)
        return {DisposalOutcome::TruncateFailed};
    const auto slots =
        file.folderKeepsDeletedNames ? modDestroyFile::DeletedNames::KeptInSlots : modDestroyFile::DeletedNames::Reused;
    return disposalOf(modDestroyFile::RenameAndKill(files, context.process, context.clock, file.path, file.pin, slots));
}

} // namespace kelvanter
