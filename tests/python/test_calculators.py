"""sat_pressure, water_density, rb_pk and pk_table against the program's
calculators (tavrix water, pk, table) on the same inputs: every printed
digit equal, and the same messages; over NumPy arguments they broadcast like
ufuncs, let NaN through and name arguments of the wrong type or range."""

import numpy as np
import pytest

import tavrix
from conftest import program_lines

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


@pytest.mark.parametrize("args, call", [
    (["water", "-300", "0"], lambda: tavrix.sat_pressure(-300)),
    (["water", "25", "2e+05"], lambda: tavrix.water_density([25, 25], [1, 2e5])),
    (["pk", "--pk298", "-1", "--A", "1", "--B", "1", "--density", "25", "0"],
     lambda: tavrix.rb_pk(-1, 1, 1, 25, density=[0.5, 0])),
    (table_args(dict(TABLES[0], species=list("ABCDE")), False),
     lambda: tavrix.pk_table(1, 1, 1, species=list("ABCDE"))),
], ids=["saturation", "pressure", "density", "species"])
def test_refusals_are_the_programs_messages(tavrix_cli, args, call):
    out = tavrix_cli(*args)
    assert out.returncode == 1
    with pytest.raises(ValueError) as error:
        call()
    assert out.stderr == f"tavrix {args[0]}: {error.value}\n"


def test_version_is_the_programs(tavrix_cli):
    assert tavrix_cli("--version").stdout == f"tavrix {tavrix.__version__}\n"


T = np.array([[25.0], [150.0], [350.0]])      # 3 x 1
P = np.array([0.0, 1.0, 500.0, 5000.0])      # 4


@pytest.mark.parametrize("call, shape", [
    (lambda: tavrix.water_density(T, 100.0), (3, 1)),
    (lambda: tavrix.water_density([25, 50], 1), (2,)),
    (lambda: tavrix.sat_pressure(np.full((2, 3, 2), 100.0)), (2, 3, 2)),
    (lambda: tavrix.rb_pk(-1.2, [[0.5], [0.6], [0.7]], -129.0, T, p_bar=P), (3, 4)),
    (lambda: tavrix.rb_pk([[-1.2]], 0.5, -129.0, 25.0, density=np.ones(5)), (1, 5)),
    (lambda: tavrix.water_density(np.empty(0), 1.0), (0,)),
])
def test_results_take_the_broadcast_shape(call, shape):
    result = call()
    assert isinstance(result, np.ndarray) and result.shape == shape


def test_broadcast_values_are_the_values_one_by_one():
    grid = tavrix.water_density(T, P)
    pK = tavrix.rb_pk(-1.2, 0.5, -129.0, T, p_bar=P)
    for i, t in enumerate(T[:, 0]):
        for j, p in enumerate(P):
            one = tavrix.water_density(float(t), float(p))
            assert isinstance(one, float)
            assert one == grid[i, j]
            assert tavrix.rb_pk(-1.2, 0.5, -129.0, float(t), p_bar=float(p)) == pK[i, j]
    # Arguments keep their meaning whatever their layout in memory.
    assert np.array_equal(tavrix.water_density(T.T.copy().T, P[::-1])[:, ::-1], grid)


def test_nan_goes_through_and_stops_nothing():
    density = tavrix.water_density([np.nan, 25.0, 25.0], [1.0, np.nan, 1.0])
    assert np.isnan(density[:2]).all() and density[2] > 0.99
    assert np.isnan(tavrix.rb_pk(np.nan, 0.5, -129.0, 25.0, p_bar=1.0))
    assert np.isnan(tavrix.sat_pressure(np.nan))
    # None in a column of objects (as pandas holds a missing value) is NaN.
    mixed = tavrix.water_density(np.array([None, 25.0], dtype=object), 1.0)
    assert np.isnan(mixed[0]) and mixed[1] == density[2]


@pytest.mark.parametrize("call, error, text", [
    (lambda: tavrix.sat_pressure("25"), TypeError, "t_c must be a number or an array of numbers, not text"),
    (lambda: tavrix.sat_pressure(None), TypeError, "t_c must be a number or an array of numbers, not None"),
    (lambda: tavrix.water_density(25, True), TypeError, "p_bar must be a number or an array of numbers, not bool"),
    (lambda: tavrix.water_density(np.array([25, "x"], dtype=object), 1), TypeError, "not text"),
    (lambda: tavrix.water_density([25, {}], 1), TypeError, "not dict"),
    (lambda: tavrix.water_density(25, 1 + 2j), TypeError, "not complex128"),
    (lambda: tavrix.rb_pk(1, 1, 1, 25), TypeError, "either p_bar or density"),
    (lambda: tavrix.rb_pk(1, 1, 1, 25, p_bar=1, density=1), TypeError, "either p_bar or density"),
    (lambda: tavrix.water_density(T, np.ones((2, 4))), ValueError, "shape"),
    (lambda: tavrix.rb_pk(np.inf, 1, 1, 25, p_bar=1), ValueError, "pk298 must be a finite number: 'inf'"),
    (lambda: tavrix.rb_pk(1, 1e39, 1, 25, p_bar=1), ValueError, "A must be a finite number in single precision"),
    (lambda: tavrix.pk_table(1, 1, np.inf), ValueError, "B must be a finite number"),
    (lambda: tavrix.pk_table(1, 1, 1, species="Na+"), TypeError, "incompatible function arguments"),
])
def test_wrong_arguments_are_named(call, error, text):
    with pytest.raises(error) as raised:
        call()
    assert text in str(raised.value)
