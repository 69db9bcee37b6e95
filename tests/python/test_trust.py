"""Where a fit may be trusted, checked against independent computations:
the diagnostics against NumPy's least squares on the weighted design
matrix (the outlier found is the engine's test), and pK, u(pK), the marks
and extrapolation flags of pk() against the CLI's."""

import numpy as np
import pytest

import tavrix
from conftest import EXAMPLES, design, sheet_arrays


def independent_diagnostics(X, w, pK):
    A = w[:, None] * X  # the normal equations weigh each point by w^2
    beta = np.linalg.lstsq(A, w * pK, rcond=None)[0]
    N_inv = np.linalg.inv(A.T @ A)
    h = np.einsum("ij,jk,ik->i", A, N_inv, A)
    e = pK - X @ beta
    n, p = X.shape
    s = np.sqrt(np.sum((w * e) ** 2) / (n - p))
    r = w * e / (s * np.sqrt(1 - h))
    D = r**2 * h / (p * (1 - h))
    d = np.sqrt(np.diag(N_inv))
    return beta, h, e, r, D, N_inv / np.outer(d, d)


def test_diagnostics_are_those_of_the_weighted_least_squares():
    sheet = tavrix.read_sheet(EXAMPLES / "nacl.csv")
    result = tavrix.fit(sheet, fit="pK298,A,B")
    X, w, pK = design(sheet, "rb")
    weighted = sheet.points[sheet.points["kind"] == "weighted"]
    beta, h, e, r, D, correlation = independent_diagnostics(X, w, pK)

    np.testing.assert_allclose(result.params, beta, rtol=1e-6)
    d = result.diagnostics
    np.testing.assert_array_equal(d["t"], weighted["t"])
    np.testing.assert_allclose(d["leverage"], h, rtol=1e-9)
    # A and B are held in single precision: the residuals differ by that.
    np.testing.assert_allclose(d["residual"], e, atol=1e-5)
    np.testing.assert_allclose(d["studentized"], r, atol=1e-4)
    np.testing.assert_allclose(d["cooks_distance"], D, rtol=1e-3, atol=1e-7)
    np.testing.assert_allclose(result.correlation, correlation, rtol=1e-9)
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
    result = tavrix.fit(tavrix.read_sheet(EXAMPLES / "nacl.csv"))
    path = tmp_path / "nacl.csv"
    path.write_bytes((EXAMPLES / "nacl.csv").read_bytes())
    tavrix.write_back(path, result)
    return result, path


def test_pk_marks_and_extrapolation_are_the_programs(tavrix_cli, fitted):
    result, path = fitted
    t = np.array([500, 500, 25, 380, 300, 25, 1000])
    p = np.array([500, 100, 1, 0, 10, 2000, 5000])
    for no_limits in (False, True):
        values = result.pk(t, p_bar=p, no_limits=no_limits)
        pK, u = values  # unpacks as before
        args = ["pk", "--from", path] + (["--ie"] if no_limits else [])
        out = tavrix_cli(*args, *np.column_stack([t, p]).ravel())
        assert out.returncode == 0, out.stderr
        for k, line in enumerate(out.stdout.splitlines()):
            fields = line.split("\t")
            no_value = fields[3] in ("gas", "steam", "---")
            assert np.isnan(pK[k]) == no_value and np.isnan(u[k]) == no_value, line
            assert fields[3].endswith(values.marks[k]), line
            if not no_value:
                assert fields[3].split(" ")[0].rstrip("?") == "%.10g" % pK[k], line
                assert fields[4] == "%.10g" % u[k], line
            assert bool(values.extrapolated[k]) == (fields[5] == "yes"), line
    assert list(result.pk(t, p_bar=p).marks) == ["gas", "gas", "", "---", "steam", "?", ""]


def test_report_is_the_programs(tavrix_cli, tmp_path, fitted):
    result, path = fitted
    out = tavrix_cli("report", path, "-o", tmp_path / "cli.html")
    assert out.returncode == 0, out.stderr
    assert result.report(tmp_path / "python.html") == str(tmp_path / "python.html")
    assert (tmp_path / "python.html").read_text() == (tmp_path / "cli.html").read_text()
    with pytest.raises(tavrix.BookError, match="cannot create a file in its folder"):
        result.report(tmp_path / "missing" / "fit.html")
