"""Workbooks through the private LibreOffice: read and fitted as the program
does, and no office left behind by a Python that is interrupted."""

import contextlib
import os
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


def offices_in(folder):
    """The processes of the offices whose profile is in the folder."""
    found = subprocess.run(["pgrep", "-f", f"UserInstallation=file://{folder}/"],
                           capture_output=True, text=True).stdout
    return [int(pid) for pid in found.split()]


READ = "import sys, time, tavrix; tavrix.read_sheet(sys.argv[1])"


@pytest.mark.parametrize("interruption", [signal.SIGTERM, signal.SIGINT, signal.SIGKILL])
def test_an_interrupted_python_leaves_no_office(tmp_path, interruption):
    """However Python ends (kill -9: a notebook kernel restarted, an
    out-of-memory kill), within 5 s no office of its own runs, and after the
    next start nothing of it is left."""
    env = dict(os.environ, TMPDIR=str(tmp_path))
    child = subprocess.Popen(
        [sys.executable, "-c", READ + "; print('ready', flush=True); time.sleep(120)", NACL_ODS],
        env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        assert child.stdout.readline() == "ready\n"
        assert offices_in(tmp_path)
        child.send_signal(interruption)
        assert child.wait(timeout=60) == -interruption
        deadline = time.monotonic() + 5
        while (left := offices_in(tmp_path)) and time.monotonic() < deadline:
            time.sleep(0.05)
    finally:
        child.kill()
        for pid in offices_in(tmp_path):  # whatever a failing test leaves
            with contextlib.suppress(OSError):
                os.kill(pid, signal.SIGKILL)
    assert not left, (left, child.pid)
    subprocess.run([sys.executable, "-c", READ, NACL_ODS], env=env, check=True)
    assert list(tmp_path.iterdir()) == []
