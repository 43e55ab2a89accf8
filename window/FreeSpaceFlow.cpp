#include "window/FreeSpaceFlow.h"

#include "core/RunRecords.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"
#include "window/FreeSpaceTexts.h"
#include "window/Palette.h"
#include "window/PathText.h"
#include "window/ProgressDisplay.h"
#include "window/RunClock.h"
#include "window/RunFrame.h"

namespace kelvanter {

void cleanUpKilledFills(FillServices& files, ProcessServices& process, ProgressPort& progress) {
    const KilledFills found = removeKilledFills(files, process);
    if (!found.removed.empty())
        progress.messageBox(freeSpaceTexts::killedFillsRemoved(found.removed), kStyleOkOnly, boxTexts::kMessageTitle);
    if (!found.waiting.empty())
        progress.messageBox(freeSpaceTexts::killedFillsWaiting(found.waiting), kStyleWarning, boxTexts::kMessageTitle);
    const std::vector<std::string> emptied = removeKilledDisposals(files, process);
    if (!emptied.empty())
        progress.messageBox(boxTexts::killedDisposalsRemoved(emptied), kStyleOkOnly, boxTexts::kMessageTitle);
}

void FreeSpaceFlow::takeFolder(const std::string& folder) {
    port_.setFolderText(shownName(folder));
    showFileSystem();
}

void FreeSpaceFlow::showFileSystem() {
    const std::string folder = port_.folderText();
    const auto space = folder.empty() ? SysResult<FileSystemSpace>{{}, ENOENT} : files_.spaceOf(folder);
    if (!space.ok()) {
        port_.setFileSystemCaption("");
        port_.setRunning(false, false);
        return;
    }
    port_.setFileSystemCaption(freeSpaceTexts::fileSystemCaption(space.value.fileSystem, space.value.available));
    port_.setRunning(false, true);
}

void FreeSpaceFlow::chooseFolder() {
    const std::string chosen = port_.chooseFolder(freeSpaceTexts::kFolderDialogTitle, port_.folderText());
    if (!chosen.empty())
        takeFolder(chosen);
}

void FreeSpaceFlow::confirmAndFill() {
    const std::string folder = port_.folderText();
    if (folder.empty() || running_)
        return;
    if (progress_.messageBox(freeSpaceTexts::confirmation(folder), kStyleQuestion, boxTexts::kConfirmationTitle) !=
        kAnswerYes)
        return;
    running_ = true;
    cancelRequested_ = false;
    progressDisplay::showEmpty(progress_);
    port_.setRunning(true, false);
    FillReport result;
    // A request to end the program while the disk is full ends it once the fill is deleted.
    const auto escaped = runFramed(progress_, process_, lSeconds, [&] {
        result = overwriteFreeSpace(FillContext{*this, files_, process_, clock_, counters}, folder);
    });
    if (escaped) {
        running_ = false;
        showFileSystem();
        progress_.messageBox(boxTexts::cannotProcess(shownName(folder), *escaped), kStyleError,
                             boxTexts::kMessageTitle);
        return;
    }
    if (result.end == FillEnd::Done)
        progressDisplay::showFull(progress_);
    running_ = false;
    showFileSystem();
    report(result, folder);
}

void FreeSpaceFlow::cancelFill() {
    cancelRequested_ = running_;
}

void FreeSpaceFlow::advance(double fraction) {
    progressDisplay::showShare(progress_, fraction);
}

void FreeSpaceFlow::tick() {
    runClock::tick(progress_, lSeconds, counters.done, counters.total);
}

void FreeSpaceFlow::report(const FillReport& result, const std::string& folder) {
    const int style = result.end == FillEnd::Done ? kStyleOkOnly : kStyleWarning;
    progress_.messageBox(freeSpaceTexts::result(result, shownName(folder)), style, boxTexts::kMessageTitle);
}

} // namespace kelvanter
