// Acting once per press: a held key, button or click does its work on the
// tick it goes down and not again until it has been let go.
#pragma once

// True on the tick the input goes down with the latch clear, and sets the
// latch; an input that is up clears it. A latch set when a screen opens makes
// an input held over from the last screen wait for its release.
inline bool PressedOnce(int& latch, bool down) {
  if (!down) {
    latch = 0;
    return false;
  }
  if (latch != 0) return false;
  latch = 1;
  return true;
}
