#!/usr/bin/env bash
# Destroys real files with the real core under strace, on the disk and on tmpfs, in both modes,
# and checks from the trace what the kernel was asked to do.
#   run_traced.sh KELVANTER_BENCH
set -euo pipefail
bench="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
calls=openat,pwritev,pwrite64,write,writev,fdatasync,fsync,close,ftruncate,truncate,renameat2,rename,renameat,link,linkat,unlink,unlinkat,newfstatat,statx,lstat,stat,fcntl,mkdir,mkdirat
size=$((300 * 1024 + 123))

if ! strace -o /dev/null true 2>/dev/null; then
    echo "skipped: strace cannot trace here (ptrace refused)"
    exit 77
fi
failed=0
folders=("$(mktemp -d /var/tmp/kelvanter-trace-XXXXXX)")
[ -d /dev/shm ] && folders+=("$(mktemp -d /dev/shm/kelvanter-trace-XXXXXX)")
trap 'rm -rf "${folders[@]}"' EXIT
# A file of many blocks, and one shorter than a block, which is first written at its own length.
for folder in "${folders[@]}"; do
    for length in "$size" 300; do
        for mode in normal intensive; do
            file="$folder/brief-$mode-$length.txt"
            head -c "$length" /dev/urandom >"$file"
            trace="$folder/$mode-$length.trace"
            strace -f -y -s 4096 -o "$trace" -e trace="$calls" "$bench" destroy "$mode" "$file" >/dev/null
            if python3 "$here/check_trace.py" "$trace" "$file" "$length" "$mode"; then
                echo "ok: $mode, $length bytes, on $(df --output=fstype "$folder" | tail -1)"
            else
                failed=1
            fi
        done
    done
done
exit "$failed"
