#pragma once

#include "core/FreeSpace.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"

#include <cstdint>
#include <string>

namespace kelvanter {

// What the free-space window's commands need of a toolkit's window.
class FreeSpacePort {
public:
    virtual ~FreeSpacePort() = default;

    virtual std::string folderText() const = 0; // Fname
    virtual void setFolderText(const std::string& text) = 0;
    virtual void setFileSystemCaption(const std::string& text) = 0; // Label8
    // Running: the start and the browse button off, the cancel button on; and the reverse.
    virtual void setRunning(bool running, bool startEnabled) = 0;
    virtual void setTimerRunning(bool running) = 0;
    virtual std::string elapsedCaption() const = 0;
    virtual void setElapsedCaption(const std::string& text) = 0;
    virtual void setEstimateCaption(const std::string& text) = 0;
    virtual void setPercentCaption(const std::string& text) = 0;
    virtual void setBarBackground(std::uint32_t lColor) = 0;
    virtual void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) = 0;
    virtual void processEvents() = 0;
    virtual void setMousePointer(int code) = 0;
    // The folder the user chose, or empty text when the dialog was cancelled.
    virtual std::string chooseFolder(const std::string& title, const std::string& start) = 0;
    virtual int messageBox(const std::string& text, int style, const std::string& title) = 0;
};

// The free-space window's commands, once for every toolkit.
class FreeSpaceFlow : public FreeSpaceWatcher {
public:
    FreeSpaceFlow(FreeSpacePort& port, FileServices& files, Clock& clock) : port_(port), files_(files), clock_(clock) {}

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
    void processEvents() override { port_.processEvents(); }
    void setPercent(std::int32_t percent) override;
    bool cancelRequested() const override { return cancelRequested_; }

private:
    void report(const FillReport& result, const std::string& folder);

    FreeSpacePort& port_;
    FileServices& files_;
    Clock& clock_;
    bool running_ = false;
    bool cancelRequested_ = false;
};

// The German texts of the free-space window, each in one place.
namespace freeSpaceTexts {
inline constexpr const char* kFolderDialogTitle = "Ordner wählen";
std::string confirmation(const std::string& folder);
std::string fileSystemCaption(const std::string& fileSystem, std::int64_t freeBytes);
std::string result(const FillReport& report, const std::string& folder);
std::string megabytes(std::int64_t bytes);
} // namespace freeSpaceTexts

} // namespace kelvanter
