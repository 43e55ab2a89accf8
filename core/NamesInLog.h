#pragma once

#include <cstdint>

namespace kelvanter {

// Whether the fill reached the old names in the file system's log of its own metadata.
enum class NamesInLog {
    NoLog,     // the file system keeps none this program can read or come round
    Reached,   // the log came round once past its size after the last name went
    Unreached, // it has one, but it did not come round
};

struct ChurnReport {
    NamesInLog names = NamesInLog::NoLog;
    std::int64_t logged = 0;       // bytes the file system wrote to its log meanwhile
    std::int64_t microseconds = 0; // how long it took
};

} // namespace kelvanter
