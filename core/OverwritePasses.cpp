#include "core/OverwritePasses.h"

#include "core/AttributeWipe.h"
#include "core/Disposal.h"
#include "core/PassFile.h"
#include "platform/PathParts.h"
#include "platform/Reasons.h"

#include <memory>

namespace kelvanter {

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// One destruction: the target held, the passes written, then proven, disposed of and judged.
class OverwriteRun {
public:
    OverwriteRun(const CoreContext& context, ByteCounters& counters, const std::string& path,
                 std::optional<DestructionTarget> target)
        : context_(context), counters_(counters), path_(path), target_(std::move(target)), file_(context.files) {}

    // Writes the passes of the mode; false, with the window recovered, where they could not be written.
    bool writePasses(bool intensive) {
        if (!target_) {
            if (auto found = DestructionTarget::lookUp(context_.files, context_.process, path_))
                target_.emplace(std::move(*found));
        }
        if (!target_)
            return recover({RunNotice::CannotOpen, ENOENT});
        writer_ = std::make_unique<PassWriter>(context_, counters_, target_->at, target_->pin, file_);
        proof_.emplace(target_->storage, target_->pin.sizeAtLookup());
        writer_->readBackAlongside(readsBackAlongside(context_.files, target_->storage));
        const bool written = intensive ? writer_->intensiveMode() : writer_->normalMode();
        return written || recover(writer_->failure());
    }

    Verdict finish() {
        // What another program wrote past the passes' end meanwhile goes too, or stands against the proof.
        const bool caughtUp = writer_->overwriteGrowth();
        // Proven before the cut, while the overwritten blocks are still the file's.
        Doubts unproven =
            proof_->failureAfter(context_.files, context_.clock, file_.handle(), writer_->lastPattern(),
                                 writer_->sparseData(), writer_->readBack(), [this] { writer_->serveIfDue(); });
        if (!caughtUp)
            unproven.push_back({DoubtKind::WrittenMeanwhile});
        // What another program writes from here to the cut is seen against this.
        const WrittenState proven = WrittenState::of(context_.files, file_.handle());
        const WipedAttributes wiped = wipeAttributes(context_.files, file_.handle());
        if (!wiped.kept.empty())
            unproven.push_back({DoubtKind::AttributesKept, joined(wiped.kept)});
        if (!wiped.inFreeSpace.empty())
            unproven.push_back({DoubtKind::AttributesInFreeSpace, joined(wiped.inFreeSpace)});
        const auto& facts = target_->storage.facts;
        const DisposalResult disposal =
            vesk_total(context_, {target_->at, target_->otherNames, target_->pin, file_, writer_->overwrittenEnd(),
                                  facts.ok() ? facts.value.deletedNames : DeletedNames::Reused,
                                  facts.ok() && facts.value.namesInSystemLog, proven});
        target_.reset();
        return verdictAfter(context_, path_, disposal, unproven);
    }

private:
    bool recover(const PassWriter::Failure& failure) {
        context_.progress.enterPhase(RunPhase::Ended);
        context_.progress.enterPhase(RunPhase::Reset);
        context_.reports.report({failure.notice, path_, failure.error});
        return false;
    }

    const CoreContext& context_;
    ByteCounters& counters_;
    const std::string& path_;
    std::optional<DestructionTarget> target_;
    PassFile file_;
    std::unique_ptr<PassWriter> writer_;
    std::optional<OverwriteProof> proof_;
};

Verdict runOn(const CoreContext& context, ByteCounters& counters, const std::string& path,
              std::optional<DestructionTarget> target, PassModes modes) {
    context.progress.enterPhase(RunPhase::Begun);
    OverwriteRun run(context, counters, path, std::move(target));
    Verdict verdict = Verdict::NotDestroyed;
    for (const bool intensive : {false, true}) {
        if (!(intensive ? modes.intensive : modes.normal))
            continue;
        if (!run.writePasses(intensive))
            return Verdict::NotDestroyed;
        verdict = run.finish();
    }
    context.progress.enterPhase(RunPhase::Ended);
    return verdict;
}

} // namespace

DestructionTarget::Lookup DestructionTarget::findAt(DestructionServices& files, ProcessServices& process,
                                                    const FileName& name, HiddenFiles hidden) {
    FilePin::Lookup found = FilePin::lookUpAt(files, name.folder, name.name, hidden);
    if (!found.pin)
        return {std::nullopt, found.error};
    // Asked once: the doubt, the proof and the remedy after the run all come from these answers.
    StorageView storage = StorageView::of(files, process, *found.pin, name.path);
    return {DestructionTarget{name.path, name, {}, std::nullopt, std::move(*found.pin), std::move(storage)}, 0};
}

DestructionTarget::Lookup DestructionTarget::find(DestructionServices& files, ProcessServices& process,
                                                  const std::string& path, HiddenFiles hidden) {
    const char* separators = files.pathSeparators();
    HeldFolder folder(files, pathParts::folderOf(path, separators));
    if (!folder.isOpen())
        return {std::nullopt, reasonOf(folder.openError()) == Reason::NoFileThere ? 0 : folder.openError()};
    Lookup found = findAt(files, process, {folder.handle(), pathParts::nameOf(path, separators), path}, hidden);
    if (found.target)
        found.target->ownFolder.emplace(std::move(folder));
    return found;
}

std::optional<DestructionTarget> DestructionTarget::lookUp(DestructionServices& files, ProcessServices& process,
                                                           const std::string& path, HiddenFiles hidden) {
    return std::move(find(files, process, path, hidden).target);
}

Verdict vesk(const CoreContext& context, ByteCounters& counters, DestructionTarget target, PassModes modes) {
    const std::string path = target.path;
    return runOn(context, counters, path, std::move(target), modes);
}

Verdict vesk(const CoreContext& context, ByteCounters& counters, const std::string& sFileName, PassModes modes) {
    return runOn(context, counters, sFileName, std::nullopt, modes);
}

} // namespace kelvanter
