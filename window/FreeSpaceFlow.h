#pragma once

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

// Removes what fills killed midway left on any file system, and says so once, in a box of the window
// that starts; every start of the program, either window, does this first.
void cleanUpKilledFills(FillServices& files, ProgressPort& progress);

// The free-space window's commands, once for every toolkit.
class FreeSpaceFlow : public FreeSpaceWatcher {
public:
    FreeSpaceFlow(ProgressPort& progress, FreeSpacePort& port, FillServices& files, Clock& clock)
        : progress_(progress), port_(port), files_(files), clock_(clock) {}

    // The folder handed over at start (the command line, or the main window's question).
    void takeFolder(const std::string& folder);
    void Command1_Click(); // choose the folder
    void Command2_Click(); // confirm and overwrite
    void Command5_Click(); // cancel the run
    void Timer1_Timer();
    // Shows the file system and its free space for the folder in the path box.
    void showFileSystem();

    bool isRunInProgress() const { return running_; }

    std::int32_t lSeconds = 0;
    FillCounters counters;

    // FreeSpaceWatcher
    void processEvents() override { progress_.processEvents(); }
    void setPercent(std::int32_t percent) override;
    // The user's cancel, or a request to end the program: either way the fill is deleted first.
    bool cancelRequested() const override { return cancelRequested_ || files_.stopRequested(); }

private:
    void report(const FillReport& result, const std::string& folder);

    ProgressPort& progress_;
    FreeSpacePort& port_;
    FillServices& files_;
    Clock& clock_;
    bool running_ = false;
    bool cancelRequested_ = false;
};

} // namespace kelvanter
