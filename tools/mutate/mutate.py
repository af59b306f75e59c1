#!/usr/bin/env python3
"""The project's mutation check: small faults applied to src/, the suite must catch them.

Each mutant changes one token of one line of a C++ file under src/ (a comparison, a logical
operator, an arithmetic operator, a small integer, a boolean, a negation), the build is redone
incrementally and the test suite runs; the mutant is killed when a test fails (or times out),
stillborn when it does not build, and survives when every test passes.

The candidates are listed in a fixed order and drawn with a seeded generator, so the same seed
on the same sources gives the same mutants: run it before and after a change to the tests and
compare the two reports with --compare.

  tools/mutate/mutate.py --build build --count 60 --seed 1 --report before.csv
  tools/mutate/mutate.py --build build --files src/encode/Encodewalk.cpp --report walk.csv
  tools/mutate/mutate.py --build build --replay before.csv --report after.csv
  tools/mutate/mutate.py --compare before.csv after.csv
  tools/mutate/mutate.py --list --files src/strain/Strainfield.cpp

It edits the files of the worktree it runs in (always putting them back, also on Ctrl-C), so
run it in a worktree of its own, with a configured build folder.
"""

import argparse
import csv
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]

# (name, pattern, replacement). Binary operators are matched with the blanks clang-format puts
# around them, which keeps template brackets, pointers and unary signs out.
OPERATORS = [
    ("lt->le", r" < ", " <= "),
    ("le->lt", r" <= ", " < "),
    ("gt->ge", r" > ", " >= "),
    ("ge->gt", r" >= ", " > "),
    ("eq->ne", r" == ", " != "),
    ("ne->eq", r" != ", " == "),
    ("and->or", r" && ", " || "),
    ("or->and", r" \|\| ", " && "),
    ("plus->minus", r" \+ ", " - "),
    ("minus->plus", r" - ", " + "),
    ("mul->div", r" \* ", " / "),
    ("div->mul", r" / ", " * "),
    ("addeq->subeq", r" \+= ", " -= "),
    ("subeq->addeq", r" -= ", " += "),
    ("true->false", r"\btrue\b", "false"),
    ("false->true", r"\bfalse\b", "true"),
    ("not->", r"\(!(?!=)", "("),
]
SPACED = {name for name, pattern, _ in OPERATORS if pattern.startswith(" ")}
INTEGER = re.compile(r"(?<![\w.])(\d{1,3})(?![\w.])")


def blank_literals(line):
    """The line with string and character literals and // comments blanked, same length."""
    out, i, n = [], 0, len(line)
    while i < n:
        c = line[i]
        if c == "/" and i + 1 < n and line[i + 1] == "/":
            out.append(" " * (n - i))
            break
        if c in "\"'":
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(c + " " * (j - i - 2) + (c if j - i >= 2 else ""))
            i = j
            continue
        out.append(c)
        i += 1
    return "".join(out)


def skip_line(stripped):
    return (not stripped or stripped.startswith(("#", "//", "*", "/*", "static_assert"))
            or "TError(" in stripped and stripped.count('"') >= 2 and " ? " not in stripped)


def candidates(files):
    """Every mutant of the files, in a fixed order: (file, line number, column, name, old, new)."""
    found = []
    for path in files:
        text = (ROOT / path).read_text(encoding="utf-8", errors="replace").split("\n")
        in_block = False
        for number, line in enumerate(text, 1):
            stripped = line.strip()
            if in_block:
                in_block = "*/" not in stripped
                continue
            if stripped.startswith("/*"):
                in_block = "*/" not in stripped
                continue
            if skip_line(stripped):
                continue
            clean = blank_literals(line)
            for name, pattern, replacement in OPERATORS:
                for m in re.finditer(pattern, clean):
                    found.append((path, number, m.start(), name, m.group(0), replacement))
            if not re.match(r"\s*(case\b|enum\b|namespace\b)", clean):
                for m in INTEGER.finditer(clean):
                    value = int(m.group(1))
                    found.append((path, number, m.start(), "int+1", m.group(1), str(value + 1)))
    return found


def replayed(report):
    """The mutants of an earlier report, found again by their line's text (lines may have moved)."""
    out = []
    with open(report, newline="") as f:
        for r in csv.DictReader(f):
            path = r["file"]
            try:
                text = (ROOT / path).read_text(encoding="utf-8", errors="replace").split("\n")
            except OSError:
                print("mutate: %s is gone; its mutant is left out" % path)
                continue
            wanted, number = r["text"], int(r["line"])
            hits = [i for i, line in enumerate(text, 1) if line.strip() == wanted]
            if not hits:
                print("mutate: %s:%s changed; its mutant is left out" % (path, number))
                continue
            line_no = min(hits, key=lambda i: abs(i - number))
            line = text[line_no - 1]
            col = len(line) - len(line.lstrip()) + int(r["offset"])
            new = r["new"] if r["mutation"] not in SPACED else " %s " % r["new"]
            old = line[col:col + len(r["old"]) + (2 if r["mutation"] in SPACED else 0)]
            out.append((path, line_no, col, r["mutation"], old, new))
    return out


def source_files(args):
    if args.files:
        return [str(Path(f)) for f in args.files]
    out = []
    for p in sorted((ROOT / "src").rglob("*")):
        if p.suffix in (".cpp", ".h") and not any(x in p.parts for x in args.exclude):
            out.append(str(p.relative_to(ROOT)))
    return out


def run(cmd, timeout):
    try:
        done = subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout)
        return done.returncode, done.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, ""


class Restorer:
    """Puts a mutated file back whatever ends the run."""

    def __init__(self):
        self.path, self.text = None, None
        for s in (signal.SIGINT, signal.SIGTERM):
            signal.signal(s, self.on_signal)

    def hold(self, path, text):
        self.path, self.text = path, text

    def restore(self):
        if self.path is not None:
            self.path.write_bytes(self.text)
            self.path = None

    def on_signal(self, number, _frame):
        self.restore()
        sys.exit(128 + number)


def mutate(args):
    if args.replay:
        chosen = replayed(args.replay)
        all_mutants = chosen
    else:
        all_mutants = candidates(source_files(args))
        rng = random.Random(args.seed)
        if 0 < args.count < len(all_mutants):
            picked = set(rng.sample(range(len(all_mutants)), args.count))
            chosen = [m for i, m in enumerate(all_mutants) if i in picked]
        else:
            chosen = all_mutants
    if args.list:
        for m in chosen:
            print("%s:%d:%d %s" % m[:4])
        print("%d of %d candidates" % (len(chosen), len(all_mutants)))
        return 0
    build = str(Path(args.build).resolve())
    code, out = run(["cmake", "--build", build, "-j", str(args.jobs)], None)
    if code != 0:
        print(out[-3000:])
        print("mutate: the unmutated tree does not build")
        return 2
    ctest = ["ctest", "--test-dir", build, "-j", str(args.jobs), "--stop-on-failure",
             "--timeout", str(args.test_timeout)]
    if args.tests:
        ctest += ["-R", args.tests]
    code, out = run(ctest, None)
    if code != 0:
        print(out[-3000:])
        print("mutate: the suite fails before any mutation")
        return 2
    restorer = Restorer()
    rows = []
    counts = {"killed": 0, "survived": 0, "stillborn": 0}
    for i, (path, number, col, name, old, new) in enumerate(chosen, 1):
        file = ROOT / path
        original = file.read_bytes()
        lines = original.decode("utf-8", errors="surrogateescape").split("\n")
        line = lines[number - 1]
        lines[number - 1] = line[:col] + new + line[col + len(old):]
        restorer.hold(file, original)
        started = time.time()
        try:
            file.write_bytes("\n".join(lines).encode("utf-8", errors="surrogateescape"))
            code, _ = run(["cmake", "--build", build, "-j", str(args.jobs)], args.build_timeout)
            if code != 0:
                status = "stillborn"
            else:
                code, out = run(ctest, args.suite_timeout)
                status = "survived" if code == 0 else "killed"
        finally:
            restorer.restore()
            os.utime(file)  # the next build recompiles the restored file
        counts[status] += 1
        indent = len(line) - len(line.lstrip())
        rows.append([path, number, col - indent, name, old.strip(), new.strip(), status,
                     "%.0f" % (time.time() - started), line.strip()])
        print("[%d/%d] %s:%d %s %s" % (i, len(chosen), path, number, name, status), flush=True)
    run(["cmake", "--build", build, "-j", str(args.jobs)], None)
    if args.report:
        with open(args.report, "w", newline="") as f:
            w = csv.writer(f)
            w.writerow(["file", "line", "offset", "mutation", "old", "new", "status", "seconds",
                        "text"])
            w.writerows(rows)
    live = counts["killed"] + counts["survived"]
    print("mutants %d: killed %d, survived %d, stillborn %d; score %.1f %%" % (
        len(chosen), counts["killed"], counts["survived"], counts["stillborn"],
        100.0 * counts["killed"] / live if live else 0.0))
    for r in rows:
        if r[6] == "survived":
            print("survived: %s:%s %s (%s -> %s)" % (r[0], r[1], r[3], r[4], r[5]))
    return 0


def compare(before_file, after_file):
    def load(name):
        with open(name, newline="") as f:
            return {(r["file"], r["text"], r["offset"], r["mutation"]): r["status"]
                    for r in csv.DictReader(f)}
    before, after = load(before_file), load(after_file)
    lost = [k for k, s in before.items() if s == "killed" and after.get(k) == "survived"]
    gained = [k for k, s in before.items() if s == "survived" and after.get(k) == "killed"]
    for name, table in (("before", before), ("after", after)):
        values = list(table.values())
        print("%-6s killed %d, survived %d, stillborn %d" % (
            name, values.count("killed"), values.count("survived"), values.count("stillborn")))
    for k in lost:
        print("no longer killed: %s: %s (%s at %s)" % (k[0], k[1], k[3], k[2]))
    for k in gained:
        print("now killed: %s: %s (%s at %s)" % (k[0], k[1], k[3], k[2]))
    missing = [k for k in before if k not in after]
    if missing:
        print("%d mutants of the first report are not in the second" % len(missing))
    return 1 if lost else 0


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--build", default="build", help="configured build folder (default build)")
    p.add_argument("--files", nargs="*", help="mutate only these files (paths from the root)")
    p.add_argument("--exclude", nargs="*", default=["icons"], help="folder names to leave out")
    p.add_argument("--count", type=int, default=40, help="mutants to draw; 0 for all")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--tests", help="ctest -R pattern (default: the whole suite)")
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--test-timeout", type=int, default=120, help="seconds per test")
    p.add_argument("--suite-timeout", type=int, default=900, help="seconds per suite run")
    p.add_argument("--build-timeout", type=int, default=900)
    p.add_argument("--report", help="write every mutant's result as CSV")
    p.add_argument("--replay", metavar="REPORT",
                   help="run the mutants of an earlier report again (found by their line's text)")
    p.add_argument("--list", action="store_true", help="list the chosen mutants and stop")
    p.add_argument("--compare", nargs=2, metavar=("BEFORE", "AFTER"),
                   help="compare two reports; fails when a mutant killed before survives")
    args = p.parse_args()
    if args.compare:
        return compare(*args.compare)
    return mutate(args)


if __name__ == "__main__":
    sys.exit(main())
