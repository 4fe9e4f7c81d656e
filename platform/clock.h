// The millisecond clock and sleeping. Only differences of the clock are
// used, in 32-bit arithmetic, so they survive its wrap-around.
#pragma once
#include <cstdint>

int ClockMs();
void SleepMs(int ms);
// The headless clock: set and advanced by its caller (tests, headless runs).
void UseHeadlessClock(bool headless);
void HeadlessSetClock(uint32_t ms);
void HeadlessAdvanceClock(uint32_t ms);
// Called by the clock on every read while the headless clock is in use (lets a
// scripted run advance time when the loop spins); may be null.
void SetHeadlessClockHook(void (*hook)());
