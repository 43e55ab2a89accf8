#!/usr/bin/env bash
# A device that fails every flush of a folder (strace returns EIO for each fsync after the cut's):
# the real services report it, and the run never says "destroyed" of a deletion that may come undone.
#   check_folder_flush_errors.sh KELVANTER_BENCH
set -euo pipefail
bench="$1"

strace -o /dev/null true 2>/dev/null || { echo "skipped: strace cannot trace here"; exit 77; }

work="$(mktemp -d /var/tmp/kelvanter-flush-XXXXXX)"
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The cut's own fsync comes first; the folders' come after it.
run() {
    local inject="$1"
    head -c 20000 /dev/urandom >"$work/brief.txt"
    strace -f -o /dev/null -e trace=fsync ${inject:+-e inject=fsync:error=EIO:when=$inject} \
        "$bench" destroy normal "$work/brief.txt" 2>"$work/boxes" >"$work/result" || true
}

run ""
grep -q "destroyed=1" "$work/result" || fail "without failures the run is no success: $(cat "$work/result" "$work/boxes")"

run "2+"
grep -q "destroyed=0" "$work/result" || fail "a failed folder flush was called destroyed: $(cat "$work/result")"
grep -q "notice=deletion-unflushed" "$work/boxes" || fail "no box said the deletion may come undone: $(cat "$work/boxes")"
[ ! -e "$work/brief.txt" ] || fail "the file was not even deleted"

[ "$failed" -eq 0 ] && echo "folder flush errors: reported"
exit "$failed"
