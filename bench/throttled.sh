#!/usr/bin/env bash
# Destroys a file of random bytes on a loop-mounted ext4 whose device a blkio cgroup throttles to
# a USB stick's speeds (reads at three times the writes' rate, and the device says it does not
# rotate, as sticks do), with the benchmark driver, and prints its line with the device's own time
# for writing the file once there (dd oflag=direct) and reading it once (iflag=direct). Needs root
# and cgroup v1's blkio controller; exits 77 and says why where this machine has neither.
#   throttled.sh KELVANTER_BENCH WRITE_BYTES_PER_SECOND SIZE_MIB
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
echo 0 >"/sys/block/$(basename "$device")/queue/rotational"
head -c $((size_mib * 1048576)) /dev/urandom >"$work/mnt/opfer.bin"
sync
mkdir "$group"
numbers="$(lsblk -dno MAJ:MIN "$device" | tr -d ' ')"
echo "$numbers $rate" >"$group/blkio.throttle.write_bps_device"
echo "$numbers $((rate * 3))" >"$group/blkio.throttle.read_bps_device"
in_group() { bash -c 'echo $$ >"$1/cgroup.procs" && shift && exec "$@"' _ "$group" "$@"; }
timed() {
    local start end
    start=$(date +%s.%N)
    in_group "$@" >/dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
write_s=$(timed dd if=/dev/zero of="$work/mnt/opfer.bin" bs=1M count="$size_mib" oflag=direct conv=notrunc,fsync \
    status=none)
read_s=$(timed dd if="$work/mnt/opfer.bin" of=/dev/null bs=1M iflag=direct status=none)
head -c $((size_mib * 1048576)) /dev/urandom >"$work/mnt/opfer.bin"
sync
"$bench" drop-cache "$work/mnt/opfer.bin"
# A stick is flash, which no run may call destroyed: the driver's line counts, not its status.
line="$(in_group ${KELVANTER_WRAP:-} "$bench" destroy normal "$work/mnt/opfer.bin")" || true
printf '%s device_write_seconds=%.3f device_read_seconds=%.3f\n' "$line" "$write_s" "$read_s"
