#include "GuestDevices.h"

#include "support/LoopImage.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace kelvanter::testing {

namespace {

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

std::optional<std::string> capture(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>/dev/null").c_str(), "r"), ::pclose);
    if (!pipe)
        return std::nullopt;
    std::string output;
    std::array<char, 4096> chunk{};
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0;)
        output.append(chunk.data(), got);
    if (::pclose(pipe.release()) != 0)
        return std::nullopt;
    return output;
}

LoopDevice::LoopDevice(const std::string& image) {
    if (const auto made = capture("losetup -f --show " + image))
        path_ = trimmed(*made);
    // A loop device over the guest's memory says it does not rotate; these stand for disks first.
    if (attached())
        std::ofstream(rotationalFlag()) << "1\n";
}

LoopDevice::~LoopDevice() {
    if (!attached())
        return;
    // The flag outlives the device: the next test that gets it must find it rotating.
    std::ofstream(rotationalFlag()) << "1\n";
    run("losetup -d " + path_);
}

std::string LoopDevice::rotationalFlag() const {
    return "/sys/block/" + path_.substr(path_.rfind('/') + 1) + "/queue/rotational";
}

bool LoopDevice::lookLikeFlash() const {
    const std::string flag = rotationalFlag();
    std::ofstream(flag) << "0\n";
    std::string now;
    std::ifstream(flag) >> now;
    return now == "0";
}

MappedDevice::MappedDevice(std::string name, const std::string& table) : name_(std::move(name)) {
    made_ = run("dmsetup create --noudevsync " + name_ + " --table '" + table + "'");
    // No udev in the guest: dmsetup makes the node under /dev/mapper itself.
    if (made_)
        run("dmsetup mknodes " + name_);
}

MappedDevice::~MappedDevice() {
    remove();
}

bool MappedDevice::reload(const std::string& table) const {
    return run("dmsetup suspend --noudevsync --nolockfs " + name_) &&
           run("dmsetup load " + name_ + " --table '" + table + "'") && run("dmsetup resume --noudevsync " + name_);
}

bool MappedDevice::message(const std::string& text) const {
    return run("dmsetup message " + name_ + " 0 " + text);
}

bool MappedDevice::remove() {
    if (made_)
        made_ = !run("dmsetup remove --noudevsync --retry " + name_);
    return !made_;
}

std::int64_t sectorsOf(const std::string& path) {
    const auto size = capture("blockdev --getsz " + path + " || echo $(( $(stat -c %s " + path + ") / 512 ))");
    return size ? std::stoll(*size) : 0;
}

std::string wholeTable(const std::string& device, const std::string& target) {
    return "0 " + std::to_string(sectorsOf(device)) + " " + target;
}

Mounted::Mounted(const std::string& device, const std::string& folder, const std::string& options) : folder_(folder) {
    mounted_ = run("mount " + (options.empty() ? std::string() : "-o " + options + " ") + device + " " + folder);
}

Mounted::~Mounted() {
    unmount();
}

bool Mounted::unmount() {
    if (mounted_)
        mounted_ = !run("umount " + folder_);
    return !mounted_;
}

std::vector<std::int64_t> offsetsOf(const std::string& path, const std::string& mark) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int64_t> offsets;
    for (auto at = bytes.find(mark); at != std::string::npos; at = bytes.find(mark, at + 1))
        offsets.push_back(static_cast<std::int64_t>(at));
    return offsets;
}

} // namespace kelvanter::testing
