"""The models side by side, checked against independent computations: each
density model's parameters and covariance against NumPy's weighted least
squares, AICc, BIC, the leave-one-out error and the largest ΔpK from RB
computed here from their definitions, and compare() against the program."""

import numpy as np
import pytest

import tavrix
from conftest import EXAMPLES, design, sheet_arrays, rows

NACL = EXAMPLES / "nacl.csv"


def lstsq(X, w, pK):
    return np.linalg.lstsq(w[:, None] * X, w * pK, rcond=None)[0]


@pytest.mark.parametrize("model", ["density3", "density5", "density7"])
def test_a_density_model_is_numpys_weighted_least_squares(model):
    sheet = sheet_arrays(weight=1 + np.arange(60) % 3)  # weights 1, 2, 3
    result = tavrix.fit(sheet, model=model)
    X, w, pK = design(sheet, model)
    beta = lstsq(X, w, pK)
    np.testing.assert_allclose(result.params, beta, rtol=1e-9)

    n, k = X.shape
    S2 = np.sum((w * (pK - X @ beta)) ** 2) / np.sum(w**2)  # F12 squared
    covariance = n / (n - k) * S2 * np.linalg.inv((w[:, None] * X).T @ (w[:, None] * X))
    np.testing.assert_allclose(result.covariance, covariance, rtol=1e-7)
    np.testing.assert_allclose(result.f12, np.sqrt(S2), rtol=1e-9)
    pK25, u25 = result.pk(25, density=0.99704)
    x = np.array(rows(model, float(np.float32(298.15)), float(np.float32(0.99704)))).ravel()
    assert pK25 == pytest.approx(x @ beta, rel=1e-9)
    assert u25 == pytest.approx(np.sqrt(x @ result.covariance @ x) * result.uncertainties[0]
                                / np.sqrt(result.covariance[0, 0]), rel=1e-9)


def statistics(X, w, pK):
    """AICc, BIC and the leave-one-out error from their definitions."""
    n, k = X.shape
    rss = np.sum((w * (pK - X @ lstsq(X, w, pK))) ** 2)
    loo = []
    for i in range(n):
        keep = np.arange(n) != i
        loo.append(pK[i] - X[i] @ lstsq(X[keep], w[keep], pK[keep]))
    return {
        "AICc": n * np.log(rss / n) + 2 * k + 2 * k * (k + 1) / (n - k - 1),
        "BIC": n * np.log(rss / n) + k * np.log(n),
        "LOO": np.sqrt(np.sum((w * np.array(loo)) ** 2) / np.sum(w**2)),
    }


def test_the_statistics_are_those_of_their_definitions():
    sheet = sheet_arrays(weight=1 + np.arange(60) % 3)  # weights 1, 2, 3
    table = tavrix.compare(sheet).to_pandas()
    assert list(table.index) == ["rb", "density3", "density5", "density7"]
    for model in table.index:
        expected = statistics(*design(sheet, model))
        # RB holds A and B in single precision: its residuals differ by that.
        rtol = 1e-5 if model == "rb" else 1e-9
        for name, value in expected.items():
            assert table.loc[model, name] == pytest.approx(value, rel=rtol), (model, name)
    np.testing.assert_allclose(table["dAICc"], table["AICc"] - table["AICc"].min())


def test_compare_is_the_programs_and_its_largest_difference_from_rb_within_the_data(tavrix_cli):
    comparison = tavrix.compare(tavrix.read_sheet(NACL), models="rb,density5")
    out = tavrix_cli("compare", "--models", "rb,density5", NACL)
    assert out.returncode == 0, out.stderr
    assert str(comparison) == out.stdout
    assert list(tavrix.read_book(NACL)) == ["nacl"]
    rb, density5 = comparison["rb"], comparison["density5"]
    t = np.repeat([25.0] + [50.0 * i for i in range(1, 11)], 5)
    p = np.tile([0.0, 500, 1000, 2000, 5000], 11)
    at = rb.pk(t, p_bar=p)
    inside = ~np.isnan(at.pK) & ~at.extrapolated
    rho = tavrix.water_density(t, p)[inside]
    T = (t[inside] + 273.15).astype(np.float32).astype(float)
    rb_pk = tavrix.rb_pk(*rb.params, t[inside], density=rho)
    density5_pk = np.column_stack(rows("density5", T, rho)) @ np.array(density5.params)
    expected = np.max(np.abs(density5_pk - rb_pk))
    table = comparison.to_pandas()
    assert table.loc["density5", "max_abs_dpK_rb"] == pytest.approx(expected, rel=1e-6)


def test_other_models_keep_to_what_they_have():
    sheet = tavrix.DataSheet.from_arrays([25, 100, 200, 300, 400, 500], [1, 1.1, 1.3, 1.6, 2, 2.5],
                                         p=1000, complex="NaCl", species=["Na+", "Cl-"])
    with pytest.raises(tavrix.FitError) as raised:
        tavrix.fit(sheet, model="density7")
    assert tavrix.compare(sheet).to_pandas().loc["density7", "note"] == (
        "not fitted: " + raised.value.reason)
    result = tavrix.fit(sheet, model="density3")
    for method in (result.table, result.to_thermofun):
        with pytest.raises(ValueError, match="RB model"):
            method()
    with pytest.raises(ValueError, match="unknown model 'density4'"):
        tavrix.compare(sheet, models=["density4"])
