// The headless input back end: key, mouse and joystick levels set directly
// by a test or a scripted run, no window system.
#include "platform/clock.h"
#include "platform/input.h"

// The headless back end: levels come from the script below.
static int headlessjoycount = 0;
static JoyReading headlessjoys[MAX_JOYPORTS];

// The headless joysticks answer with what the script set.
static int HJoyCount() { return headlessjoycount; }
static bool HJoyRead(int port, JoyReading* out) {
  if (port < 0 || port >= headlessjoycount) return false;
  *out = headlessjoys[port];
  return true;
}
static uint32_t HClock() { return (uint32_t)ClockMs(); }

static const InputBackend headless = {"headless", nullptr, HJoyCount, HJoyRead, HClock};
const InputBackend* HeadlessInputBackend() { return &headless; }

// The headless script: key, mouse and joystick levels.
void HeadlessSetKey(int code, int down) { InputSetKey(code, down); }
void HeadlessQueueKey(int code, int down, uint32_t at) { InputQueueKey(code, down, at); }
void HeadlessSetMouse(int x, int y) { InputSetMouse(x, y); }
void HeadlessSetMouseButton(int button, int down) { InputSetMouseButton(button, down); }
void HeadlessSetJoystickCount(int count) {
  headlessjoycount = count < 0 ? 0 : (count > MAX_JOYPORTS ? MAX_JOYPORTS : count);
  InputForgetJoyReading(-1);
}
void HeadlessSetJoyButton(int port, int button, int down) {
  if (port < 0 || port >= MAX_JOYPORTS || button < 0 || button >= MAX_JOYBUTTONS) return;
  if (down) headlessjoys[port].buttons |= 1u << button;
  else headlessjoys[port].buttons &= ~(1u << button);
  InputForgetJoyReading(port);
}
void HeadlessSetJoyAxis(int port, int axis, float value) {
  if (port < 0 || port >= MAX_JOYPORTS || axis < 0 || axis >= JOY_AXES) return;
  headlessjoys[port].axes[axis] = value;
  InputForgetJoyReading(port);
}
void HeadlessRequestClose() { InputNoteCloseRequest(); }
void HeadlessSetActive(int active) { InputSetActive(active); }
// As a window system reports a focus change: every key and button let go.
void HeadlessSetFocus(int focused) {
  InputClearKeysAndButtons();
  if (!focused) InputNoteFocusLost();
  InputSetActive(focused);
}
// Minimised, a window loses the focus too; restored, it gets it back.
void HeadlessSetMinimised(int minimised) {
  HeadlessSetFocus(!minimised);
  InputSetHidden(minimised);
}
void HeadlessReleaseAll() {
  InputClearKeysAndButtons();
  for (int p = 0; p < MAX_JOYPORTS; p++) {
    headlessjoys[p] = JoyReading{};
    headlessjoys[p].axes[JOYAXIS_HAT] = -1;
  }
  InputForgetJoyReading(-1);
}
