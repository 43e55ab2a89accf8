#pragma once

#include <string>

namespace kelvanter {

// A German sentence for an errno or a refusal of the file services, for the boxes that must say
// why something failed.
std::string describeError(int error);

} // namespace kelvanter
