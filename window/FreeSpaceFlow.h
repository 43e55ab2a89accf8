#pragma once

#include "core/FillContext.h"
#include "core/FreeSpace.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "window/ProgressPort.h"

#include <cstdint>
#include <string>

namespace kelvanter {

// What the free-space window's commands need of a toolkit's window besides its progress.
class FreeSpacePort {
public:
    virtual ~FreeSpacePort() = default;

    virtual std::string folderText() const = 0; // Fname
    virtual void setFolderText(const std::string& text) = 0;
    virtual void setFileSystemCaption(const std::string& text) = 0; // Label8
    // Running: the start and the browse button off, the cancel button on; and the reverse.
    virtual void setRunning(bool running, bool startEnabled) = 0;
    // The folder the user chose, or empty text when the dialog was cancelled.
    virtual std::string chooseFolder(const std::string& title, const std::string& start) = 0;
};

// Removes what fills and disposals killed midway left on any file system, and says so once, in a box
// of the window that starts; every start of the program, either window, does this first.
void cleanUpKilledFills(FillServices& files, ProcessServices& process, ProgressPort& progress);

// The free-space window's commands, once for every toolkit.
class FreeSpaceFlow : public RunProgress {
public:
    FreeSpaceFlow(ProgressPort& progress, FreeSpacePort& port, FillServices& files, ProcessServices& process,
                  Clock& clock)
        : progress_(progress), port_(port), files_(files), process_(process), clock_(clock) {}

    // The folder handed over at start (the command line, or the main window's question).
    void takeFolder(const std::string& folder);
    void chooseFolder();   // Command1
    void confirmAndFill(); // Command2
    void cancelFill();     // Command5
    void tick();           // Timer1, once a second
    // Shows the file system and its free space for the folder in the path box.
    void showFileSystem();

    bool isRunInProgress() const { return running_; }

    std::int32_t lSeconds = 0;
    FillCounters counters;

    // RunProgress: a fill has no phases of its own; the window shows its start and end.
    void enterPhase(RunPhase) override {}
    void advance(double fraction) override;
    void serve() override { progress_.processEvents(); }
    // The user's cancel, or a request to end the program: either way the fill is deleted first.
    bool cancelAsked() override { return cancelRequested_ || process_.stopRequested(); }

private:
    void report(const FillReport& result, const std::string& folder);

    ProgressPort& progress_;
    FreeSpacePort& port_;
    FillServices& files_;
    ProcessServices& process_;
    Clock& clock_;
    bool running_ = false;
    bool cancelRequested_ = false;
};

} // namespace kelvanter
