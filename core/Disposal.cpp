#include "Disposal.h"

#include "ModDestroyFile.h"

namespace kelvanter {

namespace {

DisposalOutcome killOutcome(modDestroyFile::KillOutcome outcome) {
    switch (outcome) {
    case modDestroyFile::KillOutcome::Deleted:
        return DisposalOutcome::Deleted;
    case modDestroyFile::KillOutcome::RenameFailed:
        return DisposalOutcome::RenameFailed;
    case modDestroyFile::KillOutcome::DeleteFailed:
        break;
    }
    return DisposalOutcome::DeleteFailed;
}

} // namespace

DisposalOutcome vesk_total(const CoreContext& context, const FileIdentity& identity) {
    VeskDisplay& display = context.display;
    FileServices& files = context.files;
    // The path is read afresh from the path box for every step.
    for (int round = 0;; ++round) {
        display.setMousePointer(kPointerHourglass);
        if (!modDestroyFile::FileExists(files, display.pathText())) {
            display.messageBox("Datei nicht gefunden!", kStyleOkOnly, kApplicationTitle);
            return DisposalOutcome::FileNotFound;
        }
        if (modDestroyFile::AttributesOk(files, display.pathText()))
            break;
        if (round == kMaxAttributeResets)
            return DisposalOutcome::AttributesStuck;
        modDestroyFile::ResetAttributes(files, display.pathText());
    }
    if (!modDestroyFile::TruncateFile(files, display.pathText(), identity))
        return DisposalOutcome::TruncateFailed;
    return killOutcome(modDestroyFile::RenameAndKill(files, context.clock, display.pathText()));
}

} // namespace kelvanter
