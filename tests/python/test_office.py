"""Workbooks through the private LibreOffice: read and fitted as the program
does, and no office left behind by a Python that is interrupted."""

import os
import pathlib
import shutil
import signal
import subprocess
import sys
import time

import pytest

import tavrix
from conftest import EXAMPLES

pytestmark = pytest.mark.office

NACL_ODS = EXAMPLES / "nacl.ods"


def test_a_workbook_reads_and_fits_as_the_program_does(tavrix_cli, tmp_path):
    workbook = tavrix.read_sheet(NACL_ODS)
    assert (workbook.sheet, len(workbook)) == ("nacl", 60)
    assert workbook.points.tolist() == tavrix.read_sheet(EXAMPLES / "nacl.csv").points.tolist()
    book = tavrix.read_book(NACL_ODS)
    assert list(book) == ["nacl"] and book["nacl"].points.tolist() == workbook.points.tolist()

    result = tavrix.fit(workbook)
    assert str(result) == tavrix_cli("fit", "--dry-run", NACL_ODS).stdout

    copy = shutil.copy(NACL_ODS, tmp_path / "copy.ods")
    tavrix.write_back(copy, result)
    assert tavrix_cli("table", copy).stdout == result.table().text()

    out = tavrix_cli("check", "--sheet", "none", copy)
    with pytest.raises(tavrix.BookError) as raised:
        tavrix.read_sheet(copy, sheet="none")
    assert out.stderr == f"{raised.value}\n"


def processes():
    """(pid, parent, session) of every process that runs (not of the ended
    ones that wait to be reaped)."""
    found = []
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            stat = (entry / "stat").read_text()
        except (OSError, ValueError):
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        if fields[0] != "Z":
            found.append((int(entry.name), int(fields[1]), int(fields[3])))
    return found


CHILD = """
import sys, time, tavrix
tavrix.read_sheet(sys.argv[1])
print("ready", flush=True)
time.sleep(120)
"""


def running(sessions):
    """The processes that run in the sessions."""
    return [pid for pid, _, session in processes() if session in sessions]


@pytest.mark.parametrize("interruption", [signal.SIGTERM, signal.SIGINT, signal.SIGKILL])
def test_an_interrupted_python_leaves_no_office(tmp_path, interruption):
    """However Python ends (kill -9: a notebook kernel restarted, an
    out-of-memory kill), within 5 s no office of its own runs, and after the
    next start nothing of it is left."""
    env = dict(os.environ, TMPDIR=str(tmp_path))
    child = subprocess.Popen([sys.executable, "-c", CHILD, str(NACL_ODS)], env=env,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    offices = set()
    try:
        assert child.stdout.readline() == "ready\n"
        # The office runs in a session of its own, led by a child of Python.
        offices = {session for pid, parent, session in processes() if parent == child.pid}
        assert offices and any(p.name.startswith("tavrix-office-") for p in tmp_path.iterdir())
        child.send_signal(interruption)
        assert child.wait(timeout=60) == -interruption
        deadline = time.monotonic() + 5
        while running(offices) and time.monotonic() < deadline:
            time.sleep(0.05)
        left = running(offices)
    finally:
        child.kill()
        for session in offices:  # whatever a failing test leaves
            try:
                os.killpg(session, signal.SIGKILL)
            except OSError:
                pass
    assert not left, (offices, left, child.pid)
    subprocess.run([sys.executable, "-c", "import sys, tavrix; tavrix.read_sheet(sys.argv[1])",
                    str(NACL_ODS)], env=env, check=True)
    assert list(tmp_path.iterdir()) == []
