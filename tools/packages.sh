# Installs the Debian packages a command needs, when any is missing.
# As root it runs apt-get; otherwise it prints the one line to run and stops.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}" >&2
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

BUILD_PACKAGES=(g++ cmake make pkg-config libglib2.0-dev libblkid-dev libgtest-dev qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n fonts-liberation2)
# The install test validates the desktop entry and the metainfo, and builds the package;
# the trace test reads the system calls with strace and checks them with a Python script;
# the proof tests make and mount real btrfs, xfs, ext4 and NTFS (ntfs-3g, and sleuthkit's fls to
# list what deleted names a folder still shows) images; the install test starts the
# installed program from its desktop entry with "gio launch" under Xvfb.
TEST_PACKAGES=(desktop-file-utils appstream dpkg-dev debhelper lintian strace python3 btrfs-progs xfsprogs e2fsprogs
    xvfb xauth python3-pyatspi at-spi2-core dbus-daemon
    libglib2.0-bin procps ntfs-3g sleuthkit)

# The virtual-machine lane: qemu runs the distribution's kernel over a busybox initramfs, and the
# guest makes FAT32, exFAT and f2fs images and device-mapper devices with this machine's tools.
VM_PACKAGES=(qemu-system-x86 busybox-static cpio dosfstools exfatprogs f2fs-tools dmsetup)

# The Debian package: debhelper builds it, lintian checks it.
PACKAGE_PACKAGES=(dpkg-dev debhelper lintian)

# The Windows program: the cross compiler, Wine to run its tests, NSIS for the installer, and a
# German locale so that Wine's boxes and dialogs speak German.
WINDOWS_PACKAGES=(cmake make mingw-w64 wine wine64 nsis locales imagemagick icoutils xvfb xauth xdotool)

# Generates de_DE.UTF-8 where it is missing (as root; otherwise it says what to run).
ensure_german_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing the de_DE.UTF-8 locale. Generate it with:" >&2
        echo "  sudo sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen && sudo locale-gen" >&2
        exit 1
    fi
    sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8' /etc/locale.gen || echo "de_DE.UTF-8 UTF-8" >>/etc/locale.gen
    locale-gen >/dev/null
}
