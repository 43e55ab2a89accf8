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
    lines.insert(indices(lines, "O_RDWR")[-1], line)


def rename_by_link(lines):
    i = indices(lines, "renameat2(")[0]
    temporary = re.findall(r'"([^"]*)"', lines[i])[1]
    pid = lines[i].split()[0]
    lines[i : i + 1] = [f'{pid} link("{PATH}", "{temporary}") = 0', f'{pid} unlink("{PATH}") = 0']


def direct_open_refused(flush):
    """The first pass's direct open is refused, and the pass goes on buffered."""

    def mutate(lines):
        i = indices(lines, "O_DIRECT")[0]
        refused = re.sub(r"= \d+<.*$", "= -1 EINVAL (Invalid argument)", lines[i])
        lines[i : i + 1] = [refused, lines[i].replace("|O_DIRECT", "")]
        if not flush:
            del lines[indices(lines, "fdatasync(")[0]]

    return mutate


# (mode, mutation, what the checker must say, or None where the trace is still sound)
CASES = {
    "untouched normal": ("normal", lambda lines: None, None),
    "untouched intensive": ("intensive", lambda lines: None, None),
    "no fdatasync in pass 1": ("normal", without("fdatasync("), "pass 1 is not flushed"),
    "no fdatasync in pass 7": ("intensive", without("fdatasync(", -1), "pass 7 is not flushed"),
    "pass open follows links": ("intensive", replaced("O_DIRECT|O_NOFOLLOW", "O_DIRECT", 3), "follows links"),
    "pass open truncates": ("normal", replaced("O_RDWR|", "O_RDWR|O_TRUNC|"), "truncates it"),
    "last pattern 0, not 246": ("intensive", replaced("\\366", "\\0"), "other bytes than blocks of its pattern 246"),
    "one block fewer": ("normal", without("pwritev(", -1), "pass 1 wrote 4096 bytes"),
    "a block skipped": ("intensive", without("pwritev(", 3), "pass 2 writes at 8192, where 4096 was due"),
    "cut before the last pass": ("intensive", cut_before_last_pass, "cut before the last pass"),
    "never cut": ("normal", without("ftruncate("), "never cut"),
    "plain rename": ("normal", replaced("renameat2(", "renameat("), "renamed with renameat"),
    "rename that may replace": ("normal", replaced(", RENAME_NOREPLACE", ""), "without RENAME_NOREPLACE"),
    "folder not flushed after rename": ("normal", without(f"fsync(4<{FOLDER}>)", 0), "not flushed after the rename"),
    "folder not flushed after delete": ("normal", without(f"fsync(4<{FOLDER}>)", 1), "not flushed after the delete"),
    "link and unlink rename": ("normal", rename_by_link, None),
    "buffered fallback with its flush": ("normal", direct_open_refused(flush=True), None),
    "buffered fallback without its flush": ("normal", direct_open_refused(flush=False), "pass 1 is not flushed"),
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
