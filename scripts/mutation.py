#!/usr/bin/env python3
"""Applies each plausible bug of scripts/mutations.txt alone to the sources,
rebuilds, runs the tests that need no office or display, and reports the
bugs the tests did not catch. The sources are restored after each one.

    scripts/mutation.py [BUILD_DIR]      (default: build-mutation)
"""
import pathlib
import subprocess
import sys

root = pathlib.Path(__file__).resolve().parent.parent
build = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else root / "build-mutation"


def run(*command):
    return subprocess.run(command, cwd=root, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode


def mutations():
    for line in (root / "scripts" / "mutations.txt").read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            yield line.split("\t")


if run("cmake", "-S", ".", "-B", str(build), "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DTAVRIX_OFFICE=OFF",
       "-DTAVRIX_BUILD_BENCHMARKS=OFF") != 0 or run("cmake", "--build", str(build), "-j2") != 0:
    sys.exit("the unchanged sources do not build")

missed = []
total = 0
for file, original, bug in mutations():
    path = root / file
    text = path.read_text()
    if text.count(original) != 1:
        print(f"SKIPPED (text not found once): {file}: {original}")
        continue
    total += 1
    try:
        path.write_text(text.replace(original, bug))
        built = run("cmake", "--build", str(build), "-j2") == 0
        caught = not built or run("ctest", "--test-dir", str(build), "-j2", "--stop-on-failure", "-LE",
                                  "office|desktop") != 0
    finally:
        path.write_text(text)
    print(("caught " if caught else "MISSED ") + f"{file}: {bug}", flush=True)
    if not caught:
        missed.append(f"{file}: {bug}")

run("cmake", "--build", str(build), "-j2")
print(f"{total - len(missed)} of {total} caught")
for bug in missed:
    print("  missed:", bug)
sys.exit(1 if missed else 0)
