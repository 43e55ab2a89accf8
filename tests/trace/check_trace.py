#!/usr/bin/env python3
"""Checks from an strace log that the kernel received what the destruction of one file promises.

    check_trace.py TRACE PATH SIZE normal|intensive

The trace comes from `strace -f -y -s 4096 -e trace=...` (see run_traced.sh). Prints one line per
broken guarantee and exits 1 when there is any, 0 when all hold.
"""
import os
import re
import sys

PATTERNS = {"normal": [0], "intensive": [0, 255, 0, 255, 0, 255, 246]}
BLOCK = 4096
NAME_CHANGES = ("rename", "renameat", "renameat2", "link", "linkat", "unlink", "unlinkat")
LOOKS = ("newfstatat", "fstatat64", "statx", "lstat", "stat")
# The lookup opens the file to hold it, the passes open it once to write.
MOST_OPENS = 2

LINE = re.compile(r"^(?:\[pid\s+)?(\d+\]?\s+)?(?P<call>\w+)\((?P<args>.*)\)\s+=\s+(?P<result>-?\d+|0x[0-9a-f]+)(?P<rest>.*)$")
FD = re.compile(r"^(-?\d+|AT_FDCWD)(?:<(.*?)>)?")
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
            result = match.group("result")
            calls.append((match.group("call"), match.group("args"), int(result, 0)))
    return calls


def first_fd(args):
    """The descriptor a call takes first; None for a call that takes a path first (mkdir)."""
    match = FD.match(args)
    if not match:
        return None
    found = match.group(1)
    return -100 if found == "AT_FDCWD" else int(found)


def quoted_strings(args):
    return re.findall(r'"((?:[^"\\]|\\.)*)"', args)


def named_paths(args):
    """The paths a call names, each joined to the folder its descriptor holds (dirfd, "name")."""
    paths = []
    for match in re.finditer(r'(?:(?:-?\d+|AT_FDCWD)(?:<([^>]*)>)?,\s*)?"((?:[^"\\]|\\.)*)"', args):
        folder, name = match.group(1), match.group(2)
        if name.startswith("/") or folder is None:
            paths.append(name)
        else:
            paths.append(os.path.join(folder, name) if name else folder)
    return paths


class Checker:
    def __init__(self, calls, path, size, mode):
        self.calls, self.path, self.size, self.mode = calls, path, size, mode
        self.faults = []
        self.folder = path.rsplit("/", 1)[0] or "/"

    def fault(self, text):
        self.faults.append(text)

    def run(self):
        writable = self.check_opens()
        passes = self.passes(writable) if writable is not None else []
        self.check_passes(passes)
        last_pass_end = passes[-1]["flushed_at"] if passes else len(self.calls)
        self.check_cut(writable, last_pass_end)
        self.check_rename_and_delete()
        return self.faults

    def opens_of_path(self):
        for index, (name, args, result) in enumerate(self.calls):
            if name in ("open", "openat") and self.path in named_paths(args):
                yield index, args, result

    def check_opens(self):
        """The opens of the file by its name, and the looks at its name after the lookup; the
        index and descriptor of the one open for writing."""
        opens = list(self.opens_of_path())
        for _, args, _ in opens:
            if "O_NOFOLLOW" not in args:
                self.fault(f"an open of the file follows links: {args}")
            if "O_TRUNC" in args:
                self.fault(f"an open of the file truncates it: {args}")
        if len(opens) > MOST_OPENS:
            self.fault(f"the file is opened by its name {len(opens)} times, at most {MOST_OPENS} expected")
        if opens:
            lookup = opens[0][0]
            for name, args, _ in self.calls[lookup + 1 :]:
                if name in LOOKS and first_fd(args) == -100 and self.path in named_paths(args):
                    self.fault(f"the file's name is looked at again after the lookup: {name}({args[:120]})")
        writable = [(index, result) for index, args, result in opens if "O_RDWR" in args and result >= 0]
        if len(writable) != 1:
            self.fault(f"{len(writable)} opens of the file for writing, one expected")
        return writable[0] if writable else None

    def passes(self, writable):
        """The writes on the open file between its flushes, one pass each; a file shorter than a
        block first gets a write at its own length, flushed, that belongs to the first pass."""
        index, fd = writable
        segments, current = [], []
        for later in range(index + 1, len(self.calls)):
            name, cargs, cresult = self.calls[later]
            if first_fd(cargs) != fd or name not in ("pwritev", "pwrite64", "write", "writev", "fdatasync", "close"):
                continue
            if name == "close":
                break
            if name == "fdatasync":
                if current and cresult == 0:
                    segments.append({"writes": current, "flushed_at": later, "own_length": None})
                    current = []
                continue
            current.append((name, cargs, cresult))
        if current:
            segments.append({"writes": current, "flushed_at": None, "own_length": None})
        if segments and 0 < self.size < BLOCK and self.is_own_length_write(segments[0]):
            own = segments.pop(0)
            if segments:
                segments[0]["own_length"] = own
            else:
                self.fault("the file's blocks are never written after the write at its own length")
        return segments

    def is_own_length_write(self, segment):
        writes = segment["writes"]
        return len(writes) == 1 and writes[0][2] == self.size and int(writes[0][1].rsplit(",", 1)[1]) == 0

    def check_passes(self, passes):
        patterns = PATTERNS[self.mode]
        if len(passes) != len(patterns):
            self.fault(f"{len(passes)} passes wrote to the file, {len(patterns)} expected")
        if 0 < self.size < BLOCK and passes and passes[0]["own_length"] is None:
            self.fault(f"a file of {self.size} bytes is not first written at its own length")
        first_blocks = self.size // BLOCK + 1
        for number, (found, pattern) in enumerate(zip(passes, patterns), start=1):
            expected = first_blocks + number - 1
            if found["own_length"] is not None:
                self.check_writes(number, found["own_length"]["writes"], pattern)
            written = self.check_writes(number, found["writes"], pattern)
            if written != expected * BLOCK:
                self.fault(f"pass {number} wrote {written} bytes, {expected} blocks of 4096 expected")
            if found["flushed_at"] is None:
                self.fault(f"pass {number} is not flushed after its last write")

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
            if data[:result] != bytes([pattern]) * result:
                self.fault(f"pass {number} writes other bytes than blocks of its pattern {pattern}")
            offset = start + result
        return offset

    def check_cut(self, writable, last_pass_end):
        fd = writable[1] if writable else None
        cut = [
            i
            for i, (name, args, result) in enumerate(self.calls)
            if name == "ftruncate" and result == 0 and first_fd(args) == fd and args.rstrip().endswith(" 0")
        ]
        if not cut:
            self.fault("the file is never cut to zero bytes")
            return
        if last_pass_end is None or cut[0] < last_pass_end:
            self.fault("the file is cut before the last pass has ended")
        flushed = False
        for name, args, result in self.calls[cut[0] + 1 :]:
            if first_fd(args) != fd:
                continue
            if name == "close":
                break
            flushed = flushed or (name == "fsync" and result == 0)
        if not flushed:
            self.fault("the cut is not flushed to the device")

    def check_rename_and_delete(self):
        renamed = None
        for index, (name, args, result) in enumerate(self.calls):
            paths = named_paths(args)
            if name in ("rename", "renameat") and self.path in paths:
                self.fault(f"the file is renamed with {name}, which may replace: {args}")
            if name == "renameat2" and self.path in paths and "RENAME_NOREPLACE" not in args:
                self.fault(f"renameat2 without RENAME_NOREPLACE: {args}")
            moves_file = name in ("renameat2", "link", "linkat") and paths[:1] == [self.path] and len(paths) == 2
            if result == 0 and moves_file and (name != "renameat2" or "RENAME_NOREPLACE" in args):
                renamed = (index, paths[1])
        if renamed is None:
            self.fault("the file is never moved to its temporary name without replacing")
            return
        index, temporary = self.end_of_link_rename(*renamed)
        if not self.folder_flushed_after(index, self.folder):
            self.fault("the folder is not flushed after the rename")
        deleted = [
            i
            for i, (name, args, result) in enumerate(self.calls)
            if i > index and name in ("unlink", "unlinkat") and result == 0 and temporary in named_paths(args)
        ]
        if not deleted:
            self.fault(f"the temporary name {temporary} is never deleted")
        elif not self.folder_flushed_after(deleted[0], temporary.rsplit("/", 1)[0]):
            self.fault("the folder is not flushed after the delete")

    def end_of_link_rename(self, index, temporary):
        """A rename made of link and unlink ends with the unlink of the old name."""
        if self.calls[index][0] not in ("link", "linkat"):
            return index, temporary
        for later in range(index + 1, len(self.calls)):
            name, args, result = self.calls[later]
            if name in ("unlink", "unlinkat") and result == 0 and named_paths(args) == [self.path]:
                return later, temporary
        self.fault("the old name stays after the link to the temporary name")
        return index, temporary

    def folder_flushed_after(self, index, folder):
        """Whether `folder` is flushed after call `index` and before the next change of names in it."""
        for name, args, result in self.calls[index + 1 :]:
            if name in NAME_CHANGES and any(path.rsplit("/", 1)[0] == folder for path in named_paths(args)):
                return False
            match = FD.match(args)
            if name == "fsync" and result == 0 and match and match.group(2) == folder:
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
