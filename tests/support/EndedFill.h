#pragma once

#include <cstdint>
#include <string>

namespace kelvanter::testing {

// Starts a fill of the free space under `folder` in a child process that holds back stop requests
// as the windows do, and sends it `signal` once it has written `bytes`. The child's wait status,
// or -1 where it never wrote that much.
int fillEndedBy(int signal, const std::string& folder, std::int64_t bytes);

} // namespace kelvanter::testing
