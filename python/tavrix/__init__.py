"""Tavrix: the RB model of the dissociation constant of aqueous complexes.

Fits the three parameters of the RB model -- pK(298), A(zz/a) and B(zz/a)
-- to experimental pK values at given temperatures and pressures (or water
densities), with the water properties the model needs computed inside. The
same engine as the program `tavrix`: every number here is the program's to
the last bit, and every message is the program's.

Units: temperatures t_c in degrees Celsius, pressures p_bar in bar (0
stands for the saturation pressure, as in a data sheet), densities in
g/cm3. pK298 is pK at 298.15 K; A and B (kelvin) are held in single
precision, as the program holds them.

Water and the model (numbers or NumPy arrays, broadcast like ufuncs):
    sat_pressure(t_c)                      saturation pressure, bar
    water_density(t_c, p_bar)              density, g/cm3 (NaN where none)
    rb_pk(pk298, A, B, t_c, p_bar=None, density=None)
    pk_table(pk298, A, B, species=(), complex="")   -> PkTable

Data sheets and fits:
    read_sheet(path, sheet=None)           a .csv, .ods, .xlsx or .xls file
    DataSheet.from_arrays(t, pK, p=None, density=None, weight=None, ...,
                          complex=..., species=...)
    read_book(path)                        {worksheet: DataSheet} of its data sheets
    fit(sheet, fit=None, limits=False, model="rb")   -> FitResult
    compare(sheet, models=None, limits=False)        -> Comparison (.to_pandas())
    write_back(path, result, ignore_lock=False)   the fit into the file, as tavrix fit
    export(result, to=None)                the record of tavrix export (data.txt)

A fit for the codes that use it (methods of FitResult):
    result.pk(t_c, p_bar=None, density=None)   -> PkValues: (pK, u(pK)), marks,
                                           extrapolated, as tavrix pk --from
    result.to_thermofun()                  the ThermoFun reaction record (JSON)
    result.to_phreeqc(t_range=(0, 350))    the PHREEQC SOLUTION_SPECIES block
    result.logk_grid(t=None, p=None, csv=False)   logK and u(logK) on a grid
    result.report(path)                    the report of the fit (HTML), as tavrix report

Workbooks are read in a private, headless LibreOffice, started by the first
workbook and ended when Python exits (CSV files need none), or with the
Python process however it ends; WORKBOOKS is False in a build without
LibreOffice, which reads CSV files only.

Errors: SheetError (.code, .row, .col, .message) for a data sheet with an
error; FitError (.reason) when a fit finds no solution; BookError,
FileNotFoundError and other OSErrors for files; TypeError and ValueError
for arguments of the wrong type or range.

Example:
    >>> import tavrix
    >>> result = tavrix.fit(tavrix.read_sheet("examples/nacl.csv"))
    >>> print(result)                    # as tavrix fit prints it
    >>> result.params.pK298, result.uncertainties.pK298
    >>> print(result.table())            # as tavrix table prints it
"""

from ._types import BookError, FitError, Parameters, PkValues, SheetError, SteamPointWarning
from ._tavrix import (
    WORKBOOKS,
    __version__,
    Comparison,
    DataSheet,
    FitResult,
    PkTable,
    compare,
    export,
    fit,
    pk_table,
    rb_pk,
    read_book,
    read_sheet,
    sat_pressure,
    water_density,
    write_back,
)

__all__ = [
    "sat_pressure",
    "water_density",
    "rb_pk",
    "pk_table",
    "read_sheet",
    "read_book",
    "DataSheet",
    "fit",
    "compare",
    "write_back",
    "export",
    "FitResult",
    "Comparison",
    "PkTable",
    "Parameters",
    "PkValues",
    "SheetError",
    "FitError",
    "BookError",
    "SteamPointWarning",
    "WORKBOOKS",
]
