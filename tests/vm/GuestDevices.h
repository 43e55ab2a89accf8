#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvanter::testing {

// Runs a shell command and returns what it printed, or nothing where it failed.
std::optional<std::string> capture(const std::string& command);

// A loop device over an image file that says it rotates, detached when it goes.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& image);
    ~LoopDevice();
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    bool attached() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // Makes the device say it does not rotate, as SSDs and memory cards do.
    bool lookLikeFlash() const;

private:
    std::string rotationalFlag() const;

    std::string path_;
};

// A device-mapper device of the test's, made with dmsetup and removed when it goes.
class MappedDevice {
public:
    MappedDevice(std::string name, const std::string& table);
    ~MappedDevice();
    MappedDevice(const MappedDevice&) = delete;
    MappedDevice& operator=(const MappedDevice&) = delete;

    bool made() const { return made_; }
    std::string path() const { return "/dev/mapper/" + name_; }
    // Swaps the table under a running file system, holding its I/O meanwhile.
    bool reload(const std::string& table) const;
    bool message(const std::string& text) const;
    bool remove();

private:
    std::string name_;
    bool made_ = false;
};

// The size of a block device or image file in 512-byte sectors.
std::int64_t sectorsOf(const std::string& path);

// A table line over all of a device: "0 SECTORS TARGET ARGS".
std::string wholeTable(const std::string& device, const std::string& target);

// A file system on an image, mounted at a folder for as long as the object lives.
class Mounted {
public:
    Mounted(const std::string& device, const std::string& folder, const std::string& options = "");
    ~Mounted();
    Mounted(const Mounted&) = delete;
    Mounted& operator=(const Mounted&) = delete;

    bool ok() const { return mounted_; }
    bool unmount();

private:
    std::string folder_;
    bool mounted_ = false;
};

// The byte offsets at which `mark` stands in the file or device.
std::vector<std::int64_t> offsetsOf(const std::string& path, const std::string& mark);

} // namespace kelvanter::testing
