#include "window/VeskFlow.h"

#include "platform/PathParts.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"
#include "window/ErrorTexts.h"
#include "window/Palette.h"
#include "window/PathText.h"
#include "window/ProgressDisplay.h"
#include "window/RunClock.h"

#include <algorithm>
#include <utility>

namespace kelvanter {

int VeskFlow::box(const std::string& text, int style, const std::string& title) {
    return progress_.messageBox(text, style, title);
}

void VeskFlow::Command1_Click() {
    progressDisplay::reset(progress_, port_);
    std::string sFolder = files_.currentFolder().value;
    const std::vector<std::string> names = port_.ShowOpenDialog(
        boxTexts::kOpenDialogTitle, sFolder, "", boxTexts::kAllFilesFilter, boxTexts::kAllFilesExtension);
    if (names.size() == 1) {
        showHandedOverFile(pathParts::joined(sFolder, names.front(), files_.pathSeparators()));
    } else if (!names.empty()) {
        showChosenFiles(exactNames(sFolder, names));
    } else {
        port_.setDestroyEnabled(false);
        exactPath_.reset();
        chosenFiles_.clear();
        port_.setPathToolTip("");
        port_.setPathText("");
    }
}

// `exact`: the path is the file system's own name; otherwise it is text to be matched to one.
void VeskFlow::showChosenFile(const std::string& path, bool exact) {
    port_.setDestroyEnabled(true);
    exactPath_ = exact ? std::optional(path) : std::nullopt;
    chosenFiles_.clear();
    port_.setPathToolTip("");
    port_.setPathText(shownName(path));
}

// The file system's names of several files a dialog chose as text; a name that matches none or
// more than one stays as it came, and its lookup finds nothing.
std::vector<std::string> VeskFlow::exactNames(const std::string& folder, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        const std::string path = pathParts::joined(folder, name, files_.pathSeparators());
        const bool asText = path.find(kReplacementCharacter) != std::string::npos;
        const ResolvedPath resolved = asText ? resolveShownPath(files_, path) : ResolvedPath{};
        paths.push_back(resolved.outcome == ResolvedPath::Outcome::Found ? resolved.path : path);
    }
    return paths;
}

void VeskFlow::showChosenFiles(const std::vector<std::string>& paths) {
    port_.setDestroyEnabled(true);
    exactPath_.reset();
    chosenFiles_ = paths;
    port_.setPathToolTip(listTexts::everyName(paths));
    port_.setPathText(listTexts::summary(paths, files_.pathSeparators()));
}

void VeskFlow::takeFilesFromCommandLine(const std::vector<std::string>& paths) {
    if (paths.size() == 1)
        return takeFileFromCommandLine(paths.front());
    std::vector<std::string> absolute;
    for (const std::string& path : paths) {
        const auto made = files_.absolutePath(path);
        absolute.push_back(made.ok() ? made.value : path);
    }
    showChosenFiles(absolute);
}

void VeskFlow::takeDroppedFiles(const std::vector<std::string>& paths) {
    if (paths.size() == 1)
        return takeDroppedFile(paths.front());
    showChosenFiles(paths);
}

bool VeskFlow::addFilesFromCommandLine(const std::vector<std::string>& paths) {
    if (isRunInProgress())
        return false;
    std::vector<std::string> files = filesShown();
    for (const std::string& path : paths) {
        const auto made = files_.absolutePath(path);
        const std::string absolute = made.ok() ? made.value : path;
        if (std::find(files.begin(), files.end(), absolute) == files.end())
            files.push_back(absolute);
    }
    if (files.size() == 1)
        showChosenFile(files.front(), true);
    else if (!files.empty())
        showChosenFiles(files);
    return true;
}

bool VeskFlow::showsList(const std::string& text) const {
    return !chosenFiles_.empty() && text == listTexts::summary(chosenFiles_, files_.pathSeparators());
}

// The exact names the path box stands for; typed text names none.
std::vector<std::string> VeskFlow::filesShown() const {
    const std::string text = port_.pathBoxText();
    if (showsList(text))
        return chosenFiles_;
    if (exactPath_ && text == shownName(*exactPath_))
        return {*exactPath_};
    return {};
}

// A U+FFFD may stand for a byte that a toolkit could not turn into text: such a name is matched
// to the folder's entries at the destroy click. Anything else a toolkit hands over is exact.
void VeskFlow::showHandedOverFile(const std::string& path) {
    showChosenFile(path, path.find(kReplacementCharacter) == std::string::npos);
}

void VeskFlow::takeFileFromCommandLine(const std::string& path) {
    const auto absolute = files_.absolutePath(path);
    showChosenFile(absolute.ok() ? absolute.value : path, true);
}

void VeskFlow::takeDroppedFile(const std::string& path) {
    showHandedOverFile(path);
}

// The file system's name for the text in the path box; nothing, after a box, where there is none
// or more than one.
std::optional<std::string> VeskFlow::pathToDestroy(const std::string& text) {
    if (exactPath_ && text == shownName(*exactPath_))
        return exactPath_;
    const ResolvedPath resolved = resolveShownPath(files_, text);
    if (resolved.outcome == ResolvedPath::Outcome::Ambiguous) {
        box(boxTexts::indistinguishableName(text), kStyleWarning, boxTexts::kMessageTitle);
        return std::nullopt;
    }
    if (resolved.outcome == ResolvedPath::Outcome::NotFound) {
        box(boxTexts::kNotFound, kStyleOkOnly, boxTexts::kNotFoundTitle);
        return std::nullopt;
    }
    return resolved.path;
}

// The destroyable file at the path, held from here on; nothing, after a box, where there is none.
std::optional<DestructionTarget> VeskFlow::lookUp(const std::string& path) {
    DestructionTarget::Lookup found = DestructionTarget::find(files_, process_, path, HiddenFiles::Excluded);
    if (!found.target) {
        if (found.error != 0)
            reportFailure(path, describeError(found.error));
        else
            box(boxTexts::kNotFound, kStyleOkOnly, boxTexts::kNotFoundTitle);
    }
    return std::move(found.target);
}

void VeskFlow::Command2_Click() {
    progressDisplay::reset(progress_, port_);
    const std::string text = port_.pathBoxText();
    if (text.empty())
        return;
    // The list holds while the path box still shows it; text typed over it names one file.
    if (showsList(text))
        return list_.destroy(chosenFiles_);
    const auto path = pathToDestroy(text);
    if (!path)
        return;
    if (list_.namesFolder(*path))
        return list_.destroy({*path});
    auto target = lookUp(*path);
    if (!target)
        return;
    if (askToRemoveWriteProtection(*target) && acceptLosingOtherNames(*target) && acceptOverwriteInDoubt(*target) &&
        box(boxTexts::confirmation(shownName(*path)), kStyleQuestion, boxTexts::kConfirmationTitle) == kAnswerYes) {
        runConfirmed(std::move(*target));
    }
}

// False when the run must not go on: the user said No, or the protection could not be lifted.
bool VeskFlow::askToRemoveWriteProtection(const DestructionTarget& target) {
    if ((target.pin.attributesAtLookup() & kAttrReadOnly) == 0)
        return true;
    if (box(boxTexts::readOnlyQuestion(shownName(target.path)), kStyleQuestion, boxTexts::kMessageTitle) != kAnswerYes)
        return false;
    // Only the protection the user agreed to lift; the disposal resets the rest.
    const SysStatus lifted = files_.addOwnerWrite(target.pin.handle());
    if (!lifted.ok()) {
        reportFailure(target.path, describeError(lifted.error));
        return false;
    }
    return true;
}

// The content of a file with other names (hard links, as backups of snapshots make them) goes under
// those names too: the user decides before the confirmation.
bool VeskFlow::acceptLosingOtherNames(const DestructionTarget& target) {
    const std::uint64_t others = target.pin.otherNamesAtLookup();
    if (others == 0)
        return true;
    return box(boxTexts::otherNamesQuestion(shownName(target.path), others), kStyleWarningQuestion,
               boxTexts::kMessageTitle) == kAnswerYes;
}

// Where the file system may keep the old data elsewhere, the user decides before the confirmation.
bool VeskFlow::acceptOverwriteInDoubt(const DestructionTarget& target) {
    const Doubts doubts = doubtsFrom(target.storage);
    if (doubts.empty())
        return true;
    return box(boxTexts::doubtQuestion(shownName(target.path), doubts), kStyleWarningQuestion,
               boxTexts::kMessageTitle) == kAnswerYes;
}

void VeskFlow::runConfirmed(DestructionTarget target) {
    const std::string path = target.path;
    runClock::start(progress_, lSeconds);
    progress_.setMousePointer(kPointerHourglass);
    std::optional<std::string> failure;
    try {
        vesk(std::move(target));
    } catch (const std::exception& error) {
        // Whatever escaped, the window must be left usable before the user is told.
        runInProgress_ = false;
        port_.setWindowEnabled(true);
        failure = error.what();
    }
    progress_.setMousePointer(kPointerDefault);
    runClock::stop(progress_);
    if (failure)
        reportFailure(path, *failure);
}

void VeskFlow::vesk(DestructionTarget target) {
    runInProgress_ = true;
    const std::string path = target.path;
    const bool freeSpaceIsTheRemedy = freeSpaceHoldsOldCopies(target.storage);
    const std::uint64_t otherNames = target.pin.otherNamesAtLookup();
    // The target goes to the core, which holds it through the passes and lets it go before the
    // delete: an open handle keeps a deleted name visible on Windows.
    const PassModes modes{port_.isOptionSelected(0), port_.isOptionSelected(1)};
    // A request to end the program stops the passes, or waits until the disposal is over or undone.
    process_.holdStopRequests();
    const Verdict verdict =
        kelvanter::vesk(CoreContext{view_, view_, files_, process_, clock_}, counters, std::move(target), modes);
    process_.releaseStopRequests();
    // The file is gone even where its overwrite could not be proven: its traces go with it.
    if (verdict != Verdict::NotDestroyed)
        traces_.removeTracesOf(path);
    runInProgress_ = false;
    if (verdict != Verdict::NotDestroyed && otherNames > 0)
        box(boxTexts::otherNamesEmptied(otherNames), kStyleOkOnly, boxTexts::kMessageTitle);
    if (verdict == Verdict::DeletedUnproven && freeSpaceIsTheRemedy)
        offerToOverwriteFreeSpace(path);
}

// Where the old copies lie in free space, overwriting it is what removes them.
void VeskFlow::offerToOverwriteFreeSpace(const std::string& path) {
    if (box(boxTexts::kOverwriteFreeSpaceNow, kStyleQuestionNoDefault, boxTexts::kMessageTitle) == kAnswerYes)
        port_.openFreeSpaceWindow(pathParts::folderOf(path, files_.pathSeparators()));
}

void VeskFlow::reportFailure(const std::string& path, const std::string& reason) {
    box(boxTexts::cannotProcess(shownName(path), reason), kStyleError, boxTexts::kMessageTitle);
}

void VeskFlow::Timer1_Timer() {
    progress_.processEvents();
    runClock::tick(progress_, lSeconds, counters.lBytesDone, counters.lBytesTotal);
}

} // namespace kelvanter
