#include "platform/posix/BlockDevices.h"

#include <filesystem>
#include <fstream>
#include <sys/sysmacros.h>

namespace kelvanter::posix {

namespace {

namespace fs = std::filesystem;

constexpr int kDeepestChain = 16; // loop over loop over dm ...: no real chain is deeper

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

struct Walk {
    const std::string& root;
    const std::function<std::optional<std::string>(const std::string&)>& deviceOfFile;
    bool anyFlash = false;
    bool anyUnknown = false;
    bool anyDisk = false;
    bool encrypted = false;

    void device(const std::string& majorMinor, int depth) {
        std::error_code error;
        const fs::path entry = fs::canonical(fs::path(root) / "dev" / "block" / majorMinor, error);
        if (error || depth > kDeepestChain) {
            anyUnknown = true;
            return;
        }
        node(entry, depth);
    }

    void node(fs::path entry, int depth) {
        // A partition's disk is the folder above it.
        if (fs::exists(entry / "partition"))
            entry = entry.parent_path();
        if (startsWith(firstLineOf(entry / "dm" / "uuid"), "CRYPT-"))
            encrypted = true;
        // Any layer may say it is flash (a loop device marked not rotational, a dm device over SSDs).
        const bool flash = looksLikeFlash(entry);
        anyFlash = anyFlash || flash;
        const std::string backing = firstLineOf(entry / "loop" / "backing_file");
        if (!backing.empty()) {
            const auto holder = deviceOfFile(backing);
            if (holder)
                device(*holder, depth + 1);
            else
                anyUnknown = true;
            return;
        }
        std::error_code error;
        bool stacked = false;
        for (const auto& slave : fs::directory_iterator(entry / "slaves", error)) {
            stacked = true;
            node(fs::canonical(slave.path(), error), depth + 1);
        }
        if (stacked || flash)
            return;
        // A whole disk at the bottom of the chain that is none of the flash kinds.
        if (firstLineOf(entry / "queue" / "rotational") == "1")
            anyDisk = true;
        else
            anyUnknown = true;
    }

    // Many USB sticks say they rotate: "rotational" alone never proves a magnetic disk.
    static bool looksLikeFlash(const fs::path& entry) {
        const std::string name = entry.filename().string();
        return firstLineOf(entry / "queue" / "rotational") == "0" || startsWith(name, "nvme") ||
               startsWith(name, "mmcblk") || entry.string().find("/usb") != std::string::npos ||
               firstLineOf(entry / "removable") == "1";
    }
};

} // namespace

std::string majorMinor(dev_t device) {
    return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

std::string firstLineOf(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

DeviceChain deviceChainOf(const std::string& sysfsRoot, const std::vector<std::string>& majorMinors,
                          const std::function<std::optional<std::string>(const std::string& path)>& deviceOfFile) {
    Walk walk{sysfsRoot, deviceOfFile};
    for (const std::string& majorMinor : majorMinors)
        walk.device(majorMinor, 0);
    DeviceChain chain;
    chain.encrypted = walk.encrypted;
    if (walk.anyFlash)
        chain.media = MediaKind::Flash;
    else if (walk.anyDisk && !walk.anyUnknown)
        chain.media = MediaKind::Rotating;
    return chain;
}

} // namespace kelvanter::posix
