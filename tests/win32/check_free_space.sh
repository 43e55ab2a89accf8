#!/usr/bin/env bash
# Maps a loop-mounted ext4 image of its own to the drive letter K: of the Wine prefix and lets the
# Windows window fill its free space there. Needs root; exits 77 and says why otherwise.
#   check_free_space.sh WIN32_WINDOW_TESTS_EXE
set -euo pipefail
tests="$1"
if [ "$(id -u)" -ne 0 ]; then echo "skipped: mounting an image needs root"; exit 77; fi
: "${WINEPREFIX:?the Wine prefix of the Windows build}"
work="$(mktemp -d /var/tmp/kelvanter-wine-free-XXXXXX)"
drive="$WINEPREFIX/dosdevices/k:"
cleanup() {
    rm -f "$drive"
    umount "$work/mnt" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/mnt"
truncate -s 96M "$work/image"
mkfs.ext4 -q -F "$work/image"
mount -o loop "$work/image" "$work/mnt" || { echo "skipped: mount is refused here"; exit 77; }
chmod 0777 "$work/mnt"
rm -f "$drive"
ln -s "$work/mnt" "$drive"
KELVANTER_FREE_SPACE_FOLDER='K:\' WINEDEBUG=-all wine "$tests" --gtest_filter='Win32FreeSpace.*'
