"""The types that tavrix's functions return and raise."""

from collections import namedtuple
from typing import NamedTuple, Optional

import numpy


class Parameters(NamedTuple):
    """The three parameters of the RB model, in the sheet's order.

    pK298 is pK at 298.15 K; A is A(zz/a) and B is B(zz/a) (in kelvin),
    which the program holds in single precision: the repr shows a value
    that is a single-precision number as the shortest decimal that is the
    same single-precision number. None stands
    for an unknown value ("?" in the sheet) or, in uncertainties, for a
    parameter that was held.
    """

    pK298: Optional[float]
    A: Optional[float]
    B: Optional[float]

    def __repr__(self):
        def text(x):
            if x is None:
                return "None"
            single = numpy.float32(x)
            return str(single) if float(single) == x else repr(x)

        return f"Parameters(pK298={text(self.pK298)}, A={text(self.A)}, B={text(self.B)})"


_MODEL_PARAMETERS = {}


def model_parameters(model, names, values):
    """The parameters of a density model (density3, ...) as a named tuple
    of its own, e.g. Density3Parameters(p1=..., p2=..., p3=...); None for
    a value that is not known."""
    kind = _MODEL_PARAMETERS.get(model)
    if kind is None:
        kind = _MODEL_PARAMETERS[model] = namedtuple(model.capitalize() + "Parameters", names)
    return kind(*values)


class SheetError(ValueError):
    """The first thing wrong with a data sheet, as the program reports it.

    code: the error code (1 to 12); row, col: the cell read last (1-based,
    column 1 is A); message: the program's message, e.g. "Cell must be
    empty (row=2, col=4)", with what the code alone does not say after a
    colon; detail: that part alone, or ""; sheet: the worksheet, when
    read_book read several.
    """

    def __init__(self, message, code=0, row=0, col=0, detail="", sheet=""):
        super().__init__(message)
        self.message = message
        self.code = code
        self.row = row
        self.col = col
        self.detail = detail
        self.sheet = sheet


class FitError(RuntimeError):
    """A fit without solution: message "Could not find solution", and the
    reason, e.g. "the points do not determine A(zz/a) and B(zz/a)"."""

    def __init__(self, message, reason=""):
        super().__init__(message)
        self.message = message
        self.reason = reason

    def __str__(self):
        return f"{self.message}: {self.reason}" if self.reason else self.message


class BookError(OSError):
    """A file that cannot be opened or saved as a data sheet ("'x.csv' is
    read-only", "'x.ods' is protected by a password; save a copy without
    one", a workbook in a build without LibreOffice)."""


class SteamPointWarning(UserWarning):
    """A point given at a pressure below the saturation pressure of its
    temperature, which the equation of state takes as steam: usually a slip
    for 0 (at saturation). Such points are fitted as they stand."""


class PkValues:
    """pK of dissociation of a fit at chosen conditions, and what it takes to
    trust it. Unpacks as (pK, u).

    pK, u: floats, or arrays of the broadcast shape; NaN where the model has
    no value (and u NaN where the uncertainty is not known).
    marks: "" for a value, "?" outside the model's range of confidence,
    "gas", "steam" or "---" where the pK table has no value.
    extrapolated: True outside the temperatures and densities of the
    weighted points the fit was made from.
    """

    __slots__ = ("pK", "u", "marks", "extrapolated")

    def __init__(self, pK, u, marks, extrapolated):
        self.pK = pK
        self.u = u
        self.marks = marks
        self.extrapolated = extrapolated

    def __iter__(self):
        return iter((self.pK, self.u))

    def __len__(self):
        return 2

    def __getitem__(self, index):
        return (self.pK, self.u)[index]

    def __repr__(self):
        return (f"PkValues(pK={self.pK!r}, u={self.u!r}, marks={self.marks!r}, "
                f"extrapolated={self.extrapolated!r})")
