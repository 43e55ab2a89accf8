// The device chain under a file system, read from a sysfs tree built for each case.
#include "platform/posix/BlockDevices.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace kelvanter::testing {
namespace {

namespace fs = std::filesystem;

// A small sysfs: devices as folders with their attribute files, /dev/block links to them.
class FakeSysfs {
public:
    explicit FakeSysfs(const TempFolder& folder) : root_(folder.path()) { fs::create_directories(root_ / "dev/block"); }

    // A disk (or partition, `partitionOf` naming its disk's folder) at `where` below devices/.
    FakeSysfs& disk(const std::string& majorMinor, const std::string& where, const char* rotational,
                    const char* removable = "0") {
        const fs::path folder = root_ / "devices" / where;
        write(folder / "queue/rotational", rotational);
        write(folder / "removable", removable);
        return link(majorMinor, folder);
    }
    FakeSysfs& partition(const std::string& majorMinor, const std::string& where) {
        const fs::path folder = root_ / "devices" / where;
        write(folder / "partition", "1");
        return link(majorMinor, folder);
    }
    // A device-mapper device over the partitions or disks at `slaves`, dm-crypt when `uuid` says so.
    FakeSysfs& mapped(const std::string& majorMinor, const std::string& name, const std::string& uuid,
                      const std::vector<std::string>& slaves) {
        const fs::path folder = root_ / "devices/virtual/block" / name;
        write(folder / "dm/uuid", uuid);
        fs::create_directories(folder / "slaves");
        for (const std::string& slave : slaves)
            fs::create_directory_symlink(root_ / "devices" / slave, folder / "slaves" / fs::path(slave).filename());
        return link(majorMinor, folder);
    }
    FakeSysfs& loop(const std::string& majorMinor, const std::string& name, const std::string& backingFile) {
        const fs::path folder = root_ / "devices/virtual/block" / name;
        write(folder / "loop/backing_file", backingFile);
        return link(majorMinor, folder);
    }
    std::string root() const { return root_.string(); }

private:
    static void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    FakeSysfs& link(const std::string& majorMinor, const fs::path& folder) {
        fs::create_directory_symlink(folder, root_ / "dev/block" / majorMinor);
        return *this;
    }
    fs::path root_;
};

struct ChainCase {
    const char* name;
    std::function<void(FakeSysfs&)> build;
    std::vector<std::string> devices;
    MediaKind media;
    bool encrypted = false;
};

TEST(DeviceChain, FlashRotatingOrUnknownFromTheDevicesUnderTheFileSystem) {
    // Where a loop device's backing file lies: on the SSD partition 8:33.
    const auto deviceOfFile = [](const std::string& path) -> std::optional<std::string> {
        return path == "/bilder/platte.img" ? std::optional<std::string>("8:33") : std::nullopt;
    };
    const std::vector<ChainCase> cases = {
        {"nvme",
         [](FakeSysfs& s) {
             s.disk("259:0", "pci0/nvme/nvme0/nvme0n1", "0").partition("259:1", "pci0/nvme/nvme0/nvme0n1/nvme0n1p1");
         },
         {"259:1"},
         MediaKind::Flash},
        {"mmcblk that says it rotates",
         [](FakeSysfs& s) {
             s.disk("179:0", "platform/mmc0/mmcblk0", "1").partition("179:1", "platform/mmc0/mmcblk0/mmcblk0p1");
         },
         {"179:1"},
         MediaKind::Flash},
        {"USB stick that says it rotates",
         [](FakeSysfs& s) { s.disk("8:16", "pci0/usb1/1-1/1-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb", "1"); },
         {"8:16"},
         MediaKind::Flash},
        {"removable",
         [](FakeSysfs& s) { s.disk("8:48", "pci0/ata3/host2/block/sdd", "1", "1"); },
         {"8:48"},
         MediaKind::Flash},
        {"dm-crypt over an SSD partition",
         [](FakeSysfs& s) {
             s.disk("8:0", "pci0/ata1/host0/block/sda", "0").partition("8:2", "pci0/ata1/host0/block/sda/sda2");
             s.mapped("254:0", "dm-0", "CRYPT-LUKS2-0123-luks", {"pci0/ata1/host0/block/sda/sda2"});
         },
         {"254:0"},
         MediaKind::Flash,
         true},
        {"loop over a file on an SSD",
         [](FakeSysfs& s) {
             s.disk("8:32", "pci0/ata2/host1/block/sdc", "0").partition("8:33", "pci0/ata2/host1/block/sdc/sdc1");
             s.loop("7:0", "loop0", "/bilder/platte.img");
         },
         {"7:0"},
         MediaKind::Flash},
        {"LVM over a rotating SATA disk",
         [](FakeSysfs& s) {
             s.disk("8:0", "pci0/ata1/host0/block/sda", "1").partition("8:1", "pci0/ata1/host0/block/sda/sda1");
             s.mapped("254:1", "dm-1", "LVM-abcdef", {"pci0/ata1/host0/block/sda/sda1"});
         },
         {"254:1"},
         MediaKind::Rotating},
        {"rotating SATA disk",
         [](FakeSysfs& s) {
             s.disk("8:0", "pci0/ata1/host0/block/sda", "1").partition("8:1", "pci0/ata1/host0/block/sda/sda1");
         },
         {"8:1"},
         MediaKind::Rotating},
        {"virtio that says it rotates",
         [](FakeSysfs& s) { s.disk("254:16", "pci0/virtio1/block/vda", "1"); },
         {"254:16"},
         MediaKind::Rotating},
        {"btrfs without devices", [](FakeSysfs&) {}, {}, MediaKind::Unknown},
        {"loop over a file nobody can place",
         [](FakeSysfs& s) { s.loop("7:1", "loop1", "/anderswo.img"); },
         {"7:1"},
         MediaKind::Unknown},
    };
    for (const ChainCase& c : cases) {
        TempFolder folder;
        FakeSysfs sysfs(folder);
        c.build(sysfs);
        const posix::DeviceChain chain = posix::deviceChainOf(sysfs.root(), c.devices, deviceOfFile);
        EXPECT_EQ(chain.media, c.media) << c.name;
        EXPECT_EQ(chain.encrypted, c.encrypted) << c.name;
    }
}

} // namespace
} // namespace kelvanter::testing
