// The attack patterns: each is a step function run once per tick while it
// is the director's pattern, driving wavestep from 0 (set up) through 1
// (spawn) to its wait, and handing back with attackmode 0.
#pragma once

constexpr int ATTACK_PATTERNS = 23;  // patterns 1..23

// Runs one tick of pattern 1..23 (any other number hands back at once).
void RunAttackPattern(int pattern);
