#!/usr/bin/env bash
# Overwrites the free space of a fresh loop-mounted ext4 (or xfs) image of 1 GiB with the benchmark
# driver, then writes as many random bytes with dd and O_DIRECT on the same image, and prints both
# times and their ratio, and what churning the names through the journal or log took. Needs root;
# exits 77 and says why where it cannot mount an image.
#   free_space.sh KELVANTER_BENCH [SIZE_MIB [ext4|xfs]]
set -euo pipefail
bench="$1" size_mib="${2:-1024}" type="${3:-ext4}"
if [ "$(id -u)" -ne 0 ]; then echo "skipped: mounting an image needs root"; exit 77; fi
work="$(mktemp -d /var/tmp/kelvanter-free-XXXXXX)"
device=""
trap 'umount "$work/mnt" 2>/dev/null || true; [ -z "$device" ] || losetup -d "$device"; rm -rf "$work"' EXIT
mkdir "$work/mnt"
# Written whole beforehand, so that neither contender pays for the backing file's first writes.
dd if=/dev/zero of="$work/image" bs=4M count=$((size_mib / 4)) conv=fsync status=none
# No inode tables zeroed in the background while the contenders run.
if [ "$type" = xfs ]; then
    mkfs.xfs -q -f "$work/image"
else
    mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 "$work/image"
fi
# A loop device that goes to the disk directly, as a real disk would, past the page cache.
device="$(losetup --direct-io=on -f --show "$work/image")"
mount "$device" "$work/mnt"
fill="$("$bench" free-space "$work/mnt")"
written=$(sed -E 's/.*written=([0-9]+).*/\1/' <<<"$fill")
churn_seconds=$(sed -E 's/.*churn_seconds=([0-9.]+).*/\1/' <<<"$fill")
# The data fill alone; the names churned through the journal or log after it are given apart.
fill_seconds=$(echo "$(sed -E 's/^seconds=([0-9.]+).*/\1/' <<<"$fill") - $churn_seconds" | bc -l)
# The same bytes as the fill, random too (a device may write zeros faster), read from memory.
random="$(mktemp /dev/shm/kelvanter-random-XXXXXX)"
head -c "$written" /dev/urandom >"$random"
start=$(date +%s.%N)
dd if="$random" of="$work/mnt/dd.bin" bs=4M iflag=fullblock oflag=direct conv=fsync status=none
end=$(date +%s.%N)
rm -f "$work/mnt/dd.bin" "$random"
dd_seconds=$(echo "$end - $start" | bc -l)
echo "free space: $fill"
printf 'free_space_seconds=%.3f dd_seconds=%.3f free_space/device=%.3f churn_seconds=%.3f churn/fill=%.3f\n' \
    "$fill_seconds" "$dd_seconds" "$(echo "$fill_seconds / $dd_seconds" | bc -l)" "$churn_seconds" \
    "$(echo "$churn_seconds / $fill_seconds" | bc -l)"
