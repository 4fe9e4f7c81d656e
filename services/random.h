// The game's only source of randomness: a multiplicative congruential
// generator (48271 modulo 2^31 - 1), so a fixed seed replays the same game.
#pragma once
#include <cstdint>

void SeedRandom(int64_t seed);
int RandInt(int lo, int hi);
double RandFloat(double lo, double hi);
double RandReal();          // a real in [0, 1) from two successive states
int64_t RandomState();
