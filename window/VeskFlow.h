#pragma once

#include "core/ByteCounters.h"
#include "core/OverwritePasses.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "window/DestroyRun.h"
#include "window/ProgressPort.h"
#include "window/VeskPort.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvanter {

// The main window's commands, written once for every toolkit: the browse command, the destroy
// command (whose run is DestroyRun's), and the one-second tick. Each window
// forwards its handlers here and supplies its ports.
class VeskFlow {
public:
    VeskFlow(ProgressPort& progress, VeskPort& port, DestructionServices& files, ProcessServices& process, Clock& clock,
             FileTraces& traces)
        : progress_(progress), port_(port), files_(files),
          run_(progress, port, files, process, clock, traces, counters, lSeconds) {}

    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();

    // A file handed over at start ("Open with"), its name's own bytes, made absolute against the
    // current folder and shown as if the open-file dialog had returned it. The run still waits for
    // the confirmation.
    void takeFileFromCommandLine(const std::string& path);
    // A file dropped onto the window, taken like one chosen in the open-file dialog.
    void takeDroppedFile(const std::string& path);
    // Several files at once: the path box shows them in short, and one question covers them all.
    void takeFilesFromCommandLine(const std::vector<std::string>& paths);
    void takeDroppedFiles(const std::vector<std::string>& paths);
    // Files another start of the program hands over (a file manager that starts it once per
    // selected file): added to those the path box shows, under the one question. Refused (false)
    // during a run.
    bool addFilesFromCommandLine(const std::vector<std::string>& paths);

    // True from the confirmation to the end of the run: the window must not close meanwhile.
    bool isRunInProgress() const { return run_.inProgress(); }

    std::int32_t lSeconds = 0;
    ByteCounters counters;

private:
    void showChosenFile(const std::string& path, bool exact);
    void showChosenFiles(const std::vector<std::string>& paths);
    std::vector<std::string> exactNames(const std::string& folder, const std::vector<std::string>& names);
    void showHandedOverFile(const std::string& path);
    bool showsList(const std::string& text) const;
    std::vector<std::string> filesShown() const;
    std::optional<std::string> pathToDestroy(const std::string& text);
    int box(const std::string& text, int style, const std::string& title);

    ProgressPort& progress_;
    VeskPort& port_;
    DestructionServices& files_;
    // The file system's own name of the file shown in the path box, where it came exactly.
    std::optional<std::string> exactPath_;
    // The files the path box shows in short, where several were given.
    std::vector<std::string> chosenFiles_;
    DestroyRun run_;
};

} // namespace kelvanter
