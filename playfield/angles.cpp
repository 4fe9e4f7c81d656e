// Sine, cosine and arc tangent in degrees, the same to the bit on every
// machine with IEEE arithmetic. Angles are reduced to within 45 degrees of a
// quarter turn exactly (a float less a multiple of 90 fits a double), then
// summed as series in double, far below a float's rounding, and rounded once.
#include "playfield/angles.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double RAD_PER_DEG = PI / 180;
constexpr double QUARTER_TURN = 90;
constexpr double EIGHTH_TURN = 45;
constexpr double TAN_EIGHTH_OF_HALF_TURN = 0.41421356237309503;  // tan 22.5 degrees

// sin x for |x| up to pi/4: its series to x^17 (the next term is below 1e-19).
double SinNear(double x) {
  double x2 = x * x;
  double s = 1.0 / 355687428096000;  // 1 / 17!
  s = 1.0 / 1307674368000 - x2 * s;  // 1 / 15!
  s = 1.0 / 6227020800 - x2 * s;
  s = 1.0 / 39916800 - x2 * s;
  s = 1.0 / 362880 - x2 * s;
  s = 1.0 / 5040 - x2 * s;
  s = 1.0 / 120 - x2 * s;
  s = 1.0 / 6 - x2 * s;
  return x - x * x2 * s;
}

// cos x for |x| up to pi/4: its series to x^18.
double CosNear(double x) {
  double x2 = x * x;
  double c = 1.0 / 6402373705728000;  // 1 / 18!
  c = 1.0 / 20922789888000 - x2 * c;  // 1 / 16!
  c = 1.0 / 87178291200 - x2 * c;
  c = 1.0 / 479001600 - x2 * c;
  c = 1.0 / 3628800 - x2 * c;
  c = 1.0 / 40320 - x2 * c;
  c = 1.0 / 720 - x2 * c;
  c = 1.0 / 24 - x2 * c;
  c = 0.5 - x2 * c;
  return 1 - x2 * c;
}

// An angle as a whole number of quarter turns (0..3) and the rest, within
// about 45 degrees, in radians. The rest is exact before the scaling.
void Reduce(float a, int& quarter, double& x) {
  double d = a;
  double turns = std::floor(d / QUARTER_TURN + 0.5);
  quarter = (int)(turns - 4 * std::floor(turns / 4));
  x = (d - turns * QUARTER_TURN) * RAD_PER_DEG;
}

// atan t for |t| up to tan 22.5 degrees, in radians: the angle is halved
// once (atan t = 2 atan(t / (1 + sqrt(1 + t^2)))) and its series summed to
// u^25, u^2 being below 0.04.
double ATanNear(double t) {
  double u = t / (1 + std::sqrt(1 + t * t));
  double u2 = u * u;
  double s = 1.0 / 25;
  for (int k = 23; k >= 3; k -= 2) s = 1.0 / k - u2 * s;
  return 2 * (u - u * u2 * s);
}

}  // namespace

float SinDeg(float a) {
  if (!std::isfinite(a)) return NAN;
  int quarter;
  double x;
  Reduce(a, quarter, x);
  switch (quarter) {
    case 0: return (float)SinNear(x);
    case 1: return (float)CosNear(x);
    case 2: return (float)-SinNear(x);
    default: return (float)-CosNear(x);
  }
}

float CosDeg(float a) {
  if (!std::isfinite(a)) return NAN;
  int quarter;
  double x;
  Reduce(a, quarter, x);
  switch (quarter) {
    case 0: return (float)CosNear(x);
    case 1: return (float)-SinNear(x);
    case 2: return (float)-CosNear(x);
    default: return (float)SinNear(x);
  }
}

float ATan2(float p, float q) {
  if (p == 0 && q == 0) return 0;
  if (std::isnan(p) || std::isnan(q)) return NAN;
  double ap = std::fabs((double)p), aq = std::fabs((double)q);
  bool steep = ap > aq;  // nearer the sine's axis: work from there
  double t = steep ? aq / ap : ap / aq;
  if (std::isnan(t)) t = 1;  // both infinite
  double deg;
  if (t > TAN_EIGHTH_OF_HALF_TURN) {
    deg = EIGHTH_TURN + ATanNear((t - 1) / (t + 1)) / RAD_PER_DEG;
  } else {
    deg = ATanNear(t) / RAD_PER_DEG;
  }
  if (steep) deg = QUARTER_TURN - deg;
  if (q < 0) deg = 2 * QUARTER_TURN - deg;
  return (float)(std::signbit(p) ? -deg : deg);
}

float Hypot(float dx, float dy) {
  double x = dx, y = dy;
  return (float)std::sqrt(x * x + y * y);
}
