#include "core/Disposal.h"

#include "core/ModDestroyFile.h"

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

DisposalOutcome vesk_total(const CoreContext& context, const std::string& path, const FileIdentity& identity) {
    VeskDisplay& display = context.display;
    FileServices& files = context.files;
    for (int round = 0;; ++round) {
        display.setMousePointer(kPointerHourglass);
        if (!modDestroyFile::FileExists(files, path)) {
            display.messageBox("Datei nicht gefunden!", kStyleOkOnly, kApplicationTitle);
            return DisposalOutcome::FileNotFound;
        }
        if (modDestroyFile::AttributesOk(files, path))
            break;
        if (round == kMaxAttributeResets)
            return DisposalOutcome::AttributesStuck;
        modDestroyFile::ResetAttributes(files, path);
    }
    if (!modDestroyFile::TruncateFile(files, path, identity))
        return DisposalOutcome::TruncateFailed;
    return killOutcome(modDestroyFile::RenameAndKill(files, context.clock, path));
}

} // namespace kelvanter
