#include "VeskFlow.h"

#include "BoxTexts.h"
#include "ErrorText.h"
#include "ModDestroyFile.h"
#include "OverwritePasses.h"
#include "TimeText.h"

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
        showChosenFile(sFolder + name);
    } else {
        port_.setDestroyEnabled(false);
        port_.setPathText("");
    }
}

void VeskFlow::showChosenFile(const std::string& path) {
    port_.setDestroyEnabled(true);
    sSelectedFile = path;
    port_.setPathText(sSelectedFile);
}

void VeskFlow::takeFileFromCommandLine(const std::string& path) {
    const auto absolute = files_.absolutePath(path);
    showChosenFile(absolute.ok() ? absolute.value : path);
}

void VeskFlow::Command2_Click() {
    resetProgressDisplay();
    const std::string path = display_.pathText();
    if (path.empty())
        return;
    lookedUp_.reset();
    if (auto found = FilePin::of(files_, path, HiddenFiles::Excluded))
        lookedUp_.emplace(std::move(*found));
    if (!lookedUp_) {
        display_.messageBox(boxTexts::kNotFound, kStyleOkOnly, boxTexts::kNotFoundTitle);
        return;
    }
    if (askToRemoveWriteProtection(path) && acceptOverwriteInDoubt(path, lookedUp_->identity()) &&
        display_.messageBox(boxTexts::confirmation(path), kStyleQuestion, boxTexts::kConfirmationTitle) == kAnswerYes) {
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
    if (display_.messageBox(boxTexts::readOnlyQuestion(path), kStyleQuestion, kMessageTitle) != kAnswerYes)
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
    const auto doubt = InPlaceOverwriteDoubt(files_, path, identity);
    if (!doubt)
        return true;
    return display_.messageBox(boxTexts::doubtQuestion(path, *doubt), kStyleWarningQuestion, kMessageTitle) ==
           kAnswerYes;
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
}

void VeskFlow::endRun() {
    display_.setMousePointer(kPointerDefault);
    port_.setTimerRunning(false);
    port_.setEstimateCaption(port_.elapsedCaption());
}

void VeskFlow::reportFailure(const std::string& path, const std::string& reason) {
    display_.messageBox(boxTexts::cannotProcess(path, reason), kStyleError, kMessageTitle);
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
