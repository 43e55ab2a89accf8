#pragma once

#include "platform/FileServices.h"

#include <cstddef>
#include <memory>
#include <new>

namespace kelvanter {

struct AlignedFree {
    void operator()(unsigned char* memory) const { ::operator delete[](memory, std::align_val_t(kBlockSize)); }
};

// Bytes aligned for writes and reads straight to and from the device.
using AlignedBytes = std::unique_ptr<unsigned char[], AlignedFree>;

inline AlignedBytes alignedBytes(std::size_t size) {
    return AlignedBytes(static_cast<unsigned char*>(::operator new[](size, std::align_val_t(kBlockSize))));
}

} // namespace kelvanter
