#!/usr/bin/env python3
"""Mutation run: how many planted faults the tests catch, area by area.

    scripts/mutate.py AREA [--mutants N] [--seed S] [--work DIR] [--list] [--again]

AREA is one of platform, engine, data, dispatch, shell, modules (see AREAS).
The run copies the committed tree (HEAD) into DIR (default build-mutation),
builds it there once with ORBA_TESTDATA_DIR=/nonexistent (as on a machine
without the sample files), checks that the area's tests pass, then plants one
fault at a time at N points of the area's sources drawn with the seed, builds
and runs the area's tests against each, and puts the fault back. Each fault
is one of:

    comparison   a comparison flipped (== and !=, < and >=, > and <=)
    boundary     a bound moved by one (< and <=, > and >=)
    condition    the condition of an if or a while negated
    removal      a statement removed (a call, an assignment)
    constant     a number changed (0 and 1 swapped, n to n + 1), true and false swapped
    swap         two calls one after the other swapped

A fault that the tests notice (a failure or a time-out) is killed; one they
miss survived; one that does not compile is counted apart. The report, with
every survivor's file and line, is printed and written to DIR/report-AREA.md.
The same commit, area, count and seed give the same faults; so do later
commits that change only tests. --again, after tests were added, runs again
only the faults that survived in DIR/report-AREA.md and keeps the others'
outcomes (a test added cannot let a caught fault go).

Each fault is built and tested under cpu-lock when the machine has it, so
that other builds interleave between faults.
"""

import argparse
import io
import os
import random
import re
import shutil
import subprocess
import sys
import tarfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Sources (files or folders of .cpp files) and the CTest tests that cover
# them; each test's program is built before the tests run.
AREAS = {
    "platform": {
        "sources": ["src/platform/settings", "src/platform/formats", "src/platform/loader",
                    "src/platform/printers", "src/platform/version", "src/platform/session",
                    "src/platform/files", "src/platform/stream"],
        "tests": ["platform", "stream", "tools", "shell"],
    },
    "engine": {
        "sources": ["src/platform/paradox"],
        "tests": ["paradox", "data"],
    },
    "data": {
        "sources": ["src/data"],
        "tests": ["data", "shell"],
    },
    "dispatch": {
        "sources": ["src/dispatch"],
        "tests": ["dispatch", "module_header", "shell"],
    },
    # The stores and sessions of the desktop: what it reads and writes.
    "shell": {
        "sources": ["src/shell/LoginSession.cpp", "src/shell/CompanySwitch.cpp", "src/shell/DesktopStore.cpp",
                    "src/shell/ShellSettings.cpp", "src/shell/CompanyDefaults.cpp", "src/shell/Languages.cpp",
                    "src/shell/DataFolder.cpp", "src/shell/CompanySetup.cpp",
                    "src/shell/LanguageMenu.cpp", "src/shell/CompanyMenu.cpp", "src/shell/TrackerMenu.cpp",
                    "src/shell/ToolsMenu.cpp", "src/shell/MainMenuBuilder.cpp"],
        "tests": ["shell", "localization"],
    },
    # The system modules, and the kit they share.
    "modules": {
        "sources": ["modules/kit", "modules/company", "modules/users", "modules/tools", "modules/lists"],
        "tests": ["company", "ut03", "mtools", "lists"],
    },
}

# The program each CTest test runs.
PROGRAMS = {
    "platform": "test_platform", "stream": "test_stream", "tools": "test_tools", "shell": "test_shell",
    "paradox": "test_paradox", "data": "test_data", "dispatch": "test_dispatch",
    "module_header": "test_module_header", "localization": "test_localization", "company": "test_company",
    "ut03": "test_ut03", "mtools": "test_mtools", "lists": "test_lists",
}

OPERATORS = ["comparison", "boundary", "condition", "removal", "constant", "swap"]


# --------------------------------------------------------------------------
# Finding the points to mutate

def code_only(lines):
    """Each line with comments, string and character literals blanked out
    (same length, so that columns still match the source)."""
    out = []
    in_block = False
    for line in lines:
        chars = list(line)
        i = 0
        n = len(chars)
        while i < n:
            if in_block:
                end = line.find("*/", i)
                stop = n if end < 0 else end + 2
                for k in range(i, stop):
                    chars[k] = " "
                if end >= 0:
                    in_block = False
                i = stop
                continue
            c = line[i]
            if line.startswith("//", i):
                for k in range(i, n):
                    chars[k] = " "
                break
            if line.startswith("/*", i):
                in_block = True
                continue
            if c in "\"'":
                k = i + 1
                while k < n and line[k] != c:
                    k += 2 if line[k] == "\\" else 1
                for j in range(i + 1, min(k, n)):
                    chars[j] = " "
                i = k + 1
                continue
            i += 1
        out.append("".join(chars))
    return out


def matching_paren(code, open_at):
    depth = 0
    for k in range(open_at, len(code)):
        if code[k] == "(":
            depth += 1
        elif code[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


DECLARATION = re.compile(
    r"^\s*(std::|Q_|(return|break|continue|case|default|goto|throw|using|typedef|namespace|template|class|"
    r"struct|enum|static|const|constexpr|auto|bool|int|char|long|short|unsigned|double|float|void|QString|"
    r"QStringList|QByteArray|QVariant|QList|if|else|for|while|do|switch|try|catch|public|private|protected|"
    r"signals|emit)\b)")
STATEMENT = re.compile(r"^\s*[A-Za-z_*(][\w:.\->\[\]*()&]*\s*(\(|=|\+=|-=|\+\+|--)")
CALL = re.compile(r"^\s*[A-Za-z_][\w:.\->]*\(.*\);\s*$")
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
BOOL = re.compile(r"\b(true|false)\b")


def statement_line(code, prev):
    """A line that is one whole statement (a call or an assignment)."""
    text = code.strip()
    if not text.endswith(";") or text.count("(") != text.count(")"):
        return False
    if DECLARATION.match(code) or not STATEMENT.match(code):
        return False
    return prev.rstrip().endswith((";", "{", "}", ":")) or prev.strip() == ""


def points(path, rel):
    """Every mutation the file offers: (operator, line index, new line, what)."""
    lines = path.read_text(encoding="utf-8").split("\n")
    code = code_only(lines)
    found = []
    prev = ""
    for i, (line, c) in enumerate(zip(lines, code)):
        stripped = c.strip()
        if not stripped or stripped.startswith("#") or "static_assert" in c or "R\"" in line:
            prev = c if stripped else prev
            continue

        def replace(start, end, text, op, what):
            found.append((op, i, line[:start] + text + line[end:], what))

        for m in re.finditer(r" (==|!=|<=|>=|<|>) ", c):
            op = m.group(1)
            flipped = {"==": "!=", "!=": "==", "<": ">=", ">=": "<", ">": "<=", "<=": ">"}[op]
            replace(m.start(1), m.end(1), flipped, "comparison", f"{op} to {flipped}")
            if op in ("<", "<=", ">", ">="):
                moved = {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}[op]
                replace(m.start(1), m.end(1), moved, "boundary", f"{op} to {moved}")
        for m in re.finditer(r"\b(if|while) \(", c):
            open_at = m.end() - 1
            close = matching_paren(c, open_at)
            if close > 0:
                cond = line[open_at + 1:close]
                replace(open_at + 1, close, f"!({cond})", "condition", f"{m.group(1)} condition negated")
        for m in NUMBER.finditer(c):
            value = int(m.group(1))
            if m.start() > 0 and c[m.start() - 1] in "[":
                continue  # an array's size
            new = {0: 1, 1: 0}.get(value, value + 1)
            replace(m.start(1), m.end(1), str(new), "constant", f"{value} to {new}")
        for m in BOOL.finditer(c):
            new = "false" if m.group(1) == "true" else "true"
            replace(m.start(1), m.end(1), new, "constant", f"{m.group(1)} to {new}")
        if statement_line(c, prev):
            indent = line[: len(line) - len(line.lstrip())]
            found.append(("removal", i, indent + ";", "statement removed"))
            if i + 1 < len(lines):
                nxt = code[i + 1]
                if (CALL.match(c) and CALL.match(nxt) and statement_line(nxt, c)
                        and len(nxt) - len(nxt.lstrip()) == len(indent) and lines[i + 1].strip() != line.strip()):
                    found.append(("swap", i, lines[i + 1] + "\n" + line, "two calls swapped"))
        prev = c
    return [(rel, op, i, new, what) for (op, i, new, what) in found]


def sources(area, root):
    files = []
    for entry in AREAS[area]["sources"]:
        p = root / entry
        if p.is_dir():
            files += sorted(f for f in p.glob("*.cpp") if "Test" not in f.name)
        elif p.exists():
            files.append(p)
    return files


def sample(area, root, count, seed):
    everything = []
    for f in sources(area, root):
        everything += points(f, str(f.relative_to(root)))
    everything.sort()
    chosen = random.Random(f"{area}-{seed}").sample(everything, min(count, len(everything)))
    chosen.sort(key=lambda p: (p[0], p[2], p[1]))
    return chosen, len(everything)


# --------------------------------------------------------------------------
# The copy, its build and the runs

def commit():
    return subprocess.run(["git", "-C", str(ROOT), "rev-parse", "HEAD"], check=True, capture_output=True,
                          text=True).stdout.strip()


def sync_copy(work):
    """Makes work/ hold the files of HEAD, touching only what differs."""
    work.mkdir(parents=True, exist_ok=True)
    archive = subprocess.run(["git", "-C", str(ROOT), "archive", "--format=tar", "HEAD"], check=True,
                             capture_output=True).stdout
    wanted = set()
    with tarfile.open(fileobj=io.BytesIO(archive)) as tar:
        for member in tar.getmembers():
            if not member.isfile():
                continue
            wanted.add(member.name)
            data = tar.extractfile(member).read()
            target = work / member.name
            if target.exists() and target.read_bytes() == data:
                continue
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_bytes(data)
            target.chmod(member.mode)
    for dirpath, dirnames, filenames in os.walk(work):
        rel = Path(dirpath).relative_to(work)
        if rel.parts and rel.parts[0] == "build":
            dirnames[:] = []
            continue
        for name in filenames:
            r = str(rel / name) if rel.parts else name
            if r not in wanted and not name.startswith("report-"):
                (Path(dirpath) / name).unlink()


def locked(command):
    """A shell command, under cpu-lock when the machine has it."""
    prefix = ["cpu-lock"] if shutil.which("cpu-lock") else []
    return prefix + ["bash", "-c", command]


def build_and_test(work, area, timeout):
    """0 passed, 1 a test failed or timed out, 2 did not build."""
    build = work / "build"
    # One test after the other, the area's own first: the first failure
    # ends the run, and what it does not need is not built.
    steps = []
    for test in AREAS[area]["tests"]:
        steps.append(f"ninja -C '{build}' {PROGRAMS[test]} >> '{build}/mutant-build.log' 2>&1 || exit 102")
        steps.append(f"GTEST_FAIL_FAST=1 ctest --test-dir '{build}' -R '^{test}$' --timeout {timeout} "
                     f">> '{build}/mutant-test.log' 2>&1 || exit 101")
    # The time is taken inside the lock: waiting for other builds is not the tests' time.
    script = (f"rm -f '{build}'/mutant-*.log; started=$(date +%s%N); " + "; ".join(steps)
              + f"; echo $(( ($(date +%s%N) - started) / 1000000000 + 1 )) > '{build}/mutant-seconds'")
    try:
        rc = subprocess.run(locked(script), timeout=timeout * 4 + 600).returncode
    except subprocess.TimeoutExpired:
        return 1
    return {0: 0, 101: 1, 102: 2}.get(rc, 1)


def configure(work):
    build = work / "build"
    if (build / "build.ninja").exists():
        return
    subprocess.run(locked(f"cmake -S '{work}' -B '{build}' -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "
                          f"-DORBA_TESTDATA_DIR=/nonexistent > '{work}/configure.log' 2>&1"), check=True)


EVERY = re.compile(r"^- (killed|survived|not compiling): (\S+):(\d+) \((\w+): (.*)\)$")


def previous_outcomes(report):
    """(file, line, operator, what) to outcome, from an earlier report."""
    outcomes = {}
    if report.exists():
        for line in report.read_text(encoding="utf-8").splitlines():
            m = EVERY.match(line)
            if m:
                outcomes[(m.group(2), int(m.group(3)), m.group(4), m.group(5))] = m.group(1)
    return outcomes


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("area", choices=sorted(AREAS))
    parser.add_argument("--mutants", type=int, default=30, help="how many points to mutate (30)")
    parser.add_argument("--seed", default="19", help="the seed that draws them (19)")
    parser.add_argument("--work", default=str(ROOT / "build-mutation"), help="the copy and its build")
    parser.add_argument("--list", action="store_true", help="only list the mutants drawn")
    parser.add_argument("--again", action="store_true", help="run again only the last report's survivors")
    args = parser.parse_args()
    work = Path(args.work).resolve()

    head = commit()
    if args.list:
        chosen, total = sample(args.area, ROOT, args.mutants, args.seed)
        for rel, op, i, new, what in chosen:
            print(f"{rel}:{i + 1}: {op}: {what}: {new.strip()}")
        print(f"{len(chosen)} of {total} points")
        return 0

    earlier = previous_outcomes(work / f"report-{args.area}.md") if args.again else {}
    sync_copy(work)
    configure(work)
    chosen, total = sample(args.area, work, args.mutants, args.seed)
    print(f"{args.area}: {len(chosen)} mutants of {total} points, seed {args.seed}, commit {head[:12]}", flush=True)

    if build_and_test(work, args.area, 900) != 0:
        print(f"the tests do not pass unmutated (see {work}/build/mutant-*.log)", file=sys.stderr)
        return 2
    # Timed again once built, so that a fault that makes a test hang waits
    # three times the tests' own time, not three times a whole build's.
    build_and_test(work, args.area, 900)
    timeout = max(60, int((work / "build" / "mutant-seconds").read_text()) * 3)

    results = []
    for n, (rel, op, i, new, what) in enumerate(chosen, 1):
        kept = earlier.get((rel, i + 1, op, what))
        if kept and kept != "survived":
            results.append((rel, i + 1, op, what, "", kept))
            print(f"[{n}/{len(chosen)}] {kept} (earlier run): {rel}:{i + 1} {op}: {what}", flush=True)
            continue
        path = work / rel
        original = path.read_text(encoding="utf-8")
        lines = original.split("\n")
        mutated = lines[:i] + new.split("\n") + lines[i + 1 + new.count("\n"):]
        try:
            path.write_text("\n".join(mutated), encoding="utf-8")
            outcome = build_and_test(work, args.area, timeout)
        finally:
            path.write_text(original, encoding="utf-8")
        status = {0: "survived", 1: "killed", 2: "not compiling"}[outcome]
        results.append((rel, i + 1, op, what, lines[i].strip(), status))
        print(f"[{n}/{len(chosen)}] {status}: {rel}:{i + 1} {op}: {what}", flush=True)

    killed = sum(1 for r in results if r[5] == "killed")
    survived = [r for r in results if r[5] == "survived"]
    broken = sum(1 for r in results if r[5] == "not compiling")
    counted = killed + len(survived)
    rate = 100.0 * killed / counted if counted else 0.0
    report = [f"# Mutation run: {args.area}", "",
              f"commit {head}, seed {args.seed}, {len(chosen)} mutants drawn from {total} points "
              f"of {', '.join(AREAS[args.area]['sources'])}; tests {', '.join(AREAS[args.area]['tests'])}.", "",
              f"killed {killed}, survived {len(survived)}, not compiling {broken}: "
              f"{rate:.0f} % of the mutants that compile are killed."
              + (" Survivors of the earlier run run again; other outcomes kept from it." if earlier else ""), ""]
    if survived:
        report += ["## Survived", ""] + [f"- {r[0]}:{r[1]} ({r[2]}: {r[3]}) `{r[4]}`" for r in survived] + [""]
    report += ["## Every mutant", ""] + [f"- {r[5]}: {r[0]}:{r[1]} ({r[2]}: {r[3]})" for r in results]
    text = "\n".join(report) + "\n"
    (work / f"report-{args.area}.md").write_text(text, encoding="utf-8")
    print(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
