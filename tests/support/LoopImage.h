#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kelvanter::testing {

// Runs a shell command quietly; whether it succeeded.
bool run(const std::string& command);

// How often `mark` stands in the file's bytes.
std::size_t countIn(const std::string& path, const std::string& mark);

// ASCII text as UTF-16LE, as NTFS, FAT's long names and exFAT store names.
std::string utf16le(const std::string& ascii);

// A file system of its own in an image file, loop-mounted in a folder of the test's, so that no
// test writes to the machine's own file systems; unmounted when it goes.
class LoopImage {
public:
    explicit LoopImage(const std::filesystem::path& folder);
    ~LoopImage();
    LoopImage(const LoopImage&) = delete;
    LoopImage& operator=(const LoopImage&) = delete;

    // Makes the file system with `mkfs` (its command and options) and mounts it with `options`;
    // the reason where this machine will not.
    std::optional<std::string> mount(const std::string& mkfs, const std::string& options = "",
                                     const std::string& size = "320M");
    bool unmount();
    // Makes the loop device say it does not rotate, as SSDs and memory cards do; the reason where it cannot.
    std::optional<std::string> lookLikeFlash();

    std::string image() const { return (folder_ / "abbild.img").string(); }
    std::string mountPoint() const { return (folder_ / "mnt").string(); }
    std::string device() const;

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
    std::string rotationalFlag_;
};

} // namespace kelvanter::testing
