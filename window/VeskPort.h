#pragma once

#include "window/FileTraces.h"

#include <string>
#include <vector>

namespace kelvanter {

// What the main window's flow needs of a toolkit's main window besides its progress: the path
// box, the destroy button, the mode, the success label and the open-file dialog.
class VeskPort {
public:
    virtual ~VeskPort() = default;

    virtual void setWindowEnabled(bool enabled) = 0;
    // index 0 is "normal" (Option1(0)), index 1 "intensiv" (Option1(1)).
    virtual bool isOptionSelected(int index) const = 0;
    virtual void setSuccessLabelVisible(bool visible) = 0; // Label3
    // The running program's name, without its folder and extension.
    virtual std::string executableName() const = 0;

    // Fname holds text: a name's undecodable bytes show as U+FFFD there.
    virtual std::string pathBoxText() const = 0;
    virtual void setPathText(const std::string& text) = 0;
    virtual void setDestroyEnabled(bool enabled) = 0; // Command2
    // Every exact name where the path box shows several files in short; empty text for none.
    virtual void setPathToolTip(const std::string& text) = 0;
    // The name of the file a run of several is at, beside the window's title; empty text for none.
    virtual void showFileAtHand(const std::string& name) = 0;

    // Opens the free-space window on a folder.
    virtual void openFreeSpaceWindow(const std::string& folder) = 0;

    // StdDialoge's open dialog, selecting one file or several: their names, with `sFolder` set to
    // their folder; or none, `sFolder` unchanged, when the user cancelled. A toolkit whose dialog
    // knows names only as text hands them over as UTF-8 text; the flow matches them to the file
    // system's names.
    virtual std::vector<std::string> ShowOpenDialog(const std::string& sTitle, std::string& sFolder,
                                                    const std::string& sInitFile, const std::string& sFilter,
                                                    const std::string& sDefExt) = 0;
};

} // namespace kelvanter
