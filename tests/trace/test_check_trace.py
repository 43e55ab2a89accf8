#!/usr/bin/env python3
"""The trace checker on recorded traces: each guarantee, broken on purpose, must be reported."""
import gzip
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_trace  # noqa: E402

RECORDED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "recorded")
PATH = "/var/tmp/kelvanter-trace/brief.txt"
FOLDER = "/var/tmp/kelvanter-trace"


def recorded(mode):
    with gzip.open(os.path.join(RECORDED, f"{mode}-5000.trace.gz"), "rt", encoding="latin-1") as trace:
        return trace.read().splitlines()


def faults(lines, mode):
    return check_trace.Checker(check_trace.parse(lines), PATH, 5000, mode).run()


def indices(lines, needle):
    return [i for i, line in enumerate(lines) if needle in line]


def without(needle, which=0):
    """Drops one line that holds `needle` (by its position among such lines)."""

    def mutate(lines):
        del lines[indices(lines, needle)[which]]

    return mutate


def replaced(old, new, which=None):
    def mutate(lines):
        for i in indices(lines, old) if which is None else [indices(lines, old)[which]]:
            lines[i] = lines[i].replace(old, new)

    return mutate


def cut_before_last_pass(lines):
    cut = indices(lines, "ftruncate(")[0]
    line = lines.pop(cut)
    lines.insert(indices(lines, "fdatasync(")[-2] + 1, line)


def rename_by_link(lines):
    i = indices(lines, "renameat2(")[0]
    from_fd, to_fd = re.match(r"\d+\s+renameat2\(([^,]*), \"[^\"]*\", ([^,]*),", lines[i]).groups()
    name, temporary = re.findall(r'"([^"]*)"', lines[i])
    pid = lines[i].split()[0]
    lines[i : i + 1] = [
        f'{pid} linkat({from_fd}, "{name}", {to_fd}, "{temporary}", 0) = 0',
        f'{pid} unlinkat({from_fd}, "{name}", 0) = 0',
    ]


def direct_io_refused(flush):
    """The file system takes no direct writes: the switch to them fails, and the pass goes on buffered."""

    def mutate(lines):
        i = indices(lines, "F_SETFL, O_RDWR")[0]
        lines[i] = re.sub(r"= 0$", "= -1 EINVAL (Invalid argument)", lines[i])
        if not flush:
            del lines[indices(lines, "fdatasync(")[0]]

    return mutate


def opened_again(lines):
    """One more open of the file by its name, as a pass that reopens it would make."""
    i = indices(lines, "O_RDWR|O_NOCTTY")[0]
    lines.insert(i + 1, lines[i])


def looked_at_again(lines):
    """The file's name looked at after the lookup, as a check by name before the cut would."""
    i = indices(lines, "ftruncate(")[0]
    pid = lines[i].split()[0]
    lines.insert(i, f'{pid} newfstatat(AT_FDCWD</var/tmp>, "{PATH}", {{st_mode=S_IFREG|0644}}, AT_SYMLINK_NOFOLLOW) = 0')


def folder_flush(after):
    """Drops the flush of the folder that a change of names (`after`: renameat2, unlinkat) was made in."""

    def mutate(lines):
        change = indices(lines, f"{after}(")[0]
        folder = re.search(r"\((\d+<[^>]*>)", lines[change]).group(1)
        del lines[[i for i in indices(lines, f"fsync({folder})") if i > change][0]]

    return mutate


# (mode, mutation, what the checker must say, or None where the trace is still sound)
CASES = {
    "untouched normal": ("normal", lambda lines: None, None),
    "untouched intensive": ("intensive", lambda lines: None, None),
    "no fdatasync in pass 1": ("normal", without("fdatasync("), "pass 1 is not flushed"),
    "no fdatasync in pass 7": ("intensive", without("fdatasync(", -1), "pass 7 is not flushed"),
    "pass open follows links": ("intensive", replaced("O_RDWR|O_NOCTTY|O_NONBLOCK|O_NOFOLLOW", "O_RDWR|O_NOCTTY|O_NONBLOCK"), "follows links"),
    "pass open truncates": ("normal", replaced("O_RDWR|", "O_RDWR|O_TRUNC|"), "truncates it"),
    "last pattern 0, not 246": ("intensive", replaced("\\366", "\\0"), "other bytes than blocks of its pattern 246"),
    "one block fewer": ("normal", without("pwritev(", -1), "pass 1 wrote 4096 bytes"),
    "a block skipped": ("intensive", without("pwritev(", 3), "pass 2 writes at 8192, where 4096 was due"),
    "cut before the last pass": ("intensive", cut_before_last_pass, "cut before the last pass"),
    "never cut": ("normal", without("ftruncate("), "never cut"),
    "plain rename": ("normal", replaced("renameat2(", "renameat("), "renamed with renameat"),
    "rename that may replace": ("normal", replaced(", RENAME_NOREPLACE", ""), "without RENAME_NOREPLACE"),
    "folder not flushed after rename": ("normal", folder_flush("renameat2"), "not flushed after the rename"),
    "folder not flushed after delete": ("normal", folder_flush("unlinkat"), "not flushed after the delete"),
    "cut not flushed": ("normal", without(f"fsync(4<{PATH}>)"), "cut is not flushed"),
    "link and unlink rename": ("normal", rename_by_link, None),
    "buffered fallback with its flush": ("normal", direct_io_refused(flush=True), None),
    "buffered fallback without its flush": ("normal", direct_io_refused(flush=False), "pass 1 is not flushed"),
    "opened by name once more": ("intensive", opened_again, "opened by its name 3 times"),
    "name looked at after the lookup": ("normal", looked_at_again, "looked at again after the lookup"),
}


class CheckerOnRecordedTraces(unittest.TestCase):
    def test_each_broken_guarantee_is_reported_and_only_then(self):
        for name, (mode, mutate, expected) in CASES.items():
            with self.subTest(name):
                lines = recorded(mode)
                mutate(lines)
                found = faults(lines, mode)
                if expected is None:
                    self.assertEqual(found, [])
                else:
                    self.assertTrue(any(expected in fault for fault in found), found)


if __name__ == "__main__":
    unittest.main()
