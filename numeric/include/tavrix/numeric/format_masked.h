#pragma once

#include <string>
#include <string_view>

namespace tavrix {

// Lays out x in the picture mask: '#' digit positions, an optional '.' with
// fraction digits, an optional '+' sign position before the first '#', an
// optional "^^^^" exponent after the digits. Every other character is copied.
// The result always has the length of the mask and '.' as its decimal point;
// a number that does not fit (or is not finite) gives back the mask itself.
std::string FormatMasked(std::string_view mask, double x);

}  // namespace tavrix
