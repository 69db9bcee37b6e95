#pragma once

#include <string>

namespace tavrix::exports {

// The shortest text that reads back as the same value ('.' as the point,
// whatever the locale): what the exports write where a code reads the
// number back.
std::string Shortest(double x);
std::string Shortest(float x);

// The double the shortest text of a single-precision value stands for:
// 0.566f gives 0.566, as the sheet shows it.
double DecimalOf(float x);

// A parameter as the exports write it: a value held in single precision
// (A, B, and pK(298) as the sheet shows it) by its shortest text, any
// other as it is.
double Written(double x);

// The program that wrote an export, with its version: "Tavrix 0.1.0".
std::string WrittenBy();

// The value with so many decimals ("%.4f"), '.' as the point.
std::string Fixed(double x, int decimals);

}  // namespace tavrix::exports
