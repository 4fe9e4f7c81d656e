// Degree trigonometry of the playfield: a direction a points along
// (Sin a, Cos a), so 0 is down the screen and 90 to the right.
#pragma once
#include <cmath>

constexpr double DEG_PER_RAD = 57.29577951308232;

inline float SinDeg(float a) { return (float)std::sin(a / DEG_PER_RAD); }
inline float CosDeg(float a) { return (float)std::cos(a / DEG_PER_RAD); }
// The angle whose sine goes with p and cosine with q, in degrees.
inline float ATan2(float p, float q) { return (float)(std::atan2((double)p, (double)q) * DEG_PER_RAD); }
