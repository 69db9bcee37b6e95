#!/usr/bin/env python3
"""Applies each plausible bug of scripts/mutations.txt alone to a copy of the
sources, rebuilds, runs the tests that need no office, display or browser,
and reports for each bug the test that caught it, or that none did, or that
it did not compile. The sources themselves are never changed.

    scripts/mutation.py [--jobs N] [--budget MINUTES] [--only TEXT] [--table FILE] [--list FILE] [FOLDER]

FOLDER (default build-mutation) holds one copy of the sources and one build
per job. --budget stops starting new bugs after so many minutes; --only runs
the bugs whose file or text contains TEXT; --table writes the results as a
Markdown table (for docs/testing.md). The last line is the score: "N of M
caught (K did not compile)". The exit code is 1 when a bug was missed.
"""
import argparse
import concurrent.futures
import datetime
import pathlib
import shutil
import subprocess
import sys
import threading
import time

root = pathlib.Path(__file__).resolve().parent.parent
LABELS_LEFT_OUT = "office|desktop|browser"


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder", nargs="?", default=str(root / "build-mutation"))
    parser.add_argument("--jobs", type=int, default=1, help="bugs tried at once (one build each)")
    parser.add_argument("--budget", type=float, default=0, help="minutes; 0 for no limit")
    parser.add_argument("--only", default="", help="bugs whose file or text contains this")
    parser.add_argument("--table", help="write the results as a Markdown table to this file")
    parser.add_argument("--list", default=str(root / "scripts" / "mutations.txt"),
                        help="the list of bugs (default scripts/mutations.txt)")
    return parser.parse_args()


def mutations(listing, only):
    """(file, original, bug, where it shows) of every line of the list."""
    for line in pathlib.Path(listing).read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) < 3:
            sys.exit(f"mutations.txt: not file<TAB>text<TAB>bug[<TAB>comment]: {line}")
        file, original, bug = fields[:3]
        shows = fields[3] if len(fields) > 3 else ""
        if only in file or only in original or only in bug:
            yield file, original, bug, shows


def run(command, cwd, log=None):
    out = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if log is not None:
        log.write_text(out.stdout)
    return out.returncode


class Worker:
    """A copy of the sources with a build of its own."""

    def __init__(self, folder, index):
        self.source = folder / f"source-{index}"
        self.build = folder / f"build-{index}"

    def prepare(self):
        # A fresh copy with fresh times, so that no object built from a bug
        # of an earlier run counts as up to date.
        shutil.rmtree(self.source, ignore_errors=True)
        shutil.copytree(root, self.source, symlinks=True, copy_function=shutil.copy,
                        ignore=lambda folder, names: [n for n in names if pathlib.Path(folder) == root and
                                                      (n.startswith("build") or n == ".git")])
        configure = ["cmake", "-S", str(self.source), "-B", str(self.build), "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                     "-DTAVRIX_OFFICE=OFF", "-DTAVRIX_BUILD_BENCHMARKS=OFF", "-DTAVRIX_WERROR=OFF"]
        if shutil.which("ccache"):
            configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        if run(configure, root) != 0 or self.compile() != 0:
            sys.exit(f"the unchanged sources do not build in {self.build}")
        failing = self.first_failure()
        if failing:
            sys.exit(f"{failing} fails on the unchanged sources in {self.build}: no bug could be told")

    def compile(self):
        return run(["cmake", "--build", str(self.build), "-j2"], root, self.build / "last-build.log")

    def first_failure(self):
        """The tests that fail, the first of them, or "" when all pass."""
        code = run(["ctest", "--test-dir", str(self.build), "-j2", "--stop-on-failure", "-LE", LABELS_LEFT_OUT,
                    "--timeout", "300"], root)
        if code == 0:
            return ""
        failed = self.build / "Testing" / "Temporary" / "LastTestsFailed.log"
        names = [line.split(":", 1)[1] for line in failed.read_text().splitlines() if ":" in line] \
            if failed.exists() else []
        return names[0] if names else "(ctest failed)"

    def trial(self, file, original, bug):
        path = self.source / file
        text = path.read_text()
        if text.count(original) != 1:
            return "skipped", "text not found once"
        try:
            path.write_text(text.replace(original, bug))
            if self.compile() != 0:
                return "did not compile", ""
            test = self.first_failure()
            return ("caught", test) if test else ("MISSED", "")
        finally:
            path.write_text(text)  # rebuilt with the next bug, or by the next run's fresh copy


def main():
    args = arguments()
    folder = pathlib.Path(args.folder).resolve()
    bugs = list(mutations(args.list, args.only))
    # The sources as they are copied now: the commit, marked when changed since.
    commit = subprocess.run(["git", "describe", "--always", "--dirty"], cwd=root, capture_output=True,
                            text=True).stdout.strip()
    workers = [Worker(folder, k) for k in range(max(1, args.jobs))]
    with concurrent.futures.ThreadPoolExecutor(len(workers)) as pool:
        list(pool.map(Worker.prepare, workers))

    deadline = time.monotonic() + args.budget * 60 if args.budget > 0 else None
    free = list(workers)
    lock = threading.Lock()
    results = [None] * len(bugs)

    def attempt(index):
        if deadline is not None and time.monotonic() > deadline:
            return index, ("not run", "out of time")
        with lock:
            worker = free.pop()
        try:
            file, original, bug, _ = bugs[index]
            return index, worker.trial(file, original, bug)
        finally:
            with lock:
                free.append(worker)

    with concurrent.futures.ThreadPoolExecutor(len(workers)) as pool:
        for index, (outcome, detail) in pool.map(attempt, range(len(bugs))):
            results[index] = (outcome, detail)
            file, _, bug, _ = bugs[index]
            print(f"{outcome}{': ' + detail if detail else ''} -- {file}: {bug}", flush=True)

    tried = [r for r in results if r[0] in ("caught", "MISSED", "did not compile")]
    caught = sum(1 for r in tried if r[0] == "caught")
    broken = sum(1 for r in tried if r[0] == "did not compile")
    missed = [bugs[i] for i, r in enumerate(results) if r[0] == "MISSED"]
    if args.table:
        write_table(pathlib.Path(args.table), bugs, results, commit)
    for file, _, bug, _ in missed:
        print(f"  missed: {file}: {bug}")
    left = len(bugs) - len(tried)
    print(f"{caught} of {len(tried) - broken} caught ({broken} did not compile"
          f"{f', {left} not run' if left else ''})")
    sys.exit(1 if missed else 0)


def write_table(path, bugs, results, commit):
    lines = [f"Run of {datetime.date.today()} on commit {commit}.", "",
             "| file | bug | shows on | result | caught by |", "|---|---|---|---|---|"]
    for (file, _, bug, shows), (outcome, detail) in zip(bugs, results):
        cell = bug.replace("|", "\\|")
        lines.append(f"| `{file}` | `{cell}` | {shows} | {outcome} | {detail if outcome == 'caught' else ''} |")
    path.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
