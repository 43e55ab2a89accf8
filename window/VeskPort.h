#pragma once

#include <string>

namespace kelvanter {

// What the main window's flow needs of a toolkit's window besides the core's display: the path
// box, the destroy button, the timer, the two time labels and the open-file dialog.
class VeskPort {
public:
    virtual ~VeskPort() = default;

    // Fname holds text: a name's undecodable bytes show as U+FFFD there.
    virtual std::string pathBoxText() const = 0;
    virtual void setPathText(const std::string& text) = 0;
    virtual void setDestroyEnabled(bool enabled) = 0; // Command2
    virtual void setTimerRunning(bool running) = 0;   // Timer1, one tick a second
    virtual std::string elapsedCaption() const = 0;   // Label4
    virtual void setElapsedCaption(const std::string& text) = 0;
    virtual void setEstimateCaption(const std::string& text) = 0; // Label5

    // The free-space window: whether this toolkit has one yet, and opening it on a folder.
    virtual bool hasFreeSpaceWindow() const = 0;
    virtual void openFreeSpaceWindow(const std::string& folder) = 0;

    // StdDialoge's open dialog: the chosen file's name, with `sFolder` set to its folder; or empty
    // text, `sFolder` unchanged, when the user cancelled. A toolkit whose dialog knows names only
    // as text hands them over as UTF-8 text; the flow matches them to the file system's names.
    virtual std::string ShowOpenDialog(const std::string& sTitle, std::string& sFolder, const std::string& sInitFile,
                                       const std::string& sFilter, const std::string& sDefExt) = 0;
};

// What the desktop keeps of a file besides the file (thumbnails, recent files), removed after it.
class FileTraces {
public:
    virtual ~FileTraces() = default;
    virtual void removeTracesOf(const std::string& path) = 0;
};

// Where the desktop keeps nothing of the kind.
class NoFileTraces final : public FileTraces {
public:
    void removeTracesOf(const std::string&) override {}
};

} // namespace kelvanter
