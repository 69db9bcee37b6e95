"""Fits against independent computations: NumPy's weighted least squares
(parameters, covariance, diagnostics, correlation; the outlier found is the
engine's test), AICc, BIC, the leave-one-out error and the largest ΔpK from
RB from their definitions; compare(), pk() and the report against the program."""

import numpy as np
import pytest

import tavrix
from conftest import EXAMPLES, design, program_lines, rows, sheet_arrays

NACL = EXAMPLES / "nacl.csv"
WEIGHTED = sheet_arrays(weight=1 + np.arange(60) % 3)  # weights 1, 2, 3


def lstsq(X, w, pK):
    """The parameters and the inverse normal matrix; the normal equations
    weigh each point by w^2."""
    A = w[:, None] * X
    return np.linalg.lstsq(A, w * pK, rcond=None)[0], np.linalg.inv(A.T @ A)


@pytest.mark.parametrize("model", ["density3", "density5", "density7"])
def test_a_density_model_is_numpys_weighted_least_squares(model):
    result = tavrix.fit(WEIGHTED, model=model)
    X, w, pK = design(WEIGHTED, model)
    beta, N_inv = lstsq(X, w, pK)
    np.testing.assert_allclose(result.params, beta, rtol=1e-9)

    n, k = X.shape
    S2 = np.sum((w * (pK - X @ beta)) ** 2) / np.sum(w**2)  # F12 squared
    np.testing.assert_allclose(result.covariance, n / (n - k) * S2 * N_inv, rtol=1e-7)
    np.testing.assert_allclose(result.f12, np.sqrt(S2), rtol=1e-9)
    pK25, u25 = result.pk(25, density=0.99704)
    x = np.array(rows(model, float(np.float32(298.15)), float(np.float32(0.99704)))).ravel()
    assert pK25 == pytest.approx(x @ beta, rel=1e-9)
    assert u25 == pytest.approx(np.sqrt(x @ result.covariance @ x) * result.uncertainties[0]
                                / np.sqrt(result.covariance[0, 0]), rel=1e-9)


def statistics(X, w, pK):
    """AICc, BIC and the leave-one-out error from their definitions."""
    n, k = X.shape
    rss = np.sum((w * (pK - X @ lstsq(X, w, pK)[0])) ** 2)
    loo = []
    for i in range(n):
        keep = np.arange(n) != i
        loo.append(pK[i] - X[i] @ lstsq(X[keep], w[keep], pK[keep])[0])
    return {
        "AICc": n * np.log(rss / n) + 2 * k + 2 * k * (k + 1) / (n - k - 1),
        "BIC": n * np.log(rss / n) + k * np.log(n),
        "LOO": np.sqrt(np.sum((w * np.array(loo)) ** 2) / np.sum(w**2)),
    }


def test_the_statistics_are_those_of_their_definitions():
    table = tavrix.compare(WEIGHTED).to_pandas()
    assert list(table.index) == ["rb", "density3", "density5", "density7"]
    for model in table.index:
        expected = statistics(*design(WEIGHTED, model))
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


def test_diagnostics_are_those_of_the_weighted_least_squares():
    sheet = tavrix.read_sheet(NACL)
    result = tavrix.fit(sheet, fit="pK298,A,B")
    X, w, pK = design(sheet, "rb")
    beta, N_inv = lstsq(X, w, pK)
    A = w[:, None] * X
    h = np.einsum("ij,jk,ik->i", A, N_inv, A)
    e = pK - X @ beta
    n, k = X.shape
    r = w * e / (np.sqrt(np.sum((w * e) ** 2) / (n - k)) * np.sqrt(1 - h))
    D = r**2 * h / (k * (1 - h))

    np.testing.assert_allclose(result.params, beta, rtol=1e-6)
    d = result.diagnostics
    np.testing.assert_array_equal(d["t"], sheet.points[sheet.points["kind"] == "weighted"]["t"])
    np.testing.assert_allclose(d["leverage"], h, rtol=1e-9)
    # A and B are held in single precision: the residuals differ by that.
    np.testing.assert_allclose(d["residual"], e, atol=1e-5)
    np.testing.assert_allclose(d["studentized"], r, atol=1e-4)
    np.testing.assert_allclose(d["cooks_distance"], D, rtol=1e-3, atol=1e-7)
    s = np.sqrt(np.diag(N_inv))
    np.testing.assert_allclose(result.correlation, N_inv / np.outer(s, s), rtol=1e-9)
    flagged = (np.abs(r) > 3) | (D > 4 / len(r))
    assert list(d["flag"] != "") == list(flagged)


def test_a_held_parameter_has_no_correlation():
    result = tavrix.fit(sheet_arrays(initial=(None, None, -129.21)), fit="pK298,A")
    c = result.correlation
    assert np.isnan(c[2]).all() and np.isnan(c[:, 2]).all()
    assert c[0, 0] == pytest.approx(1) and -1 <= c[0, 1] <= 1


@pytest.fixture
def fitted(tmp_path):
    """The NaCl sheet's fit and a copy of the sheet it was written into."""
    result = tavrix.fit(tavrix.read_sheet(NACL))
    path = tmp_path / "nacl.csv"
    path.write_bytes(NACL.read_bytes())
    tavrix.write_back(path, result)
    return result, path


def test_pk_marks_and_extrapolation_are_the_programs(tavrix_cli, fitted):
    result, path = fitted
    t = np.array([500, 500, 25, 380, 300, 25, 1000])
    p = np.array([500, 100, 1, 0, 10, 2000, 5000])
    for no_limits in (False, True):
        values = result.pk(t, p_bar=p, no_limits=no_limits)
        pK, u = values  # unpacks as before
        flags = ["--ie"] if no_limits else []
        for k, fields in enumerate(program_lines(tavrix_cli, ["pk", "--from", path, *flags], t, p)):
            no_value = fields[3] in ("gas", "steam", "---")
            assert np.isnan(pK[k]) == no_value and np.isnan(u[k]) == no_value, fields
            assert fields[3].endswith(values.marks[k]), fields
            if not no_value:
                assert fields[3].split(" ")[0].rstrip("?") == "%.10g" % pK[k], fields
                assert fields[4] == "%.10g" % u[k], fields
            assert bool(values.extrapolated[k]) == (fields[5] == "yes"), fields
    assert list(result.pk(t, p_bar=p).marks) == ["gas", "gas", "", "---", "steam", "?", ""]


def test_report_is_the_programs(tavrix_cli, tmp_path, fitted):
    result, path = fitted
    out = tavrix_cli("report", path, "-o", tmp_path / "cli.html")
    assert out.returncode == 0, out.stderr
    assert result.report(tmp_path / "python.html") == str(tmp_path / "python.html")
    assert (tmp_path / "python.html").read_text() == (tmp_path / "cli.html").read_text()
    with pytest.raises(tavrix.BookError, match="cannot create a file in its folder"):
        result.report(tmp_path / "missing" / "fit.html")
