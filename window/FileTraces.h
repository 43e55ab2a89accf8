#pragma once

#include <string>

namespace kelvanter {

// What the desktop keeps of a file besides the file (thumbnails, recent files), removed after it.
class FileTraces {
public:
    virtual ~FileTraces() = default;
    virtual void removeTracesOf(const std::string& path) = 0;
};

// Where the desktop keeps nothing of the kind.
class NoFileTraces final : public FileTraces {
public:
    void removeTracesOf(const std::string&) override {}
};

} // namespace kelvanter
