#!/usr/bin/env bash
# A normal run of 32 MiB on a real loop device throttled to 1 MiB/s, about 32 s: the file is
# destroyed, and the window never waits more than 250 ms to be served (the progress steps alone
# would be 320 ms apart).
#   check_throttled.sh KELVANTER_BENCH
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
status=0
line="$(bash "$here/../../bench/throttled.sh" "$1" 1048576 32)" || status=$?
echo "$line"
[ "$status" -eq 77 ] && exit 77
[ "$status" -eq 0 ] || { echo "FAIL: the run ended with $status"; exit 1; }
gap=$(sed -E 's/.*max_gap_ms=([0-9]+).*/\1/' <<<"$line")
seconds=$(sed -E 's/^seconds=([0-9]+).*/\1/' <<<"$line")
grep -q "destroyed=1" <<<"$line" || { echo "FAIL: not destroyed"; exit 1; }
[ "$seconds" -ge 28 ] || { echo "FAIL: the throttle did not hold (${seconds} s for 32 MiB at 1 MiB/s)"; exit 1; }
[ "$gap" -le 250 ] || { echo "FAIL: the window waited ${gap} ms"; exit 1; }
echo "ok: served at least every ${gap} ms over ${seconds} s"
