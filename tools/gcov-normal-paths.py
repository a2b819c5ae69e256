#!/usr/bin/env python3
"""gcov for gcovr, without the branches of code that only an exception reaches.

gcovr's --exclude-throw-branches drops the arcs gcov marks "(throw)": the way
out of a call when it throws. Two kinds of such branches escape it, and both
are left out here, so that the branch figure counts the decisions of src/:

- gcov's text output marks an arc "(throw)" only in a block that ran; an arc
  of a block that never ran prints as a bare "never executed" (say a copy of
  an inline function in a translation unit that never calls it). gcov's JSON
  output has the mark either way; the text's arcs are marked from it.
- At -O0 g++ emits the cleanup of a statement's temporaries, run while an
  exception unwinds through it, as blocks of their own, some with conditional
  jumps. gcov --all-blocks marks a block that only an exception reaches with
  "$$$$$"; the branch lines of such blocks are deleted.

The block lines --all-blocks adds are deleted too; everything else is gcov's
own output. `make coverage` passes this to gcovr as --gcov-executable.
"""
import json
import os
import re
import subprocess
import sys

BLOCK = re.compile(r"^\s*(\S+):\s*\d+-block\s+\d+")
SOURCE = re.compile(r"^\s*\S+:\s*(\d+):")
NEVER = re.compile(r"^(branch\s+\d+ )never executed(?= *$)")
CREATED = re.compile(r"Creating '(.*)'")


def ThrowMarks(gcov, args):
    """Per source file and line, the "throw" flag of each arc in gcov's order."""
    run = subprocess.run([gcov, "--json-format", "--stdout"] + args, capture_output=True, text=True)
    marks = {}
    for text in run.stdout.splitlines():
        if not text.startswith("{"):
            continue
        for f in json.loads(text).get("files", []):
            lines = marks.setdefault(f["file"], {})
            for line in f["lines"]:
                lines.setdefault(line["line_number"], []).extend(b["throw"] for b in line["branches"])
    return marks


def Strip(path, marks):
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.readlines()
    source = next((l.split("Source:", 1)[1].strip() for l in lines[:3] if "Source:" in l), "")
    throws = marks.get(source, {})
    arcs = {}  # line number -> indexes in `lines` of its branch lines
    number, exceptional = 0, False
    for i, line in enumerate(lines):
        at = SOURCE.match(line)
        if at:
            number = int(at.group(1))
        elif line.startswith("branch"):
            arcs.setdefault(number, []).append(i)
    for number, where in arcs.items():
        flags = throws.get(number, [])
        if len(flags) != len(where):
            continue
        for i, thrown in zip(where, flags):
            if thrown and NEVER.match(lines[i]):
                lines[i] = NEVER.sub(r"\1taken 0 (throw)", lines[i])
    kept = []
    for line in lines:
        block = BLOCK.match(line)
        if block:
            exceptional = block.group(1).startswith("$$$$$")
            continue
        if SOURCE.match(line):
            exceptional = False
        elif exceptional and line.startswith("branch"):
            continue
        kept.append(line)
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.writelines(kept)


def Main(args):
    gcov = os.environ.get("GCOV", "gcov")
    if any(a.startswith("--help") or a == "--version" for a in args):
        return subprocess.call([gcov] + args)
    marks = ThrowMarks(gcov, args)
    run = subprocess.run([gcov, "--all-blocks"] + args, capture_output=True, text=True)
    for name in CREATED.findall(run.stdout):
        if os.path.exists(name):
            Strip(name, marks)
    sys.stdout.write(run.stdout)
    sys.stderr.write(run.stderr)
    return run.returncode


if __name__ == "__main__":
    sys.exit(Main(sys.argv[1:]))
