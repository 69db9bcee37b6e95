#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tavrix/numeric/cell_content.h"

namespace tavrix {

// True when the process's number format (LC_NUMERIC, as set by the front
// end with setlocale) renders 0.1 with a decimal comma.
bool DetectDecimalComma();

// The numeric test of cell text: optional blanks around, an optional sign,
// at least one digit with at most one decimal separator (',' when
// decComma, else '.'), an optional exponent (E or e, optional sign,
// digits). A text holding the other separator is never numeric, and neither
// is one whose value lies beyond the range of a double.
bool IsNumericText(std::string_view s, bool decComma);

// The value of numeric text. Under a decimal comma the '.' that the
// program's own masks write is read as the decimal separator as well, so
// text written by CellValue reads back as the number it stood for. Empty
// when the text is not a number or overflows the target type; values too
// small for it become zero.
std::optional<double> TextToDouble(std::string_view s, bool decComma);
std::optional<float> TextToFloat(std::string_view s, bool decComma);

// What a written cell receives from the program's own formatted text
// (FormatMasked, always '.' as its point): the number it shows, whatever the
// decimal separator in force, so that the spreadsheet shows it in the
// user's notation and formulas can use it; any other text (a mask that
// did not fit, "?") unchanged.
CellContent CellValue(const std::string& s);

// The spreadsheet number format that shows a value as the mask does:
// "0.000" for "####.###", "0.00" for "#####.##", "0" without decimals.
std::string NumberFormatOf(std::string_view mask);

// Reads the number at the start of s (leading blanks, sign, digits, '.' as
// the decimal point, exponent) and ignores the rest; 0 when there is none.
// Independent of the decimal separator in force.
double LeadingNumber(std::string_view s);

// The text a cell shows of what it holds: a number in its general form
// (GeneralText), a text as it stands, "" when empty.
std::string ShownText(const CellContent& cell, bool decComma);

// The shortest text that reads back as the same single-precision value,
// or the value to `digits` significant digits; '.' as the decimal point
// whatever the locale. For messages.
std::string ShortNumber(float x);
std::string ShortNumber(float x, int digits);

// x to so many significant digits, as "%.*g" writes it in the C locale:
// '.' as the decimal point whatever the locale.
std::string SignificantText(double x, int digits);

// A number as a spreadsheet's General format shows its stored value: at
// most 15 significant digits, exponent form ("1E+35", "1.5E-05") for very
// large and very small magnitudes, the system decimal separator.
std::string GeneralText(double x, bool decComma);

}  // namespace tavrix
