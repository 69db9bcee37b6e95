"""The functions over NumPy arguments: broadcasting like ufuncs, NaN
through, and clear errors for arguments of the wrong type or range."""

import numpy as np
import pytest

import tavrix

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
