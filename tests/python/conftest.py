"""What the tests of the Python module share: the program `tavrix` built
beside the module, whose own output every result is compared with, and the
example sheets."""

import os
import pathlib
import subprocess

import numpy as np
import pytest

import tavrix

EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"


def pytest_configure(config):
    config.addinivalue_line("markers", "office: needs a real LibreOffice")


@pytest.fixture(scope="session")
def tavrix_cli(tmp_path_factory):
    """Runs the program: tavrix_cli(*args, stdin=None) -> CompletedProcess,
    in the C locale, with its home folder (data.txt) in a folder of its own."""
    program = os.environ.get("TAVRIX_PROGRAM")
    if not program:
        pytest.fail("TAVRIX_PROGRAM must name the tavrix program (ctest sets it)")
    home = tmp_path_factory.mktemp("cli-home")

    def run(*args, stdin=None):
        env = dict(os.environ, LC_ALL="C.UTF-8", TAVRIX_HOME=str(home))
        return subprocess.run([program, *map(str, args)], input=stdin, capture_output=True,
                              text=True, env=env, check=False)

    return run


def program_lines(tavrix_cli, args, t, second):
    """The fields of each line the program prints for the pairs on its standard input."""
    out = tavrix_cli(*args, "-", stdin="\n".join(f"{a!r} {b!r}" for a, b in zip(t, second)) + "\n")
    assert out.returncode == 0, out.stderr
    return [line.split("\t") for line in out.stdout.splitlines()]


def rows(model, T, rho):
    """The model's basis at T (K) and rho (g/cm3), as docs/models.md writes it."""
    one, L = np.ones_like(T), np.log10(rho)
    return {
        "density3": [one, 1 / T, L],
        "density5": [one, 1 / T, T**-2.0, L, L / T],
        "density7": [one, 1 / T, T**-2.0, T**-3.0, L, L / T, L * T**-2.0],
    }[model]


def design(sheet, model):
    """The weighted points' basis rows, weights and pK. The program holds T
    in single precision; RB's rows come from its own pK with unit parameters."""
    p = sheet.points[sheet.points["kind"] == "weighted"]
    t, rho = p["t"].astype(float), p["density"].astype(float)
    if model == "rb":
        X = np.column_stack([tavrix.rb_pk(*unit, t, density=rho) for unit in np.eye(3)])
    else:
        T = (t + 273.15).astype(np.float32).astype(float)
        X = np.column_stack(rows(model, T, rho))
    return X, p["weight"].astype(float), p["pK"].astype(float)


def sheet_arrays(source=EXAMPLES / "nacl.csv", weight=None, initial=None):
    """A sheet's points given as arrays, with other weights or initial values."""
    sheet = tavrix.read_sheet(source)
    p = sheet.points
    density = np.where(np.isnan(p["p"]), p["density"], np.nan)  # as the sheet gives them
    return tavrix.DataSheet.from_arrays(
        p["t"], p["pK"], p=p["p"], density=density, upper_limit=p["kind"] == "limit",
        weight=p["weight"] if weight is None else weight, comment=p["comment"],
        complex=sheet.complex, species=sheet.species, initial=initial)
