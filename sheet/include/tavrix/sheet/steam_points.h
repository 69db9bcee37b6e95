#pragma once

#include <string>
#include <vector>

#include "tavrix/sheet/problem.h"

namespace tavrix {

// A point given by a pressure below the saturation pressure of its
// temperature: the equation of state gives it the density of steam. Such a
// point is fitted as it stands, but it is usually a slip for "0 = at
// saturation".
struct SteamPoint {
  int row;
  float t;           // degrees C
  float P;           // bar
  float saturation;  // bar
};

// The steam points of the last read, in sheet order. Points above the
// critical temperature (one fluid) are never steam.
std::vector<SteamPoint> SteamPoints(const Problem& problem);

// "row 23: 300 °C at 1 bar is steam (saturation pressure 85.8 bar); use 0
// for saturation"
std::string SteamWarning(const SteamPoint& point);

}  // namespace tavrix
