#!/usr/bin/env bash
# Destroys a file of random bytes on a loop-mounted ext4 whose writes a blkio cgroup throttles to
# a USB stick's speed, with the benchmark driver, and prints its line. Needs root and cgroup v1's
# blkio controller; exits 77 and says why where this machine has neither.
#   throttled.sh KELVANTER_BENCH BYTES_PER_SECOND SIZE_MIB
set -euo pipefail
bench="$1" rate="$2" size_mib="$3"
blkio=/sys/fs/cgroup/blkio
if [ "$(id -u)" -ne 0 ]; then echo "skipped: a loop device and a cgroup need root"; exit 77; fi
if [ ! -w "$blkio" ]; then echo "skipped: no blkio cgroup controller at $blkio"; exit 77; fi
work="$(mktemp -d /var/tmp/kelvanter-slow-XXXXXX)"
group="$blkio/kelvanter-slow-$$"
cleanup() {
    umount "$work/mnt" 2>/dev/null || true
    rmdir "$group" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/mnt"
truncate -s $((size_mib + 64))M "$work/image"
mkfs.ext4 -q -F "$work/image"
mount -o loop "$work/image" "$work/mnt"
device="$(findmnt -n -o SOURCE "$work/mnt")"
head -c $((size_mib * 1048576)) /dev/urandom >"$work/mnt/opfer.bin"
sync
mkdir "$group"
echo "$(lsblk -dno MAJ:MIN "$device" | tr -d ' ') $rate" >"$group/blkio.throttle.write_bps_device"
"$bench" drop-cache "$work/mnt/opfer.bin"
bash -c 'echo $$ >"$1/cgroup.procs" && exec ${KELVANTER_WRAP:-} "$2" destroy normal "$3"' _ "$group" "$bench" "$work/mnt/opfer.bin"
