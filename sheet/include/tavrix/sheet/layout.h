#pragma once

namespace tavrix::layout {

// Columns of the data sheet.
inline constexpr int kColA = 1;
inline constexpr int kColB = 2;  // reference value; pressure
inline constexpr int kColC = 3;  // complex name; density
inline constexpr int kColD = 4;  // weight
inline constexpr int kColE = 5;  // initial value; experimental pK
inline constexpr int kColF = 6;  // optimized value; calculated pK
inline constexpr int kColG = 7;  // uncertainty; deviation
inline constexpr int kColH = 8;  // comment

// Rows of the head.
inline constexpr int kComplexRow = 2;
inline constexpr int kFirstSpeciesRow = 4;
inline constexpr int kLastSpeciesRow = 7;
inline constexpr int kFirstParamRow = 9;  // pK(298), then A(zz/a), B(zz/a)
inline constexpr int kErrorRow = 12;
inline constexpr int kFirstPointRow = 15;  // point k stands in row 14 + k
inline constexpr int kMaxPoints = 32767;   // points are counted in 16 bits
// The last row a data sheet can use: the row after the most points there
// may be, which must end the point table. Nothing below it is ever read.
inline constexpr int kLastUsableRow = kFirstPointRow + kMaxPoints;

inline constexpr int PointRow(int k) {
  return kFirstPointRow - 1 + k;
}
inline constexpr int ParamRow(int index) {
  return kFirstParamRow + index;
}

}  // namespace tavrix::layout
