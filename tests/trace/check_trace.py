#!/usr/bin/env python3
"""Checks from an strace log that the kernel received what the destruction of one file promises.

    check_trace.py TRACE PATH SIZE normal|intensive

The trace comes from `strace -f -y -s 4096 -e trace=...` (see run_traced.sh). Prints one line per
broken guarantee and exits 1 when there is any, 0 when all hold.
"""
import re
import sys

PATTERNS = {"normal": [0], "intensive": [0, 255, 0, 255, 0, 255, 246]}
BLOCK = 4096
NAME_CHANGES = ("rename", "renameat", "renameat2", "link", "linkat", "unlink", "unlinkat")

LINE = re.compile(r"^(?:\[pid\s+)?(\d+\]?\s+)?(?P<call>\w+)\((?P<args>.*)\)\s+=\s+(?P<result>-?\d+)(?P<rest>.*)$")
FD = re.compile(r"^(-?\d+)(?:<.*?>)?")
IOV = re.compile(r'\{iov_base="((?:[^"\\]|\\.)*)"(\.\.\.)?, iov_len=(\d+)\}')
ESCAPES = {"n": 10, "t": 9, "r": 13, "v": 11, "f": 12, '"': 34, "\\": 92}


def unescape(text):
    """The bytes of a string as strace prints it (C escapes, octal for the rest)."""
    out, i = bytearray(), 0
    while i < len(text):
        if text[i] != "\\":
            out.append(ord(text[i]))
            i += 1
            continue
        octal = re.match(r"[0-7]{1,3}", text[i + 1 :])
        if octal:
            out.append(int(octal.group(0), 8))
            i += 1 + len(octal.group(0))
        elif text[i + 1] == "x":
            out.append(int(text[i + 2 : i + 4], 16))
            i += 4
        else:
            out.append(ESCAPES[text[i + 1]])
            i += 2
    return bytes(out)


def parse(lines):
    """The completed calls of the trace, in order: (name, argument text, result)."""
    calls = []
    for line in lines:
        match = LINE.match(line.strip())
        if match:
            calls.append((match.group("call"), match.group("args"), int(match.group("result"))))
    return calls


def first_fd(args):
    return int(FD.match(args).group(1))


def quoted_strings(args):
    return re.findall(r'"((?:[^"\\]|\\.)*)"', args)


class Checker:
    def __init__(self, calls, path, size, mode):
        self.calls, self.path, self.size, self.mode = calls, path, size, mode
        self.faults = []
        self.folder = path.rsplit("/", 1)[0] or "/"

    def fault(self, text):
        self.faults.append(text)

    def run(self):
        passes = self.passes()
        self.check_opens()
        self.check_passes(passes)
        last_pass_end = passes[-1]["closed_at"] if passes else len(self.calls)
        self.check_cut(last_pass_end)
        self.check_rename_and_delete()
        return self.faults

    def opens_of_path(self):
        for index, (name, args, result) in enumerate(self.calls):
            if name in ("open", "openat") and self.path in quoted_strings(args):
                yield index, args, result

    def check_opens(self):
        for _, args, _ in self.opens_of_path():
            if "O_NOFOLLOW" not in args:
                self.fault(f"an open of the file follows links: {args}")
            if "O_TRUNC" in args:
                self.fault(f"an open of the file truncates it: {args}")

    def passes(self):
        """Each read-write open of the file that writes, from its open to its close."""
        found = []
        for index, args, result in self.opens_of_path():
            if "O_RDWR" not in args or result < 0:
                continue
            current = {
                "fd": result,
                "writes": [],
                "flushed_writes": set(),
                "flushed_after_last_write": False,
                "closed_at": None,
            }
            for later in range(index + 1, len(self.calls)):
                name, cargs, cresult = self.calls[later]
                if name not in ("pwritev", "pwrite64", "write", "writev", "fdatasync", "fsync", "close"):
                    continue
                if first_fd(cargs) != result:
                    continue
                if name == "close":
                    current["closed_at"] = later
                    break
                if name in ("fdatasync", "fsync"):
                    current["flushed_after_last_write"] = cresult == 0
                    if current["writes"] and cresult == 0:
                        current["flushed_writes"].add(len(current["writes"]) - 1)
                else:
                    current["writes"].append((name, cargs, cresult))
                    current["flushed_after_last_write"] = False
            if any(result > 0 for _, _, result in current["writes"]):
                found.append(current)
        return found

    def check_passes(self, passes):
        patterns = PATTERNS[self.mode]
        if len(passes) != len(patterns):
            self.fault(f"{len(passes)} passes wrote to the file, {len(patterns)} expected")
        first_blocks = self.size // BLOCK + 1
        for number, (found, pattern) in enumerate(zip(passes, patterns), start=1):
            expected = first_blocks + number - 1
            writes = found["writes"]
            if number == 1 and 0 < self.size < BLOCK:
                writes = self.check_own_length_write(found, pattern)
            written = self.check_writes(number, writes, pattern)
            if written != expected * BLOCK:
                self.fault(f"pass {number} wrote {written} bytes, {expected} blocks of 4096 expected")
            if not found["flushed_after_last_write"]:
                self.fault(f"pass {number} is not flushed after its last write before its close")
            if found["closed_at"] is None:
                self.fault(f"pass {number} never closes the file")

    def check_own_length_write(self, found, pattern):
        """A file shorter than a block is first written at exactly its length, flushed; the writes after it."""
        writes = found["writes"]
        first = writes[0] if writes else None
        data = b"".join(unescape(body) for body, _, _ in IOV.findall(first[1])) if first else b""
        exact = first is not None and first[0] == "pwritev" and int(first[1].rsplit(",", 1)[1]) == 0
        if not exact or first[2] != self.size or data[: self.size] != bytes([pattern]) * self.size:
            self.fault(f"a file of {self.size} bytes is not first written at its own length")
            return writes
        if 0 not in found["flushed_writes"]:
            self.fault("the write at the file's own length is not flushed before the blocks")
        return writes[1:]

    def check_writes(self, number, writes, pattern):
        """Sum of the bytes the pass wrote, checking that they are its pattern and follow on from 0."""
        offset = 0
        for name, args, result in writes:
            if result < 0:
                continue
            if name != "pwritev":
                self.fault(f"pass {number} writes with {name}, not pwritev")
                continue
            if re.search(r"\],?\s*\.\.\.|\.\.\.\]", args):
                self.fault(f"pass {number}: the trace abbreviates a pwritev; record it with -s 4096")
            start = int(args.rsplit(",", 1)[1])
            if start != offset:
                self.fault(f"pass {number} writes at {start}, where {offset} was due")
            data = b"".join(unescape(body) for body, _, _ in IOV.findall(args))
            lengths = [int(length) for _, _, length in IOV.findall(args)]
            if any(length != BLOCK for length in lengths[1:]) or data[:result] != bytes([pattern]) * result:
                self.fault(f"pass {number} writes other bytes than blocks of its pattern {pattern}")
            offset = start + result
        return offset

    def check_cut(self, last_pass_end):
        cut = [i for i, (name, args, result) in enumerate(self.calls) if name == "ftruncate" and result == 0]
        cut += [i for i, (name, args, _) in enumerate(self.calls) if name == "truncate" and self.path in args]
        if not cut:
            self.fault("the file is never cut to zero bytes")
        elif min(cut) < last_pass_end:
            self.fault("the file is cut before the last pass has ended")

    def check_rename_and_delete(self):
        renamed = None
        for index, (name, args, result) in enumerate(self.calls):
            if name in ("rename", "renameat") and self.path in args:
                self.fault(f"the file is renamed with {name}, which may replace: {args}")
            if name == "renameat2" and self.path in args and "RENAME_NOREPLACE" not in args:
                self.fault(f"renameat2 without RENAME_NOREPLACE: {args}")
            names = quoted_strings(args)
            moves_file = name in ("renameat2", "link", "linkat") and names[:1] == [self.path] and len(names) == 2
            if result == 0 and moves_file and (name != "renameat2" or "RENAME_NOREPLACE" in args):
                renamed = (index, names[1])
        if renamed is None:
            self.fault("the file is never moved to its temporary name without replacing")
            return
        index, temporary = self.end_of_link_rename(*renamed)
        if not self.folder_flushed_after(index):
            self.fault("the folder is not flushed after the rename")
        deleted = [
            i
            for i, (name, args, result) in enumerate(self.calls)
            if i > index and name in ("unlink", "unlinkat") and result == 0 and temporary in args
        ]
        if not deleted:
            self.fault(f"the temporary name {temporary} is never deleted")
        elif not self.folder_flushed_after(deleted[0]):
            self.fault("the folder is not flushed after the delete")

    def end_of_link_rename(self, index, temporary):
        """A rename made of link and unlink ends with the unlink of the old name."""
        if self.calls[index][0] not in ("link", "linkat"):
            return index, temporary
        for later in range(index + 1, len(self.calls)):
            name, args, result = self.calls[later]
            if name in ("unlink", "unlinkat") and result == 0 and quoted_strings(args) == [self.path]:
                return later, temporary
        self.fault("the old name stays after the link to the temporary name")
        return index, temporary

    def folder_flushed_after(self, index):
        """Whether the file's folder is flushed after call `index` and before the next change of names."""
        folder_fds = set()
        for name, args, result in self.calls[index + 1 :]:
            if name in NAME_CHANGES:
                return False
            if name == "openat" and "O_DIRECTORY" in args and f'"{self.folder}"' in args and result >= 0:
                folder_fds.add(result)
            if name == "fsync" and result == 0 and first_fd(args) in folder_fds:
                return True
        return False


def main(argv):
    if len(argv) != 5 or argv[4] not in PATTERNS:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(argv[1], encoding="latin-1") as trace:
        faults = Checker(parse(trace), argv[2], int(argv[3]), argv[4]).run()
    for fault in faults:
        print(f"{argv[1]}: {fault}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
