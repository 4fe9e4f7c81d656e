// The input layer's shared half: key, mouse and joystick levels, the presses
// and releases waiting for the tick they fall in, the keys that went down
// for typing, and the once-per-millisecond joystick reading.
#include "platform/input.h"

#include "platform/input_replay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/clock.h"
#include "platform/keycodes.h"

static const InputBackend* backend = nullptr;
static uint8_t keys[256];
static uint8_t keytaps[256];  // pressed since the last tick ended
static int mousex = 0, mousey = 0;
static int pointerx = 0, pointery = 0;  // the latest position reported, taken in between ticks
static uint8_t mousebuttons[4];
static uint8_t mousetaps[4];

// Presses and releases of keys and mouse buttons, in the order the window
// system reported them, each with its time on the game's clock. A tick takes
// in those due by its own time (the last tick of a pass takes all), so a
// slow pass that ran many ticks still sees each press on a tick of its own.
struct QueuedPress {
  uint32_t at;
  int16_t code;     // key code, or mouse button + MOUSE_CODE_BASE
  uint8_t down;
};
constexpr int MOUSE_CODE_BASE = 256;
constexpr int PRESS_CODES = MOUSE_CODE_BASE + 4;
constexpr int QUEUE_SIZE = 256;
static QueuedPress pending[QUEUE_SIZE];
static int pendinghead = 0, pendingcount = 0;
static bool readingtick = false;   // a tick is reading: what arrives waits for the next
static uint32_t tickserial = 0;
static bool tickhastime = false;   // the coming tick takes only presses due by ticktime
static uint32_t ticktime = 0;
// Per key or button, since the last tick ended: let go before the tick saw
// it up (a second press must wait), and tapped so the next tick must see it
// up before it can be pressed again.
static uint8_t letgo[PRESS_CODES];
static uint8_t mustshowup[PRESS_CODES];
// The keys that went down since the last tick ended, in order, and how many
// of them have been taken.
static KeyPress keypresses[QUEUE_SIZE];
static int keypresscount = 0, keypresstaken = 0;
static int focuslost = 0;
static int focustaken = 0;   // TakeFocusLost answered 1 on this tick (what a recording keeps)
static int fedfocus = 0;     // a replay's focus loss, for this tick's TakeFocusLost
// A focus change reported while a tick reads waits for the tick's end, as a
// press does: the keys it lets go of, and the loss itself, reach the next
// tick whole, so every read of one tick agrees.
static bool focuswaiting = false;
static bool clearwaiting = false;
static int clearcut = 0;     // the queued presses the waiting clear drops (those before it)
static int closerequests = 0;
static int windowactive = 1;
static int windowhidden = 0;
static bool joysticksdisabled = false;
static const InputFrame* fed = nullptr;  // a replay's frame, answering in place of the devices
static const InputFrame* fedthen = nullptr;  // answers once the taps are dropped

struct JoyPort {
  JoyReading reading;
  uint32_t readat = 0;
  uint32_t readtick = 0;  // the tick that last read it
  bool everread = false;
};
static JoyPort ports[MAX_JOYPORTS];
static int joycount = 0;

// Chooses the back end that delivers events and joystick readings.
void SetInputBackend(const InputBackend* b) { backend = b; }

static uint8_t& HeldLevel(int code) { return code >= MOUSE_CODE_BASE ? mousebuttons[code - MOUSE_CODE_BASE] : keys[code]; }
static uint8_t& TapLevel(int code) { return code >= MOUSE_CODE_BASE ? mousetaps[code - MOUSE_CODE_BASE] : keytaps[code]; }

// A press waits while the tick would not see the key come up in between: it
// was already pressed or let go since the last tick, or the last tick saw a
// tap of it.
static bool PressMustWait(int code) { return TapLevel(code) || letgo[code] || mustshowup[code]; }

// A key going down from up joins the key presses, with the shift keys as
// they are held at that moment.
static void NoteKeyPress(int code) {
  if (code < 1 || code > 255 || keys[code] || keypresscount == QUEUE_SIZE) return;
  keypresses[keypresscount++] = KeyPress{code, keys[VK_LSHIFT] || keys[VK_RSHIFT]};
}

static void Apply(const QueuedPress& e) {
  if (e.down) {
    NoteKeyPress(e.code);
    HeldLevel(e.code) = 1;
    TapLevel(e.code) = 1;
  } else {
    HeldLevel(e.code) = 0;
    letgo[e.code] = 1;
  }
}

// Takes in the queued presses and releases that are due, in order, stopping
// at a press that belongs to a later tick.
static void ApplyDue() {
  mousex = pointerx;
  mousey = pointery;
  while (pendingcount > 0) {
    const QueuedPress& e = pending[pendinghead];
    if (tickhastime && (int32_t)(e.at - ticktime) > 0) break;
    if (e.down && PressMustWait(e.code)) break;
    Apply(e);
    pendinghead = (pendinghead + 1) % QUEUE_SIZE;
    pendingcount--;
  }
}

static void Queue(int code, int down, uint32_t at) {
  if (pendingcount == QUEUE_SIZE) {  // hundreds of presses in one tick: the oldest counts now
    Apply(pending[pendinghead]);
    pendinghead = (pendinghead + 1) % QUEUE_SIZE;
    pendingcount--;
    if (clearcut > 0) clearcut--;
  }
  pending[(pendinghead + pendingcount) % QUEUE_SIZE] = QueuedPress{at, (int16_t)code, (uint8_t)(down ? 1 : 0)};
  pendingcount++;
}

static void ClearNow();

// A focus change that arrived while the last tick read: its clear drops the
// levels and the presses reported before it, not those after.
static void ApplyWaitingFocus() {
  if (clearwaiting) {
    pendinghead = (pendinghead + clearcut) % QUEUE_SIZE;
    pendingcount -= clearcut;
    int keep = pendingcount, head = pendinghead;
    ClearNow();
    pendinghead = head;
    pendingcount = keep;
    clearwaiting = false;
    clearcut = 0;
  }
  if (focuswaiting) focuslost = 1;
  focuswaiting = false;
}

// Asks the window system for its news without taking in the presses: the
// loop's own questions between ticks (the close button, the window's state)
// leave each press for the tick its time falls in.
static void PumpWindow() {
  if (backend && backend->pump) backend->pump();
}

// Takes in whatever the window system delivered since the last read; while
// a tick reads, what arrives waits for the next tick.
static void Pump() {
  if (backend && backend->pump) backend->pump();
  if (!readingtick) {
    ApplyWaitingFocus();
    ApplyDue();
  }
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

int JoystickPorts() { return fed ? fed->joycount : joycount; }

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
  // A tick reads each joystick once: every read of one tick agrees.
  if (readingtick && p.everread && p.readtick == tickserial) return p.reading;
  uint32_t now = backend->clockms ? backend->clockms() : (uint32_t)ClockMs();
  if (!p.everread || now != p.readat) {
    Pump();
    JoyReading r = p.reading;
    if (backend->joyread(port, &r)) {
      // A pad's axes run -1..1; a driver's stray value (or no number at
      // all) never reaches play.
      for (float& a : r.axes) a = std::isfinite(a) ? std::clamp(a, -1.0f, 1.0f) : 0.0f;
      p.reading = r;
    } else {
      p.reading.buttons = 0;
    }
    p.readat = now;
    p.everread = true;
  }
  if (readingtick) p.readtick = tickserial;
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
  // The watcher's window losing the focus is not something the replayed
  // game saw; the recorded game's own losses are in its frames.
  if (fed) {
    f = fedfocus;
    fedfocus = 0;
    return f;
  }
  focustaken |= f;
  return f;
}

// 1 once after a close request.
int TakeCloseRequest() {
  PumpWindow();
  int c = closerequests > 0 ? 1 : 0;
  closerequests = 0;
  return c;
}

int WindowActive() {
  PumpWindow();
  return windowactive;
}

int WindowHidden() {
  PumpWindow();
  return windowhidden;
}

void InputTickAt(uint32_t ms) {
  tickhastime = true;
  ticktime = ms;
}

void InputBeginTick() {
  Pump();
  readingtick = true;
  tickserial++;
  focustaken = 0;
}

void InputTickDone() {
  readingtick = false;
  tickhastime = false;
  // A key tapped on this tick reads up on the next before it can be pressed again.
  for (int c = 0; c < PRESS_CODES; c++) {
    mustshowup[c] = letgo[c] && TapLevel(c);
    letgo[c] = 0;
  }
  InputDropTaps();
}

void InputQueueKey(int code, int down, uint32_t at) {
  if (code >= 1 && code <= 255) Queue(code, down, at);
}

void InputQueueMouseButton(int button, int down, uint32_t at) {
  if (button >= 1 && button <= 3) Queue(MOUSE_CODE_BASE + button, down, at);
}

void InputDropTaps() {
  if (fed && fedthen) {
    fed = fedthen;
    fedthen = nullptr;
  }
  std::memset(keytaps, 0, sizeof keytaps);
  std::memset(mousetaps, 0, sizeof mousetaps);
  keypresscount = keypresstaken = 0;
}

bool TakeKeyPress(KeyPress* out) {
  Pump();
  if (fed || keypresstaken == keypresscount) return false;
  *out = keypresses[keypresstaken++];
  return true;
}

// Back ends report levels through these.
void InputClearKeysAndButtons() {
  if (readingtick) {
    clearwaiting = true;
    clearcut = pendingcount;
    return;
  }
  ClearNow();
}
static void ClearNow() {
  std::memset(keys, 0, sizeof keys);
  std::memset(mousebuttons, 0, sizeof mousebuttons);
  std::memset(letgo, 0, sizeof letgo);
  std::memset(mustshowup, 0, sizeof mustshowup);
  pendinghead = pendingcount = 0;
  InputDropTaps();
}
void InputPressKey(int code) {
  if (code < 1 || code > 255) return;
  NoteKeyPress(code);
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
  if (code < 1 || code > 255) return;
  if (down) NoteKeyPress(code);
  keys[code] = down ? 1 : 0;
}
void InputSetMouse(int x, int y) {
  pointerx = x;
  pointery = y;
  if (!readingtick) {
    mousex = x;
    mousey = y;
  }
}
void InputSetMouseButton(int button, int down) {
  if (button >= 1 && button <= 3) mousebuttons[button] = down ? 1 : 0;
}
void InputNoteFocusLost() {
  if (readingtick) focuswaiting = true;
  else focuslost = 1;
}
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
  out->focuslost = (uint8_t)focustaken;
}

int InputDeviceKeyDown(int code) {
  Pump();
  if (code < 0 || code > 255) return 0;
  return keys[code] | keytaps[code];
}

void InputFeedFrame(const InputFrame* frame, const InputFrame* then) {
  fed = frame;
  fedthen = frame ? then : nullptr;
  fedfocus = frame ? frame->focuslost : 0;
}

void InputPump() {
  Pump();
  if (!fed)
    for (int p = 0; p < joycount; p++) ReadPort(p);
}
