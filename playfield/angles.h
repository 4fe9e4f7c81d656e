// Degree trigonometry of the playfield: a direction a points along
// (Sin a, Cos a), so 0 is down the screen and 90 to the right.
#pragma once
#include <cmath>

constexpr double DEG_PER_RAD = 57.29577951308232;

inline float SinDeg(float a) { return (float)std::sin(a / DEG_PER_RAD); }
inline float CosDeg(float a) { return (float)std::cos(a / DEG_PER_RAD); }

// Radians in one degree, in single precision: particles, the grid's shading
// and the border pulse turn their angles with float arithmetic throughout.
constexpr float RAD_PER_DEG = 3.14159265358979f / 180.0f;
inline float SinDegF(float a) { return std::sin(a * RAD_PER_DEG); }
inline float CosDegF(float a) { return std::cos(a * RAD_PER_DEG); }
// A target angle brought within 180 of an angle, however far the angle has
// wound (one adjustment of 360 is not enough once it has).
inline float WithinHalfTurn(float target, float angle) {
  while (target - angle > 180) target -= 360;
  while (target - angle < -180) target += 360;
  return target;
}

// The angle whose sine goes with p and cosine with q, in degrees; 0 for no
// direction at all (coincident points), whatever the zeros' signs.
inline float ATan2(float p, float q) {
  if (p == 0 && q == 0) return 0;
  return (float)(std::atan2((double)p, (double)q) * DEG_PER_RAD);
}
