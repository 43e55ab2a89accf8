#pragma once

#include <cstdint>

namespace kelvanter {

// How many blocks one write or read call takes: grown while calls are quick and cut after a slow one, so
// that a call lasts about 50 ms whatever the device's speed, up to the most one call carries. The
// speed is averaged over the recent calls, since a throttled device lets some through at once
// and holds the next.
class TransferPace {
public:
    static constexpr std::int64_t kTargetCallMicroseconds = 50'000;
    static constexpr std::int64_t kFirstBatch = 1; // a slow device must not hold the first call long
    static constexpr std::int64_t kLargestBatch = 1024;

    std::int64_t blocks() const { return blocks_; }
    // `blocks` were written in `microseconds`: the next call is sized from that rate.
    void record(std::int64_t blocks, std::int64_t microseconds);

private:
    std::int64_t blocks_ = kFirstBatch;
    // The recent calls' time and blocks, older calls counting less.
    double recentMicroseconds_ = 0;
    double recentBlocks_ = 0;
};

} // namespace kelvanter
