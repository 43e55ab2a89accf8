#include "window/VeskFlow.h"

#include "platform/PathParts.h"
#include "window/BoxStyles.h"
#include "window/BoxTexts.h"
#include "window/PathText.h"
#include "window/ProgressDisplay.h"
#include "window/RunClock.h"

#include <algorithm>

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

void VeskFlow::Command2_Click() {
    progressDisplay::reset(progress_, port_);
    const std::string text = port_.pathBoxText();
    if (text.empty())
        return;
    // The list holds while the path box still shows it; text typed over it names one file.
    if (showsList(text))
        return run_.destroy(chosenFiles_);
    if (const auto path = pathToDestroy(text))
        run_.destroy({*path});
}

void VeskFlow::Timer1_Timer() {
    progress_.processEvents();
    runClock::tick(progress_, lSeconds, counters.lBytesDone, counters.lBytesTotal);
}

} // namespace kelvanter
