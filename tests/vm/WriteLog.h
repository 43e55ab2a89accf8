#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvanter::testing {

// What dm-log-writes recorded on its log device: every write that reached the device, in the
// order the device completed it, with the flushes, FUA writes and marks among them.
class WriteLog {
public:
    struct Entry {
        std::int64_t sector = 0;  // in the log's sectors
        std::int64_t sectors = 0; // written, or discarded
        std::uint64_t flags = 0;
        std::string mark;        // the text of a mark
        std::int64_t dataAt = 0; // where its bytes start in the log
        // After this entry the device holds every write before it: a power cut may come here.
        bool durable() const;
        bool isMark() const;
    };

    // The log as its device or file holds it; nothing where that is no log.
    static std::optional<WriteLog> read(const std::string& logPath);

    const std::vector<Entry>& entries() const { return entries_; }
    // The index of the first mark of that text, or the end.
    std::size_t markAt(const std::string& text) const;
    // Writes entries [from, to) onto the image, as the device received them.
    bool replay(const std::string& image, std::size_t from, std::size_t to) const;

private:
    std::string logPath_;
    std::int64_t sectorSize_ = 512;
    std::vector<Entry> entries_;
};

} // namespace kelvanter::testing
