#include "core/Disposal.h"

#include "core/HeldFolder.h"
#include "core/ModDestroyFile.h"
#include "platform/PathParts.h"

#include <optional>

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

DisposalResult disposalOf(const modDestroyFile::KillResult& killed, Doubts raised, bool namesLogged) {
    if (killed.nameKept)
        raised.push_back({DoubtKind::NameKept});
    if (namesLogged)
        raised.push_back({DoubtKind::NameInSystemLog});
    return {outcomeOf(killed.outcome), killed.fileAt, killed.strangerAt, killed.error, std::move(raised)};
}

// Whether another file now stands under the name: a program saved a new version over it.
bool nameTakenByAnother(DestructionServices& files, const FileName& at) {
    const HeldFolder folder = HeldFolder::borrowing(files, at.folder);
    return folder.isOpen() && folder.identityOf(at.name).ok();
}

// The file's last name is gone: its emptied blocks go back to the file system all the same.
DisposalResult nameGone(DestructionServices& files, HeldFile& file) {
    modDestroyFile::TruncateFile(files, file.written.handle());
    file.written.close();
    return {nameTakenByAnother(files, file.at) ? DisposalOutcome::NewFileUnderName : DisposalOutcome::Vanished};
}

// The file's other names the user chose go first, while it is still held; the first that stays, if any.
// `nameKept`: one of their names could not be written over in its folder.
std::optional<modDestroyFile::KillResult> killOtherNames(const CoreContext& context, HeldFile& file, bool& nameKept) {
    std::optional<modDestroyFile::KillResult> stays;
    for (const FileName& other : file.otherNames) {
        auto killed = modDestroyFile::RenameAndKill(context.files, context.process, context.clock, other, file.pin,
                                                    file.deletedNames, false);
        nameKept |= killed.nameKept;
        if (killed.outcome == modDestroyFile::KillOutcome::Deleted || stays)
            continue;
        if (killed.fileAt.empty() && killed.outcome != modDestroyFile::KillOutcome::DeletionUnflushed)
            killed.fileAt = other.path;
        stays = std::move(killed);
    }
    return stays;
}

// What another program did to the file since the passes: wrote past their end or over what was
// proven, opened it for writing while the run watched it, or holds it open and may have written
// until the cut.
Doubts writesByOthers(const CoreContext& context, HeldFile& file, bool written) {
    Doubts raised;
    if (written || context.files.othersSeen(file.pin.handle()).writer)
        raised.push_back({DoubtKind::WrittenMeanwhile});
    if (context.process.holdersOf(file.pin.handle()) == Holders::Others)
        raised.push_back({DoubtKind::OpenElsewhere});
    return raised;
}

} // namespace

DisposalResult vesk_total(const CoreContext& context, HeldFile file) {
    DestructionServices& files = context.files;
    for (int round = 0;; ++round) {
        context.progress.enterPhase(RunPhase::Disposing);
        const auto status = files.statusOf(file.pin.handle());
        if (!status.ok() || status.value.links == 0)
            return nameGone(files, file);
        if (!modDestroyFile::FileExists(status))
            return {DisposalOutcome::SystemFile};
        if (modDestroyFile::AttributesOk(status.value.attributes))
            break;
        if (round == kMaxAttributeResets)
            return {DisposalOutcome::AttributesStuck};
        modDestroyFile::ResetAttributes(files, file.pin);
    }
    const auto length = files.lengthOf(file.written.handle());
    const bool grown = !length.ok() || length.value > file.overwrittenEnd;
    const bool changed = file.proven && !(WrittenState::of(files, file.written.handle()) == *file.proven);
    const bool cut = modDestroyFile::TruncateFile(files, file.written.handle());
    // Closed before the renames: Windows renames no file that is open without sharing.
    file.written.close();
    Doubts raised = writesByOthers(context, file, grown || changed);
    if (!cut)
        return {DisposalOutcome::TruncateFailed, {}, {}, 0, std::move(raised)};
    bool otherNameKept = false;
    const auto otherStays = killOtherNames(context, file, otherNameKept);
    auto killed =
        modDestroyFile::RenameAndKill(files, context.process, context.clock, file.at, file.pin, file.deletedNames);
    killed.nameKept |= otherNameKept;
    // Gone under its own name, yet still under another the user chose: that one is where it lies.
    if (otherStays && killed.outcome == modDestroyFile::KillOutcome::Deleted)
        killed = *otherStays;
    return disposalOf(killed, std::move(raised), file.namesLogged);
}

} // namespace kelvanter
