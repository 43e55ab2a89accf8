#pragma once

#include "core/AlignedBytes.h"
#include "core/TransferPace.h"

#include <cstdint>

namespace kelvanter {

// Pseudo-random bytes, aligned for direct writes. Each chunk written gets a serial number in the
// first bytes of every block, so no two blocks are alike: nothing to compress or deduplicate.
class FillPattern {
public:
    static constexpr std::size_t kChunk = TransferPace::kLargestBatch * kBlockSize;

    FillPattern();
    // The next chunk of kChunk bytes.
    const unsigned char* next();

private:
    AlignedBytes bytes_;
    std::uint64_t serial_ = 0;
};

} // namespace kelvanter
