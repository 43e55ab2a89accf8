#pragma once

#include "core/ByteCounters.h"
#include "core/FilePin.h"
#include "core/VeskDisplay.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "window/VeskPort.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelvanter {

// The main window's commands, written once for every toolkit: the browse command, the destroy
// command with its questions, the run and its verdict, and the one-second tick. Each window
// forwards its handlers here and supplies the display and the port.
class VeskFlow {
public:
    VeskFlow(VeskDisplay& display, VeskPort& port, FileServices& files, Clock& clock, FileTraces& traces)
        : display_(display), port_(port), files_(files), clock_(clock), traces_(traces) {}

    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();

    // A file handed over at start ("Open with"), its name's own bytes, made absolute against the
    // current folder and shown as if the open-file dialog had returned it. The run still waits for
    // the confirmation.
    void takeFileFromCommandLine(const std::string& path);
    // A file dropped onto the window, taken like one chosen in the open-file dialog.
    void takeDroppedFile(const std::string& path);

    // True from the confirmation to the end of the run: the window must not close meanwhile.
    bool isRunInProgress() const { return runInProgress_; }

    std::int32_t lSeconds = 0;
    ByteCounters counters;
    // The full path last chosen with the browse command.
    std::string sSelectedFile;

private:
    void resetProgressDisplay();
    void showChosenFile(const std::string& path, bool exact);
    void showHandedOverFile(const std::string& path);
    std::optional<std::string> pathToDestroy(const std::string& text);
    bool askToRemoveWriteProtection(const std::string& path);
    bool acceptOverwriteInDoubt(const std::string& path, const FileIdentity& identity);
    void runConfirmed(const std::string& path);
    void vesk(const std::string& sFileName);
    void endRun();
    void offerToOverwriteFreeSpace(const std::string& path);
    void reportFailure(const std::string& path, const std::string& reason);

    VeskDisplay& display_;
    VeskPort& port_;
    FileServices& files_;
    Clock& clock_;
    FileTraces& traces_;
    // The file system's own name of the file shown in the path box, where it came exactly.
    std::optional<std::string> exactPath_;
    // Whether the old copies the run cannot reach lie in free space (copy-on-write, a data journal).
    bool freeSpaceIsTheRemedy_ = false;
    // The file the user confirmed, held from its lookup until the run hands it to the core.
    std::optional<FilePin> lookedUp_;
    bool runInProgress_ = false;
};

} // namespace kelvanter
