#include "core/TransferPace.h"

#include <algorithm>

namespace kelvanter {

namespace {

// How much of the recent calls' time and blocks the next call keeps: about the last ten calls count.
constexpr double kKeep = 0.9;

} // namespace

void TransferPace::record(std::int64_t blocks, std::int64_t microseconds) {
    if (blocks <= 0)
        return;
    recentMicroseconds_ = kKeep * recentMicroseconds_ + static_cast<double>(std::max<std::int64_t>(microseconds, 0));
    recentBlocks_ = kKeep * recentBlocks_ + static_cast<double>(blocks);
    // At most twice as many as before: one quick call says little about a device's worst.
    const std::int64_t largest = std::min(kLargestBatch, 2 * blocks_);
    if (recentMicroseconds_ <= 0) {
        blocks_ = largest;
        return;
    }
    const double microsecondsPerBlock = recentMicroseconds_ / recentBlocks_;
    const auto fitting = static_cast<std::int64_t>(static_cast<double>(kTargetCallMicroseconds) / microsecondsPerBlock);
    blocks_ = std::clamp<std::int64_t>(fitting, 1, largest);
}

} // namespace kelvanter
