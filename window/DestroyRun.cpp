#include "window/DestroyRun.h"

#include "platform/PathParts.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"
#include "window/ErrorTexts.h"
#include "window/PathText.h"
#include "window/ProgressDisplay.h"
#include "window/RunFrame.h"

#include <algorithm>

namespace kelvanter {

namespace {

constexpr std::int64_t kLeastWeight = 4096; // an empty file still takes a block's write

std::int64_t weightOf(std::int64_t size) {
    return std::max(size, kLeastWeight);
}

// The doubts a file's question raises, as fragments of the one question.
std::vector<std::string> doubtsOf(const DestructionList::File& file) {
    std::vector<std::string> doubts;
    for (const Doubt& doubt : file.doubts)
        doubts.push_back(boxTexts::reason(doubt));
    if (file.unlistedNames() > 0)
        doubts.emplace_back("sie hat weitere Namen (harte Verknüpfungen), unter denen ihr Inhalt ebenso verschwindet");
    if (file.readOnly())
        doubts.emplace_back("sie ist schreibgeschützt; der Schreibschutz wird entfernt");
    return doubts;
}

// The doubts of all the files, each once, with the number of files it concerns, in first-met order.
std::vector<listTexts::GatheredDoubt> gatheredDoubts(const std::vector<DestructionList::File>& files) {
    std::vector<listTexts::GatheredDoubt> gathered;
    for (const DestructionList::File& file : files) {
        for (const std::string& reason : doubtsOf(file)) {
            auto found =
                std::find_if(gathered.begin(), gathered.end(), [&](const auto& d) { return d.reason == reason; });
            if (found == gathered.end())
                gathered.push_back({reason, 1});
            else
                ++found->files;
        }
    }
    return gathered;
}

// Whether the run found old values of the file's attributes freed as they were: the fill reaches them.
bool oldValuesInFreeSpace(const std::vector<RunReport>& reports) {
    return std::any_of(reports.begin(), reports.end(), [](const RunReport& report) {
        return std::any_of(report.doubts.begin(), report.doubts.end(),
                           [](const Doubt& doubt) { return doubt.kind == DoubtKind::AttributesInFreeSpace; });
    });
}

// Each file's line in the account: its path, then what its boxes would have said.
std::string joinedBoxes(const std::vector<RunReport>& reports, const std::string& path, const std::string& program,
                        bool fullRights) {
    std::string text = shownName(path) + ":";
    for (const RunReport& report : reports) {
        text += " ";
        text += boxTexts::boxFor(report, program, fullRights).text;
    }
    return text;
}

} // namespace

int DestroyRun::box(const std::string& text, int style, const std::string& title) {
    return progress_.messageBox(text, style, title);
}

void DestroyRun::reportFailure(const std::string& path, const std::string& reason) {
    box(boxTexts::cannotProcess(shownName(path), reason), kStyleError, boxTexts::kMessageTitle);
}

void DestroyRun::destroy(const std::vector<std::string>& paths) {
    account_ = {};
    freeSpaceFolder_.reset();
    oneVerdict_.reset();
    oneEscaped_.reset();
    // A folder stands for what lies beneath it: a list, however many files that is.
    const bool oneFile = paths.size() == 1 && !DestructionList::namesFolder(files_, paths.front());
    DestructionList list(files_, process_);
    list.add(paths);
    if (!foundAny(list, oneFile))
        return;
    std::optional<DestructionTarget> first;
    if (oneFile) {
        DestructionList::Turn turn = list.take(0);
        if (!turn.target || !askedAboutOne(list.files().front(), *turn.target))
            return;
        first.emplace(std::move(*turn.target));
    } else if (!confirmedList(list)) {
        return;
    }
    runAll(list, std::move(first), oneFile);
}

// Whether there is anything to ask about; where there is not, a box has said so.
bool DestroyRun::foundAny(DestructionList& list, bool oneFile) {
    if (oneFile && list.files().empty()) {
        const int error = list.missing().empty() ? 0 : list.missing().front().error;
        if (error != 0)
            reportFailure(list.missing().front().path, describeError(error));
        else
            box(boxTexts::kNotFound, kStyleOkOnly, boxTexts::kNotFoundTitle);
        return false;
    }
    for (const DestructionList::Missing& missing : list.missing())
        account_.failed.push_back(shownName(missing.path) + ": " +
                                  (missing.error != 0 ? describeError(missing.error) : listTexts::kNotFound));
    for (const LeftEntry& entry : list.left())
        account_.left.push_back(listTexts::leftLine(entry));
    if (list.files().empty() && list.trees().empty()) {
        box(boxTexts::kNotFound, kStyleOkOnly, boxTexts::kNotFoundTitle);
        return false;
    }
    return true;
}

// The one file's questions, each in its own box, then the confirmation; false where the run must
// not go on: the user said No, or the protection could not be lifted.
bool DestroyRun::askedAboutOne(DestructionList::File& file, DestructionTarget& target) {
    const std::string path = shownName(file.path());
    if (file.readOnly()) {
        if (box(boxTexts::readOnlyQuestion(path), kStyleQuestion, boxTexts::kMessageTitle) != kAnswerYes)
            return false;
        if (!liftWriteProtection(file, target, true))
            return false;
    }
    // The content of a file with other names (hard links, as backups of snapshots make them) goes
    // under those names too: the user decides before the confirmation.
    if (file.unlistedNames() > 0 && box(boxTexts::otherNamesQuestion(path, file.unlistedNames()), kStyleWarningQuestion,
                                        boxTexts::kMessageTitle) != kAnswerYes)
        return false;
    // Where the file system may keep the old data elsewhere, the user decides before the confirmation.
    const Doubts doubts = doubtsFrom(target.storage);
    if (!doubts.empty() &&
        box(boxTexts::doubtQuestion(path, doubts), kStyleWarningQuestion, boxTexts::kMessageTitle) != kAnswerYes)
        return false;
    return box(boxTexts::confirmation(path), kStyleQuestion, boxTexts::kConfirmationTitle) == kAnswerYes;
}

bool DestroyRun::confirmedList(const DestructionList& list) {
    std::vector<const DestructionList::File*> known;
    for (const DestructionList::File& file : list.files())
        known.push_back(&file);
    std::stable_sort(known.begin(), known.end(), [](const auto* a, const auto* b) { return a->size > b->size; });
    listTexts::Question asked;
    for (const DestructionList::File* file : known) {
        asked.names.push_back(shownName(pathParts::nameOf(file->path(), files_.pathSeparators())));
        asked.totalBytes += file->size;
    }
    asked.doubts = gatheredDoubts(list.files());
    for (const FolderTree& tree : list.trees())
        asked.folders.push_back(shownName(tree.root));
    // A folder may hold more than its owner remembers: "Nein" is the default there.
    const bool warn = !asked.doubts.empty() || !list.trees().empty();
    const int style = warn ? kStyleWarningQuestion : kStyleQuestion;
    return box(listTexts::question(asked), style, boxTexts::kConfirmationTitle) == kAnswerYes;
}

// Only the owner's write bit, which the question named; the disposal resets the rest.
bool DestroyRun::liftWriteProtection(DestructionList::File& file, DestructionTarget& target, bool oneFile) {
    if (!file.readOnly())
        return true;
    const SysStatus lifted = files_.addOwnerWrite(target.pin.handle());
    if (lifted.ok())
        return true;
    if (oneFile)
        reportFailure(file.path(), describeError(lifted.error));
    else
        account_.failed.push_back(shownName(file.path()) + ": " + describeError(lifted.error));
    return false;
}

void DestroyRun::runAll(DestructionList& list, std::optional<DestructionTarget> first, bool oneFile) {
    const PassModes modes{port_.isOptionSelected(0), port_.isOptionSelected(1)};
    const auto intensivePasses = static_cast<std::int64_t>(kIntensivePatterns.size());
    const std::int64_t passes = (modes.normal ? 1 : 0) + (modes.intensive ? intensivePasses : 0);
    std::int64_t weights = 0;
    std::int64_t bytes = 0;
    for (const DestructionList::File& file : list.files()) {
        weights += weightOf(file.size);
        bytes += file.size;
    }
    RunView view(progress_, port_, process_, counters_, oneFile);
    view.plan(weights, passes, bytes);
    inProgress_ = true;
    if (!oneFile)
        progressDisplay::reset(progress_, port_);
    const auto escaped = runFramed(progress_, process_, seconds_, [&] {
        for (std::size_t index = 0; index < list.files().size(); ++index) {
            // A request to end the program ends the file at hand safely; the others are left as they are.
            if (process_.stopRequested()) {
                account_.notReached.push_back(list.files()[index].path());
                continue;
            }
            runTurn(list, index, index == 0 ? std::move(first) : std::nullopt, view, modes, oneFile);
        }
        if (process_.stopRequested())
            return;
        for (const LeftEntry& entry : list.removeEmptiedFolders()) {
            auto& lines = entry.because == LeftBecause::NameKept ? account_.namesKept : account_.left;
            lines.push_back(listTexts::leftLine(entry));
        }
    });
    inProgress_ = false;
    // Whatever escaped, the window is left usable before the user is told.
    port_.setWindowEnabled(true);
    if (escaped)
        oneEscaped_ = escaped;
    if (oneFile)
        afterOne(list.files().front());
    else
        afterList(process_.stopRequested());
}

// One file's turn: held again where it was let go, its protection lifted, and destroyed.
void DestroyRun::runTurn(DestructionList& list, std::size_t index, std::optional<DestructionTarget> target,
                         RunView& view, PassModes modes, bool oneFile) {
    DestructionList::File& file = list.files()[index];
    if (!target) {
        DestructionList::Turn turn = list.take(index);
        if (turn.target)
            target.emplace(std::move(*turn.target));
        else
            noteRefusal(file.path(), turn.refusal, turn.error);
    }
    if (!target || (!oneFile && !liftWriteProtection(file, *target, false))) {
        view.skipFile(weightOf(file.size), file.size);
        list.endTurn(index);
        return;
    }
    view.beginFile(weightOf(file.size), file.size);
    if (!oneFile)
        port_.showFileAtHand(shownName(pathParts::nameOf(file.path(), files_.pathSeparators())));
    const Verdict verdict = destroyOne(file, std::move(*target), view, modes, oneFile);
    list.endTurn(index);
    if (oneFile) {
        oneVerdict_ = verdict;
        return;
    }
    view.endFile();
}

Verdict DestroyRun::destroyOne(DestructionList::File& file, DestructionTarget target, RunView& view, PassModes modes,
                               bool oneFile) {
    const std::string path = file.path();
    Verdict verdict = Verdict::NotDestroyed;
    std::optional<std::string> escaped;
    try {
        verdict = kelvanter::vesk(CoreContext{view, view, files_, process_, clock_}, view.fileCounters(),
                                  std::move(target), modes);
    } catch (const std::exception& error) {
        escaped = error.what();
    }
    // The file is gone even where its overwrite could not be proven: its traces go with it.
    if (verdict != Verdict::NotDestroyed) {
        for (const DestructionList::Name& name : file.names)
            traces_.removeTracesOf(name.path);
    }
    if (verdict == Verdict::DeletedUnproven && (file.freeSpaceIsTheRemedy || oldValuesInFreeSpace(view.reports())) &&
        !freeSpaceFolder_)
        freeSpaceFolder_ = pathParts::folderOf(path, files_.pathSeparators());
    if (oneFile) {
        oneEscaped_ = escaped;
        return verdict;
    }
    const std::string words = escaped
                                  ? shownName(path) + ": " + boxTexts::cannotProcess(shownName(path), *escaped)
                                  : joinedBoxes(view.reports(), path, port_.executableName(), process_.hasFullRights());
    accountFor(verdict, words);
    return verdict;
}

void DestroyRun::accountFor(Verdict verdict, const std::string& words) {
    if (verdict == Verdict::Destroyed)
        ++account_.destroyed;
    else if (verdict == Verdict::DeletedUnproven)
        account_.unproven.push_back(words);
    else
        account_.failed.push_back(words);
}

void DestroyRun::noteRefusal(const std::string& path, DestructionList::Refusal refusal, int error) {
    std::string why = listTexts::kNotFound;
    if (refusal == DestructionList::Refusal::Failed)
        why = describeError(error);
    else if (refusal == DestructionList::Refusal::ReplacedSinceQuestion)
        why = listTexts::kReplacedSinceQuestion;
    account_.failed.push_back(shownName(path) + ": " + why);
}

void DestroyRun::afterOne(const DestructionList::File& file) {
    if (oneEscaped_) {
        reportFailure(file.path(), *oneEscaped_);
        return;
    }
    const Verdict verdict = oneVerdict_.value_or(Verdict::NotDestroyed);
    if (verdict != Verdict::NotDestroyed && file.unlistedNames() > 0)
        box(boxTexts::otherNamesEmptied(file.unlistedNames()), kStyleOkOnly, boxTexts::kMessageTitle);
    if (verdict == Verdict::DeletedUnproven)
        offerToOverwriteFreeSpace();
}

void DestroyRun::afterList(bool stopped) {
    port_.showFileAtHand("");
    const bool allDestroyed = account_.unproven.empty() && account_.failed.empty() && account_.notReached.empty() &&
                              account_.left.empty() && account_.namesKept.empty();
    if (allDestroyed) {
        progressDisplay::showFull(progress_);
        port_.setSuccessLabelVisible(true);
    }
    if (stopped)
        return;
    box(listTexts::account(account_), allDestroyed ? kStyleOkOnly : kStyleWarning, boxTexts::kMessageTitle);
    offerToOverwriteFreeSpace();
}

// Where the old copies lie in free space, overwriting it is what removes them.
void DestroyRun::offerToOverwriteFreeSpace() {
    if (freeSpaceFolder_ &&
        box(boxTexts::kOverwriteFreeSpaceNow, kStyleQuestionNoDefault, boxTexts::kMessageTitle) == kAnswerYes)
        port_.openFreeSpaceWindow(*freeSpaceFolder_);
}

} // namespace kelvanter
