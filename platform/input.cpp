// The input layer's shared half: key, mouse and joystick levels and the
// once-per-millisecond joystick reading.
#include "platform/input.h"

#include "platform/input_replay.h"

#include <cstring>

#include "platform/clock.h"

static const InputBackend* backend = nullptr;
static uint8_t keys[256];
static uint8_t keytaps[256];  // pressed since the last tick ended
static int mousex = 0, mousey = 0;
static uint8_t mousebuttons[4];
static uint8_t mousetaps[4];
static int focuslost = 0;
static int closerequests = 0;
static int windowactive = 1;
static int windowhidden = 0;
static bool joysticksdisabled = false;
static const InputFrame* fed = nullptr;  // a replay's frame, answering in place of the devices
static const InputFrame* fedthen = nullptr;  // answers once the taps are dropped

struct JoyPort {
  JoyReading reading;
  uint32_t readat = 0;
  bool everread = false;
};
static JoyPort ports[MAX_JOYPORTS];
static int joycount = 0;

// Chooses the back end that delivers events and joystick readings.
void SetInputBackend(const InputBackend* b) { backend = b; }

// Takes in whatever the window system delivered since the last read.
static void Pump() {
  if (backend && backend->pump) backend->pump();
}

// 1 while the key is held.
int KeyDown(int code) {
  Pump();
  if (code < 0 || code > 255) return 0;
  if (fed) return fed->keys[code];
  return keys[code] | keytaps[code];
}

// The pointer position in the 800x600 picture.
int MouseX() {
  Pump();
  return fed ? fed->mousex : mousex;
}

int MouseY() {
  Pump();
  return fed ? fed->mousey : mousey;
}

// 1 while mouse button 1 (left), 2 (right) or 3 (middle) is held.
int MouseDown(int button) {
  Pump();
  if (button < 1 || button > 3) return 0;
  if (fed) return (fed->mousebuttons >> button) & 1;
  return mousebuttons[button] | mousetaps[button];
}

// Probes the joysticks and builds the port list.
int JoystickCount() {
  if (fed) return fed->joycount;
  joycount = 0;
  if (!joysticksdisabled && backend && backend->joycount) joycount = backend->joycount();
  if (joycount > MAX_JOYPORTS) joycount = MAX_JOYPORTS;
  if (joycount < 0) joycount = 0;
  return joycount;
}

// Reads a port from the device at most once per millisecond.
static const JoyReading& ReadPort(int port) {
  static const JoyReading none;
  if (port < 0 || port >= MAX_JOYPORTS) return none;
  if (fed) return port < fed->joycount ? fed->joy[port] : none;
  JoyPort& p = ports[port];
  if (port >= joycount || !backend || !backend->joyread) {
    p.reading.buttons = 0;
    return p.reading;
  }
  uint32_t now = backend->clockms ? backend->clockms() : (uint32_t)ClockMs();
  if (!p.everread || now != p.readat) {
    Pump();
    JoyReading r = p.reading;
    if (backend->joyread(port, &r)) {
      p.reading = r;
    } else {
      p.reading.buttons = 0;
    }
    p.readat = now;
    p.everread = true;
  }
  return p.reading;
}

// 1 while button 0..31 of the joystick on a port is held.
int JoyButtonDown(int button, int port) {
  if (button < 0 || button >= MAX_JOYBUTTONS) return 0;
  return (ReadPort(port).buttons >> button) & 1;
}

// The value of axis code 0..10 on a port.
float JoyAxis(int axis, int port) {
  if (axis < 0 || axis >= JOY_AXES) return 0;
  return ReadPort(port).axes[axis];
}

// 1 once after the window lost the input focus.
int TakeFocusLost() {
  Pump();
  int f = focuslost;
  focuslost = 0;
  return f;
}

// 1 once after a close request.
int TakeCloseRequest() {
  Pump();
  int c = closerequests > 0 ? 1 : 0;
  closerequests = 0;
  return c;
}

int WindowActive() {
  Pump();
  return windowactive;
}

int WindowHidden() {
  Pump();
  return windowhidden;
}

void InputTickDone() { InputDropTaps(); }

void InputDropTaps() {
  if (fed && fedthen) {
    fed = fedthen;
    fedthen = nullptr;
  }
  std::memset(keytaps, 0, sizeof keytaps);
  std::memset(mousetaps, 0, sizeof mousetaps);
}

// Back ends report levels through these.
void InputClearKeysAndButtons() {
  std::memset(keys, 0, sizeof keys);
  std::memset(mousebuttons, 0, sizeof mousebuttons);
  InputDropTaps();
}
void InputPressKey(int code) {
  if (code < 1 || code > 255) return;
  keys[code] = 1;
  keytaps[code] = 1;
}
void InputPressMouseButton(int button) {
  if (button < 1 || button > 3) return;
  mousebuttons[button] = 1;
  mousetaps[button] = 1;
}
void InputNoteCloseRequest() { closerequests++; }
void InputSetActive(int active) { windowactive = active ? 1 : 0; }
void InputSetHidden(int hidden) { windowhidden = hidden ? 1 : 0; }
void InputSetKey(int code, int down) {
  if (code >= 1 && code <= 255) keys[code] = down ? 1 : 0;
}
void InputSetMouse(int x, int y) {
  mousex = x;
  mousey = y;
}
void InputSetMouseButton(int button, int down) {
  if (button >= 1 && button <= 3) mousebuttons[button] = down ? 1 : 0;
}
void InputNoteFocusLost() { focuslost = 1; }
void SetJoysticksDisabled(bool disabled) { joysticksdisabled = disabled; }

// A back end's joystick changed outside a read: the next read of the port
// (or of every port, for -1) asks the back end again.
void InputForgetJoyReading(int port) {
  for (int p = 0; p < MAX_JOYPORTS; p++)
    if (port < 0 || port == p) ports[p].everread = false;
}

// The replay tap: the levels the reads reported, taken without asking the
// devices again (a window event that arrived since cannot slip in).
void InputCaptureFrame(InputFrame* out) {
  if (fed) {
    *out = *fed;
    return;
  }
  for (int c = 0; c < 256; c++) out->keys[c] = (uint8_t)(keys[c] | keytaps[c]);
  out->keys[0] = 0;
  out->mousex = mousex;
  out->mousey = mousey;
  out->mousebuttons = 0;
  for (int b = 1; b <= 3; b++) out->mousebuttons |= (uint8_t)((mousebuttons[b] | mousetaps[b]) << b);
  out->joycount = (uint8_t)joycount;
  static const JoyReading none;
  for (int p = 0; p < MAX_JOYPORTS; p++) out->joy[p] = p < joycount ? ports[p].reading : none;
}

int InputDeviceKeyDown(int code) {
  Pump();
  if (code < 0 || code > 255) return 0;
  return keys[code] | keytaps[code];
}

void InputFeedFrame(const InputFrame* frame, const InputFrame* then) {
  fed = frame;
  fedthen = frame ? then : nullptr;
}

void InputPump() {
  Pump();
  if (!fed)
    for (int p = 0; p < joycount; p++) ReadPort(p);
}
