"""Data sheets and fits against the program on the same files: the fit as
`tavrix fit` prints it, the file it writes, the table, the export and the
calculated pK to the last printed digit, and the same messages."""

import csv
import re
import shutil
import warnings

import numpy as np
import pandas
import pytest

import tavrix
from conftest import EXAMPLES, sheet_arrays

NACL = EXAMPLES / "nacl.csv"
LIMITS = EXAMPLES / "nacl-limits.csv"


def variant(source, folder, edits, name="sheet.csv", german=False):
    """A copy of a CSV sheet with cells changed: {(row, col): text}, 1-based;
    with `german`, as a German spreadsheet saves it: ';' between fields,
    decimal commas and Windows-1252."""
    with open(source, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    for (row, col), text in edits.items():
        cells = rows[row - 1]
        cells += [""] * (col - len(cells))
        cells[col - 1] = text
    if german:
        rows = [[re.sub(r"^(-?\d+)\.(\d+)$", r"\1,\2", cell) for cell in row] for row in rows]
    path = folder / name
    with open(path, "w", newline="", encoding="cp1252" if german else "utf-8") as f:
        csv.writer(f, delimiter=";" if german else ",").writerows(rows)
    return path


FITS = [(NACL, {}), (LIMITS, {}), (LIMITS, {"limits": True}),
        (NACL, {"fit": ("pK298", "A")}, {(11, 5): "-129.21"}),
        (NACL, {}, {(15, 1): "300", (15, 2): "1", (20, 2): "10"})]  # two points at steam


@pytest.mark.parametrize("case", FITS, ids=["nacl", "limits", "limits-enforced", "held-B", "steam"])
def test_fit_writes_what_the_program_writes(tavrix_cli, tmp_path, monkeypatch, case):
    source, options, *edits = case
    mine = variant(source, tmp_path, edits[0] if edits else {}, "mine.csv")
    theirs = shutil.copy(mine, tmp_path / "theirs.csv")
    flags = (["--limits"] if options.get("limits") else []) + (
        ["--fit", ",".join(options["fit"])] if "fit" in options else [])

    out = tavrix_cli("fit", *flags, theirs)
    assert out.returncode == 0, out.stderr
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = tavrix.fit(tavrix.read_sheet(mine), **options)
    assert str(result) == out.stdout
    steam = [line for line in out.stderr.splitlines(keepends=True) if " is steam " in line]
    assert [f"{w.message}\n" for w in caught] == steam
    assert [w.category for w in caught] == [tavrix.SteamPointWarning] * len(steam)
    assert result.fitted == options.get("fit", ("pK298", "A", "B"))
    assert result.limits == (len(result.active_limits) > 0) == options.get("limits", False)
    assert set(result.active_limits) <= set(np.flatnonzero(result.sheet.points["kind"] == "limit"))

    tavrix.write_back(mine, result)
    assert open(mine, "rb").read() == open(theirs, "rb").read()

    assert result.table().text() == tavrix_cli("table", theirs).stdout

    monkeypatch.setenv("TAVRIX_HOME", str(tmp_path))
    assert tavrix.export(result) == str(tmp_path / "data.txt")
    tavrix_cli("export", "--to", tmp_path / "theirs.txt", theirs)
    assert open(tmp_path / "data.txt", "rb").read() == open(tmp_path / "theirs.txt", "rb").read()

    # The calculated pK: RB's at the points with the parameters as the fit
    # holds them (rb_pk is the program's pk: test_calculators.py).
    points = result.sheet.points
    assert np.array_equal(result.calculated,
                          tavrix.rb_pk(*result.params, points["t"], p_bar=points["p"]))
    assert np.array_equal(result.deviations, result.calculated - points["pK"])

    # The exports as the program gives them for the file the fit was
    # written into (pk() with u(pK): test_models.py).
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # the -analytic fit's deviation over 0-350 C
        exports = [(result.to_thermofun(), ["--format", "thermofun"]),
                   (result.to_phreeqc(), ["--format", "phreeqc"]),
                   (result.to_phreeqc((10, 200)), ["--format", "phreeqc", "--t", "10,200"]),
                   (result.logk_grid(), ["--format", "grid"]),
                   (result.logk_grid(t=np.arange(25, 351, 25), p=[0, 500], csv=True),
                    ["--format", "grid", "--t", "25:350:25", "--p", "0,500", "--csv"])]
    for text, flags in exports:
        assert text == tavrix_cli("export", *flags, theirs).stdout, flags


def test_exports_refuse_what_the_program_refuses():
    result = tavrix.fit(tavrix.read_sheet(NACL))
    with pytest.warns(UserWarning, match="deviates up to"):
        result.to_phreeqc()
    for call, error, text in [
            (lambda: result.pk(25), TypeError, "either p_bar or density"),
            (lambda: result.pk(25, 1, density=1), TypeError, "either p_bar or density"),
            (lambda: result.pk([25, 1e30], 1), ValueError, r"at most 10000 degrees C: .1e\+30"),
            (lambda: result.to_phreeqc((0, 400)), ValueError, "below 374 C"),
            (lambda: result.to_phreeqc((100, 50)), ValueError, "below 374 C"),
            (lambda: result.logk_grid(t=[-5]), ValueError, "'-5' leaves the range"),
            (lambda: result.logk_grid(p=[]), ValueError, "no values")]:
        with pytest.raises(error, match=text):
            call()
    # The names must balance, as the program requires.
    unbalanced = tavrix.DataSheet.from_arrays([25, 50, 100], [1, 2, 3], p=0, complex="CoCl4",
                                              species=[(1, "Co+2"), (4, "Cl-")])
    with pytest.raises(ValueError, match="CoCl4-2"):
        tavrix.fit(unbalanced).to_thermofun()
    # Three parameters fitted to three points: the uncertainties are not known.
    exact = tavrix.fit(unbalanced, fit=("pK298", "A", "B"))
    assert np.isnan(exact.uncertainties).all() and np.isnan(exact.pk(25, 1)[1])
    with pytest.raises(ValueError, match="u.logK. is not known"):
        exact.logk_grid()


def test_errors_are_the_programs(tavrix_cli, tmp_path):
    broken = tmp_path / "broken.csv"
    broken.write_text('a,"b\n')
    locked = shutil.copy(NACL, tmp_path / "open.csv")  # open in another office
    (tmp_path / ".~lock.open.csv#").write_text(",jane,lab-pc,07.12.2026 15:43,file:///p;")
    fitted, missing = shutil.copy(NACL, tmp_path / "fitted.csv"), tmp_path / "missing" / "data.txt"
    tavrix_cli("fit", fitted)
    same = {(15 + k, c): v for k in range(3) for c, v in ((1, "25"), (2, "0"), (4, "1"))}
    result = tavrix.fit(tavrix.read_sheet(NACL))
    read, fit = tavrix.read_sheet, lambda path, **kw: tavrix.fit(tavrix.read_sheet(path), **kw)
    dry = ("fit", "--dry-run")
    # Every fault of a sheet is the engine's (tests/datasheet); one shows how
    # they reach Python.
    cases = [(variant(NACL, tmp_path, {(16, 4): "-1"}), read, tavrix.SheetError, 2, dry),
             (tmp_path / "none.csv", read, FileNotFoundError, 1, dry),
             (tmp_path, read, IsADirectoryError, 1, dry),
             (broken, read, tavrix.BookError, 1, dry),
             (locked, lambda p: tavrix.write_back(p, result), tavrix.BookError, 1, ("fit",)),
             (fitted, lambda p: tavrix.export(tavrix.fit(read(p)), to=missing), FileNotFoundError,
              1, ("export", "--to", missing)),
             (variant(NACL, tmp_path, {**same, (18, 1): ""}, "same.csv"), fit, tavrix.FitError, 3,
              dry),
             (NACL, lambda p: fit(p, fit="pK298,A"), ValueError, 1, dry + ("--fit", "pK298,A")),
             (NACL, lambda p: fit(p, fit=("pK298", "C")), ValueError, 1,
              dry + ("--fit", "pK298,C"))]
    for path, call, error, code, command in cases:
        out = tavrix_cli(*command, path)
        with pytest.raises(error) as raised:
            call(path)
        e = raised.value
        assert out.returncode == code, command
        assert out.stderr.replace("--ignore-lock", "ignore_lock=True").replace(
            "--fit", "fit") == f"{e}\n"
        if error is tavrix.SheetError:
            assert e.message == str(e) and f"(row={e.row}, col={e.col})" in e.message and e.code > 0
        if error is tavrix.FitError:
            assert e.message == "Could not find solution" and e.reason
    tavrix.write_back(locked, result, ignore_lock=True)
    assert open(locked, "rb").read() != open(NACL, "rb").read()
    other = variant(NACL, tmp_path, {(20, 5): "-0.5"}, "other.csv")
    before = open(other, "rb").read()
    with pytest.raises(ValueError, match="does not hold the points"):
        tavrix.write_back(other, result)
    assert open(other, "rb").read() == before


# The dialects themselves are the CSV reader's (tests/sheet); here, that
# read_sheet and write_back take them as the program does, and `sep`.
def test_a_german_csv_reads_and_is_written_as_the_program_does(tavrix_cli, tmp_path):
    mine = variant(NACL, tmp_path, {(15, 8): "Müller"}, "mine.csv", german=True)
    theirs = shutil.copy(mine, tmp_path / "theirs.csv")
    assert tavrix_cli("fit", theirs).returncode == 0
    sheet = tavrix.read_sheet(mine, sep=";")
    assert sheet.points["comment"][0] == "Müller"
    tavrix.write_back(mine, tavrix.fit(sheet))
    assert open(mine, "rb").read() == open(theirs, "rb").read()
    with pytest.raises(tavrix.SheetError, match=r"\(row=2, col=1\)"):
        tavrix.read_sheet(mine, sep=",")
    with pytest.raises(ValueError, match="sep must be"):
        tavrix.read_sheet(mine, sep="|")


# The points given as pandas reads the point table, and as the sheet holds
# them (its columns are views with gaps between their values).
@pytest.mark.parametrize("source, limits", [(NACL, False), (LIMITS, True)])
def test_from_arrays_fits_as_the_sheet(source, limits):
    df, sheet = pandas.read_csv(source, skiprows=13), tavrix.read_sheet(source)
    arrays = tavrix.DataSheet.from_arrays(
        df["T, C"], df["exper."], p=df["P, bar"], density=df["D, g/cm3"], weight=df["weight"],
        comment=df["Comment"], complex="NaCl", species=["Na+", "Cl-"])
    assert arrays.points.tolist() == sheet_arrays(source).points.tolist() == sheet.points.tolist()
    # The same points fit alike; what else the sheet holds shows in the printed fit.
    assert str(tavrix.fit(arrays, limits=limits)) == str(tavrix.fit(sheet, limits=limits))


@pytest.mark.parametrize("arguments, error, text", [
    (dict(species=["Na+"] * 5), ValueError, "one to four basic species"),
    (dict(initial={"C": 1}), ValueError, "unknown parameter 'C'"),
    (dict(t=[25, np.nan]), ValueError, "t[1] is missing"),
    (dict(pK=[1.0]), ValueError, "pK has 1 values, t has 2"),
    (dict(p=["1", "2"]), TypeError, "p must be a number or an array of numbers, not text"),
    (dict(weight=[1, "x"]), tavrix.SheetError, "Invalid data format (row=16, col=4): weight[1]"),
    (dict(weight=[2, 1], upper_limit=[True, False]), ValueError, "has a weight"),
    (dict(p=[1, np.inf]), ValueError, "p[1] is no finite number"),
])
def test_from_arrays_names_the_offending_value(arguments, error, text):
    given = dict(t=[25, 50], pK=[-1.0, -0.9], p=[0, 0], complex="NaCl", species=["Na+", "Cl-"])
    with pytest.raises(error) as raised:
        tavrix.DataSheet.from_arrays(**{**given, **arguments})
    assert text in str(raised.value)
