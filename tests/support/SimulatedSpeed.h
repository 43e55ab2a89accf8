#pragma once

#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"

#include <vector>

namespace kelvanter::testing {

// Real files, but each write and each read from the device takes the time the device would need for it.
class SimulatedSpeed : public InstrumentedFileServices {
public:
    SimulatedSpeed(FakeClock& clock, std::int64_t bytesPerSecond) : clock_(clock), bytesPerSecond_(bytesPerSecond) {}
    std::vector<std::int64_t> batches;
    std::vector<std::size_t> reads; // the bytes each read asked for

    SysResult<std::int64_t> writeBlocks(FileHandle handle, const void* block, std::size_t blockSize, std::int64_t count,
                                        std::int64_t offset) override {
        batches.push_back(count);
        clock_.microseconds += count * static_cast<std::int64_t>(blockSize) * 1'000'000 / bytesPerSecond_;
        return InstrumentedFileServices::writeBlocks(handle, block, blockSize, count, offset);
    }

    // One device, one thing at a time: the reads follow the pass, paced as its writes.
    bool readsAlongside() const override { return false; }

    SysResult<std::int64_t> readFromDevice(FileHandle handle, std::int64_t offset, void* buffer,
                                           std::size_t size) override {
        reads.push_back(size);
        clock_.microseconds += static_cast<std::int64_t>(size) * 1'000'000 / bytesPerSecond_;
        return InstrumentedFileServices::readFromDevice(handle, offset, buffer, size);
    }

private:
    FakeClock& clock_;
    std::int64_t bytesPerSecond_;
};

} // namespace kelvanter::testing
