#pragma once

#include <optional>
#include <string>
#include <vector>
#include <windows.h>

// Explorer starts a verb once per selected file. The first start with --add opens a window that
// gathers; each later one hands its files to that window and ends, so that one question covers
// the whole selection.
namespace kelvanter::win32ui::handOver {

// Held from the search for a gathering window until this start's own window is there, so that
// starts in quick succession find the first one instead of each opening their own.
class StartLock {
public:
    StartLock();
    ~StartLock();
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

private:
    HANDLE mutex_ = nullptr;
};

// Marks the window as one that takes files handed over.
void gatherInto(HWND window);
// True where a gathering window of this session took the files (absolute paths, WTF-8).
bool toGatheringWindow(const std::vector<std::string>& paths);
// The files a WM_COPYDATA carries, where it is a hand-over.
std::optional<std::vector<std::string>> filesIn(const COPYDATASTRUCT& data);
// What the gathering window answers to a hand-over it took.
inline constexpr LRESULT kTaken = 0x4B56;

} // namespace kelvanter::win32ui::handOver
