// The millisecond clock: the machine's steady clock, or in headless runs a
// clock its caller sets and advances.
#include "platform/clock.h"

#include <chrono>
#include <thread>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

static bool headlessclock = false;
static uint32_t headlessnow = 0;
static void (*headlesshook)() = nullptr;

// Millisecond counter; only differences are used, in 32-bit arithmetic.
int ClockMs() {
  if (headlessclock) {
    if (headlesshook) headlesshook();
    return (int)headlessnow;
  }
#ifdef __EMSCRIPTEN__
  // The page's high-resolution clock, in milliseconds since the page opened.
  return (int)(uint32_t)(uint64_t)emscripten_get_now();
#else
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return (int)(uint32_t)ms;
#endif
}

// Switches the clock to the caller-driven headless clock.
void UseHeadlessClock(bool headless) { headlessclock = headless; }
// The headless clock is set and advanced by its caller.
void HeadlessSetClock(uint32_t ms) { headlessnow = ms; }
void HeadlessAdvanceClock(uint32_t ms) { headlessnow += ms; }
void SetHeadlessClockHook(void (*hook)()) { headlesshook = hook; }

// Sleeps for a number of milliseconds (only the optional throttled loop does).
void SleepMs(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
