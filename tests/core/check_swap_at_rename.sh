#!/usr/bin/env bash
# Another user swaps a file of their own in while the run is held (by strace) at a step that goes
# by name, in a folder anyone may write to:
#   before the move into the private folder: the swapped-in file is left unchanged under the name,
#     the emptied file is not deleted, and the run says "replaced";
#   before the delete in the private folder: the other user cannot reach in, and the file is gone.
#   check_swap_at_rename.sh KELVANTER_BENCH
set -euo pipefail
bench="$1"

[ "$(id -u)" = 0 ] || { echo "skipped: needs root to act as another user"; exit 77; }
[ "$(uname -m)" = x86_64 ] || { echo "skipped: the syscall numbers below are x86_64's"; exit 77; }
strace -o /dev/null true 2>/dev/null || { echo "skipped: strace cannot trace here"; exit 77; }
readonly renameat2=316 unlinkat=263

work="$(mktemp -d /var/tmp/kelvanter-swap-XXXXXX)"
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"
failed=0
fail() { echo "FAIL: $*"; failed=1; }
as_other_user() { setpriv --reuid=nobody --regid=nogroup --clear-groups sh -c "$1"; }

# The pid of the traced run, once it is held at the entry of the syscall numbered $2.
held_at() {
    local tracer="$1" number="$2" pid=""
    while kill -0 "$tracer" 2>/dev/null; do
        pid="${pid:-$(pgrep -P "$tracer" -x kelvanter-bench || true)}"
        if [ -n "$pid" ] && [ "$(cut -d' ' -f1 "/proc/$pid/syscall" 2>/dev/null)" = "$number" ]; then
            echo "$pid"
            return 0
        fi
        sleep 0.01
    done
    return 1
}

# Runs the bench on $folder/brief.txt held for a while at the first call $1, runs the swap $2 as
# another user meanwhile; leaves the bench's status in $status, its boxes in $boxes, the swap's
# status in $swap_status.
run_with_swap() {
    local call="$1" number="$2" swap="$3" pid
    strace -f -o /dev/null -e trace="$call" -e inject="$call":delay_enter=4000000:when=1 \
        "$bench" destroy normal "$folder/brief.txt" >/dev/null 2>"$work/boxes" &
    local tracer=$!
    pid="$(held_at "$tracer" "$number")" || { wait "$tracer" || true; fail "the run never reached $call"; return; }
    swap_status=0
    as_other_user "$swap" 2>/dev/null || swap_status=$?
    # The swap counts only if the run was still held when it ended.
    if [ "$(cut -d' ' -f1 "/proc/$pid/syscall" 2>/dev/null)" != "$number" ]; then
        wait "$tracer" || true
        echo "skipped: the machine was too busy to swap within the delay"
        exit 77
    fi
    status=0
    wait "$tracer" || status=$?
    boxes="$(cat "$work/boxes")"
}

fresh_folder() {
    folder="$work/$1"
    mkdir -m 0777 "$folder"
    head -c 100000 /dev/urandom >"$folder/brief.txt"
    as_other_user "touch '$folder/probe' && rm '$folder/probe'" || fail "the other user cannot write in $folder"
}

fresh_folder before-move
run_with_swap renameat2 "$renameat2" "mv '$folder/brief.txt' '$folder/weggeschoben' && echo fremd >'$folder/brief.txt'"
[ "$swap_status" = 0 ] || fail "the other user could not swap in the shared folder"
[ "$(cat "$folder/brief.txt")" = fremd ] || fail "the swapped-in file was changed or removed"
[ -f "$folder/weggeschoben" ] && [ ! -s "$folder/weggeschoben" ] || fail "the held file was not left emptied"
[ "$status" != 0 ] || fail "the run said the file was destroyed"
grep -qx "notice=replaced at=$folder/brief.txt stranger_at=$folder/brief.txt" <<<"$boxes" || fail "no box named the swap: $boxes"
[ -z "$(find "$folder" -name '.kelvanter-entsorgung-*')" ] || fail "the private folder was left behind"
[ "$failed" = 0 ] && echo "ok: a file swapped in before the move survives and is named"

fresh_folder before-delete
run_with_swap unlinkat "$unlinkat" \
    "cd '$folder'/.kelvanter-entsorgung-* && mv ./*.del '$folder/weggeschoben' && echo fremd >'$folder/brief.txt'"
[ "$swap_status" != 0 ] || fail "another user reached into the private folder"
[ -z "$(ls -A "$folder")" ] || fail "something was left: $(ls -A "$folder")"
grep -q "notice=replaced" <<<"$boxes" && fail "a swap that could not happen was reported"
[ "$failed" = 0 ] && echo "ok: another user cannot reach the file in the private folder"
exit "$failed"
