#pragma once

#include "window/FileTraces.h"

#include <string>
#include <vector>

namespace kelvanter::testing {

// The desktop's traces of a destroyed file, noted instead of removed.
class NotedTraces : public FileTraces {
public:
    std::vector<std::string> removed;
    void removeTracesOf(const std::string& path) override { removed.push_back(path); }
};

} // namespace kelvanter::testing
