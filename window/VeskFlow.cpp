#include "window/VeskFlow.h"

#include "core/ErrorText.h"
#include "core/ModDestroyFile.h"
#include "core/OverwritePasses.h"
#include "window/BoxTexts.h"
#include "window/PathText.h"
#include "window/TimeText.h"

#include <limits>
#include <utility>

namespace kelvanter {

namespace {

constexpr const char* kZeroTime = "00:00:00";

} // namespace

void VeskFlow::resetProgressDisplay() {
    display_.setBarBackground(kEmptyBarColor);
    display_.setPercentCaption("0 %");
    display_.setSuccessLabelVisible(false);
}

void VeskFlow::Command1_Click() {
    resetProgressDisplay();
    std::string sFolder = files_.currentFolder().value;
    const std::string name = port_.ShowOpenDialog(boxTexts::kOpenDialogTitle, sFolder, "", boxTexts::kAllFilesFilter,
                                                  boxTexts::kAllFilesExtension);
    const char separator = files_.pathSeparators()[0];
    if (sFolder.empty() || sFolder.back() != separator)
        sFolder += separator;
    if (!name.empty()) {
        showHandedOverFile(sFolder + name);
    } else {
        port_.setDestroyEnabled(false);
        exactPath_.reset();
        port_.setPathText("");
    }
}

// `exact`: the path is the file system's own name; otherwise it is text to be matched to one.
void VeskFlow::showChosenFile(const std::string& path, bool exact) {
    port_.setDestroyEnabled(true);
    sSelectedFile = path;
    exactPath_ = exact ? std::optional(path) : std::nullopt;
    port_.setPathText(shownName(path));
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
        display_.messageBox(boxTexts::indistinguishableName(text), kStyleWarning, kMessageTitle);
        return std::nullopt;
    }
    if (resolved.outcome == ResolvedPath::Outcome::NotFound) {
        display_.messageBox(boxTexts::kNotFound, kStyleOkOnly, boxTexts::kNotFoundTitle);
        return std::nullopt;
    }
    return resolved.path;
}

void VeskFlow::Command2_Click() {
    resetProgressDisplay();
    const std::string text = port_.pathBoxText();
    if (text.empty())
        return;
    const auto found = pathToDestroy(text);
    if (!found)
        return;
    const std::string& path = *found;
    lookedUp_.reset();
    if (auto found = FilePin::of(files_, path, HiddenFiles::Excluded))
        lookedUp_.emplace(std::move(*found));
    if (!lookedUp_) {
        display_.messageBox(boxTexts::kNotFound, kStyleOkOnly, boxTexts::kNotFoundTitle);
        return;
    }
    if (askToRemoveWriteProtection(path) && acceptOverwriteInDoubt(path, lookedUp_->identity()) &&
        display_.messageBox(boxTexts::confirmation(shownName(path)), kStyleQuestion, boxTexts::kConfirmationTitle) ==
            kAnswerYes) {
        runConfirmed(path);
    }
    lookedUp_.reset();
}

// False when the run must not go on: the user said No, or the attributes could not be read or reset.
bool VeskFlow::askToRemoveWriteProtection(const std::string& path) {
    const auto attributes = modDestroyFile::ReadAttributes(files_, path);
    if (!attributes.ok()) {
        reportFailure(path, describeError(attributes.error));
        return false;
    }
    if ((attributes.value & kAttrReadOnly) == 0)
        return true;
    if (display_.messageBox(boxTexts::readOnlyQuestion(shownName(path)), kStyleQuestion, kMessageTitle) != kAnswerYes)
        return false;
    // Only the protection the user agreed to lift; the disposal resets the rest.
    const SysStatus lifted = files_.addOwnerWrite(path);
    if (!lifted.ok()) {
        reportFailure(path, describeError(lifted.error));
        return false;
    }
    return true;
}

// Where the file system may keep the old data elsewhere, the user decides before the confirmation.
bool VeskFlow::acceptOverwriteInDoubt(const std::string& path, const FileIdentity& identity) {
    // Asked once: the doubt and the remedy after the run come from the same facts.
    const auto storage = files_.storageOf(path, identity);
    freeSpaceIsTheRemedy_ =
        storage.ok() && (storage.value.kind == StorageKind::CopyOnWrite || storage.value.journalsData);
    const auto doubt = doubtFrom(storage, files_.extentsOf(path, identity));
    if (!doubt)
        return true;
    return display_.messageBox(boxTexts::doubtQuestion(shownName(path), *doubt), kStyleWarningQuestion,
                               kMessageTitle) == kAnswerYes;
}

void VeskFlow::runConfirmed(const std::string& path) {
    lSeconds = 0;
    port_.setElapsedCaption(kZeroTime);
    port_.setEstimateCaption(kZeroTime);
    port_.setTimerRunning(true);
    display_.setMousePointer(kPointerHourglass);
    std::optional<std::string> failure;
    try {
        vesk(path);
    } catch (const std::exception& error) {
        // Whatever escaped, the window must be left usable before the user is told.
        runInProgress_ = false;
        display_.setWindowEnabled(true);
        failure = error.what();
    }
    endRun();
    if (failure)
        reportFailure(path, *failure);
}

void VeskFlow::vesk(const std::string& sFileName) {
    runInProgress_ = true;
    // The pin goes to the core, which holds it through the passes and lets it go before the
    // final lookup: an open handle keeps a deleted name visible on Windows.
    const Verdict verdict = kelvanter::vesk(CoreContext{display_, files_, clock_}, counters, sFileName,
                                            std::exchange(lookedUp_, std::nullopt));
    // The file is gone even where its overwrite could not be proven: its traces go with it.
    if (verdict != Verdict::NotDestroyed)
        traces_.removeTracesOf(sFileName);
    runInProgress_ = false;
    if (verdict == Verdict::DeletedUnproven && freeSpaceIsTheRemedy_ && port_.hasFreeSpaceWindow())
        offerToOverwriteFreeSpace(sFileName);
}

// Where the old copies lie in free space, overwriting it is what removes them.
void VeskFlow::offerToOverwriteFreeSpace(const std::string& path) {
    const auto slash = path.find_last_of(files_.pathSeparators());
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? path.substr(0, 1)
                                                          : path.substr(0, slash);
    if (display_.messageBox(boxTexts::kOverwriteFreeSpaceNow, boxTexts::kStyleQuestionNoDefault, kMessageTitle) ==
        kAnswerYes)
        port_.openFreeSpaceWindow(folder);
}

void VeskFlow::endRun() {
    display_.setMousePointer(kPointerDefault);
    port_.setTimerRunning(false);
    port_.setEstimateCaption(port_.elapsedCaption());
}

void VeskFlow::reportFailure(const std::string& path, const std::string& reason) {
    display_.messageBox(boxTexts::cannotProcess(shownName(path), reason), kStyleError, kMessageTitle);
}

void VeskFlow::Timer1_Timer() {
    display_.processEvents();
    if (lSeconds < std::numeric_limits<std::int32_t>::max())
        ++lSeconds;
    port_.setElapsedCaption(FormatTime(lSeconds));
    if (const auto estimate = estimatedDuration(lSeconds, counters.lBytesDone, counters.lBytesTotal))
        port_.setEstimateCaption(FormatTime(*estimate));
}

} // namespace kelvanter
