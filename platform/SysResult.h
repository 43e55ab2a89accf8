#pragma once

namespace kelvanter {

// Outcome of a system call in errno style: error 0 means success.
struct SysStatus {
    int error = 0;
    bool ok() const { return error == 0; }
};

// A value together with the errno that prevented it; the value is meaningful only when ok().
template <typename T> struct SysResult {
    T value{};
    int error = 0;
    bool ok() const { return error == 0; }
};

} // namespace kelvanter
