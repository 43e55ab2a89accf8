#include "support/LoopImage.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace kelvanter::testing {

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::size_t countIn(const std::string& path, const std::string& mark) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t count = 0;
    for (auto at = bytes.find(mark); at != std::string::npos; at = bytes.find(mark, at + 1))
        ++count;
    return count;
}

std::string utf16le(const std::string& ascii) {
    std::string units;
    for (const char c : ascii) {
        units += c;
        units += '\0';
    }
    return units;
}

LoopImage::LoopImage(const std::filesystem::path& folder) : folder_(folder) {}

LoopImage::~LoopImage() {
    if (!rotationalFlag_.empty())
        std::ofstream(rotationalFlag_) << "1\n";
    if (mounted_)
        run("umount -l " + mountPoint());
}

std::optional<std::string> LoopImage::mount(const std::string& mkfs, const std::string& options,
                                            const std::string& size) {
    if (::geteuid() != 0)
        return std::string("mounting an image needs root");
    std::filesystem::create_directory(mountPoint());
    if (!run("truncate -s " + size + " " + image()) || !run(mkfs + " " + image()))
        return "cannot make the file system: " + mkfs;
    const std::string all = std::string("loop") + (options.empty() ? "" : ",") + options;
    if (!run("mount -o " + all + " " + image() + " " + mountPoint()))
        return "mount -o " + all + " is refused here";
    mounted_ = true;
    return std::nullopt;
}

bool LoopImage::unmount() {
    mounted_ = !run("umount " + mountPoint());
    return !mounted_;
}

std::string LoopImage::device() const {
    const std::string listing = (folder_ / "quelle").string();
    if (std::system(("findmnt -n -o SOURCE " + mountPoint() + " > " + listing).c_str()) != 0)
        return {};
    std::string found;
    std::ifstream(listing) >> found;
    return found;
}

std::optional<std::string> LoopImage::lookLikeFlash() {
    const std::string loop = device();
    if (loop.empty())
        return std::string("findmnt cannot name the loop device");
    rotationalFlag_ = "/sys/block/" + std::filesystem::path(loop).filename().string() + "/queue/rotational";
    std::ofstream(rotationalFlag_) << "0\n";
    std::string now;
    std::ifstream(rotationalFlag_) >> now;
    if (now != "0")
        return "cannot mark " + loop + " as not rotational";
    return std::nullopt;
}

} // namespace kelvanter::testing
