"""sat_pressure, water_density, rb_pk and pk_table against the program's
calculators (tavrix water, pk, table) on the same inputs: every printed
digit equal, and the same messages."""

import numpy as np
import pytest

import tavrix

# Temperatures (C) and pressures (bar; 0 = saturation) as the program holds
# them, in single precision: edges of the saturation curve, the critical
# point and the ranges, then random pairs.
EDGES = [(25, 1), (100, 0), (0.01, 0), (-50, 1), (373.9, 0), (374.5, 0), (500, 1),
         (1000, 5000), (25, 100000), (10000, 100000), (300, 1), (374.1, 220)]


def pairs(seed, n=300):
    rng = np.random.default_rng(seed)
    t = rng.uniform(-30, 1100, n)
    p = np.where(rng.random(n) < 0.3, 0.0, rng.uniform(0.5, 6000, n))
    t = np.concatenate([[e[0] for e in EDGES], t]).astype(np.float32)
    p = np.concatenate([[e[1] for e in EDGES], p]).astype(np.float32)
    return t.astype(float), p.astype(float)


def program_lines(tavrix_cli, args, t, second):
    """The fields of each line the program prints for the pairs on its standard input."""
    out = tavrix_cli(*args, "-", stdin="\n".join(f"{a!r} {b!r}" for a, b in zip(t, second)) + "\n")
    assert out.returncode == 0, out.stderr
    return [line.split("\t") for line in out.stdout.splitlines()]


def g(x, digits):
    return "?" if np.isnan(x) else f"%.{digits}g" % x


def test_water_equals_the_programs_water(tavrix_cli):
    t, p = pairs(1)
    lines = program_lines(tavrix_cli, ["water"], t, p)
    saturation = tavrix.sat_pressure(t)
    density = tavrix.water_density(t, p)
    for k, fields in enumerate(lines):
        if fields[1] == "P(sat) does not exist":
            assert np.isnan(density[k]) and np.isnan(saturation[k]), fields
            continue
        sat = "-" if np.isnan(saturation[k]) else g(saturation[k], 9)
        assert [fields[2], fields[3]] == [sat, g(density[k], 9)], fields
    assert len(lines) == len(t)


@pytest.mark.parametrize("parameters", [(-1.229, 0.566, -129.21), (4.123456789012345, -3.25, 1e4)])
def test_pk_equals_the_programs_pk(tavrix_cli, parameters):
    pK298, A, B = parameters
    options = ["--pk298", repr(pK298), "--A", repr(A), "--B", repr(B)]
    t, p = pairs(2)
    rho = np.random.default_rng(3).uniform(0.05, 2, len(t)).astype(np.float32).astype(float)
    for second, by_density in ((p, False), (rho, True)):
        flags = ["--density"] if by_density else []
        kwargs = {"density": second} if by_density else {"p_bar": second}
        pK = tavrix.rb_pk(pK298, A, B, t, **kwargs)
        for k, fields in enumerate(program_lines(tavrix_cli, ["pk", *options, *flags], t, second)):
            value = fields[3].split(" ")[0].rstrip("?")  # the number, without its mark
            if value in ("---", "error"):
                assert np.isnan(pK[k]), fields
            else:
                assert value == g(pK[k], 10), fields


TABLES = [
    dict(pk298=-1.229, A=0.566, B=-129.21, species=["Na+", "Cl-"], complex="NaCl"),
    dict(pk298=-0.2, A=1.25, B=-310.0, species=["Ca+2", "SO4-2"], complex="CaSO4°",
         no_limits=True),
    dict(pk298=0.5, A=1e35, B=0.0, species=["Na+"], complex="x"),
]


def table_args(case, excel):
    args = ["table", "--pk298", repr(case["pk298"]), "--A", repr(case["A"]), "--B",
            repr(case["B"]), "--complex", case["complex"]]
    for s in case["species"]:
        args += ["--species", s]
    return args + (["--ie"] if case.get("no_limits") else []) + (["--excel"] if excel else [])


@pytest.mark.parametrize("case", TABLES, ids=[c["complex"] for c in TABLES])
def test_pk_table_equals_the_programs_table(tavrix_cli, case):
    table = tavrix.pk_table(**case)
    for excel in (False, True):
        out = tavrix_cli(*table_args(case, excel))
        assert out.returncode == 0, out.stderr
        assert table.text(excel=excel) == out.stdout
    # The values and marks are what the text shows: a number where it shows
    # one alone (computed also where it shows one with "?"), NaN where it
    # shows a mark.
    for i, line in enumerate(table.text().splitlines()[4:15]):
        for j in range(5):
            cell = line[8 + 12 * j:20 + 12 * j].strip()
            mark, value, computed = table.marks[i, j], table.values[i, j], table.computed[i, j]
            assert cell.endswith(mark) and np.isnan(value) == bool(mark)
            assert value == computed or np.isnan(value)
            number = cell.removesuffix("?")
            if mark not in ("", "?"):
                assert np.isnan(computed)
            elif number.startswith("#"):  # too large for the table's mask
                assert abs(computed) >= 1e7
            else:
                assert abs(computed - float(number)) <= 0.0005


FIVE = ["A", "B", "C", "D", "E"]


@pytest.mark.parametrize("args, call", [
    (["water", "-300", "0"], lambda: tavrix.sat_pressure(-300)),
    (["water", "25", "2e+05"], lambda: tavrix.water_density([25, 25], [1, 2e5])),
    (["pk", "--pk298", "-1", "--A", "1", "--B", "1", "--density", "25", "0"],
     lambda: tavrix.rb_pk(-1, 1, 1, 25, density=[0.5, 0])),
    (table_args(dict(TABLES[0], species=FIVE), False),
     lambda: tavrix.pk_table(1, 1, 1, species=FIVE)),
], ids=["saturation", "pressure", "density", "species"])
def test_refusals_are_the_programs_messages(tavrix_cli, args, call):
    out = tavrix_cli(*args)
    assert out.returncode == 1
    with pytest.raises(ValueError) as error:
        call()
    assert out.stderr == f"tavrix {args[0]}: {error.value}\n"


def test_version_is_the_programs(tavrix_cli):
    assert tavrix_cli("--version").stdout == f"tavrix {tavrix.__version__}\n"
