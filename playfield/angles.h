// Degree trigonometry of the playfield: a direction a points along
// (Sin a, Cos a), so 0 is down the screen and 90 to the right.
// The game works these out itself with plain + - * / (and a square root),
// never with the C library's sin, cos or atan2, whose last bits differ from
// one library and compiler to the next: a replay recorded by one build must
// play the same in every other.
#pragma once

float SinDeg(float a);
float CosDeg(float a);

// A target angle brought within 180 of an angle, however far the angle has
// wound (one adjustment of 360 is not enough once it has).
inline float WithinHalfTurn(float target, float angle) {
  while (target - angle > 180) target -= 360;
  while (target - angle < -180) target += 360;
  return target;
}

// The angle whose sine goes with p and cosine with q, in degrees, in
// [-180, 180]; 0 for no direction at all (coincident points), whatever the
// zeros' signs.
float ATan2(float p, float q);

// The length of (dx, dy): the square root is taken in double and rounded once.
float Hypot(float dx, float dy);
