// The generator: state = state x 48271 mod (2^31 - 1).
#include "services/random.h"

static int64_t rndstate = 4660;

// Seeds the generator; 0 and 2^31 - 1 (which would stick) become 4660.
void SeedRandom(int64_t seed) {
  rndstate = seed & 0x7fffffff;
  if (rndstate == 0 || rndstate == 0x7fffffff) rndstate = 4660;
}

// The generator's current state (tests check the seeding rule).
int64_t RandomState() { return rndstate; }

// Advances the generator one step.
static int64_t NextState() {
  rndstate = (rndstate * 48271) % 0x7fffffff;
  return rndstate;
}

// A real in [0, 1) made from two successive states.
double RandReal() {
  int64_t s1 = NextState();
  int64_t s2 = NextState();
  return ((double)(s1 & 0x1ffffffc) + (double)(s2 & 0x1ffffff8) / 134217728.0) / 536870912.0;
}

// A uniform integer from lo to hi inclusive, bounds in either order.
int RandInt(int lo, int hi) {
  if (hi < lo) {
    int t = lo;
    lo = hi;
    hi = t;
  }
  return lo + (int)(RandReal() * ((double)hi - lo + 1));
}

// A uniform real from lo up to hi, bounds in either order.
double RandFloat(double lo, double hi) {
  if (hi < lo) {
    double t = lo;
    lo = hi;
    hi = t;
  }
  return lo + RandReal() * (hi - lo);
}
