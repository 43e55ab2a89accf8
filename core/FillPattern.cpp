#include "core/FillPattern.h"

#include <cstring>

namespace kelvanter {

FillPattern::FillPattern() : bytes_(alignedBytes(kChunk)) {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (std::size_t at = 0; at < kChunk; at += 8) {
        // splitmix64
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        std::memcpy(bytes_.get() + at, &z, 8);
    }
}

const unsigned char* FillPattern::next() {
    ++serial_;
    for (std::size_t at = 0; at < kChunk; at += kBlockSize)
        std::memcpy(bytes_.get() + at, &serial_, sizeof serial_);
    return bytes_.get();
}

} // namespace kelvanter
