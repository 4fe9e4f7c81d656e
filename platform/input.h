// Input layer: levels of the keyboard (Windows virtual-key codes), the mouse
// (in the 800x600 picture's pixels) and up to 16 joysticks. Reading any input
// first takes in what the window system has delivered since the last read.
#pragma once
#include <cstdint>

constexpr int MAX_JOYPORTS = 16;
constexpr int MAX_JOYBUTTONS = 32;
constexpr int JOY_AXES = 11;

// Axis codes.
enum JoyAxisCode {
  JOYAXIS_HAT = 0, JOYAXIS_PITCH = 1, JOYAXIS_R = 2, JOYAXIS_ROLL = 3, JOYAXIS_U = 4,
  JOYAXIS_V = 5, JOYAXIS_WHEEL = 6, JOYAXIS_X = 7, JOYAXIS_Y = 8, JOYAXIS_YAW = 9, JOYAXIS_Z = 10
};

int KeyDown(int code);
int MouseX();
int MouseY();
// Mouse buttons as MouseDown numbers them.
constexpr int MOUSE_LEFT = 1, MOUSE_RIGHT = 2, MOUSE_MIDDLE = 3;
int MouseDown(int button);
int JoystickCount();
// The ports the last probe found (a watched replay: the recorded game's),
// without probing again: what a tick may read.
int JoystickPorts();
int JoyButtonDown(int button, int port);
float JoyAxis(int axis, int port);

// 1 once after the game window lost the input focus (then 0 until it is lost
// again); the playfield uses it to pause. A loss reported while a tick reads
// reaches the next tick, with the keys it let go of.
int TakeFocusLost();
// 1 once after the window system asked the game to close (the close button).
int TakeCloseRequest();
// 0 while the window has no input focus or is minimised: nothing to draw
// for, so the loop sleeps.
int WindowActive();
// 1 while the window is minimised or hidden: nobody sees a picture, so none
// is painted.
int WindowHidden();
// The frame loop's ticks. A tick that is not the last of its pass takes in
// only the presses and releases reported by its time on the game clock
// (InputTickAt, before it begins); the last takes in all. While a tick
// reads, what arrives waits, so every read of one tick agrees.
void InputTickAt(uint32_t ms);
void InputBeginTick();
// A tick has read its input: presses it has seen stop counting as held. A
// key or mouse button pressed and let go between two ticks reads as down
// for the next tick, then up for one tick, then as it really is; a second
// press waits for the tick after, so no press is lost however many come in
// one pass.
void InputTickDone();
// Forgets presses not yet seen as held, and key presses not taken (the end
// of every tick does this).
void InputDropTaps();

// A key going down: its code, and whether a shift key was held as it did.
struct KeyPress {
  int code;
  bool shifted;
};
// The next key that went down since the last tick ended and has not been
// taken yet, in the order the keys went down (false when there is none).
// Typing reads these rather than the levels: each counts once, however many
// keys went down and up within one tick and whether or not the last was let
// go first. While a replay's frames are fed in there are none.
bool TakeKeyPress(KeyPress* out);

// Shared input state, filled by the back ends.
struct JoyReading {
  uint32_t buttons = 0;           // bit n: button n held
  float axes[JOY_AXES] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
};
void InputClearKeysAndButtons();  // focus change and display open
void InputSetKey(int code, int down);
void InputSetMouse(int x, int y);
void InputSetMouseButton(int button, int down);
void InputNoteFocusLost();
void InputNoteCloseRequest();
void InputSetActive(int active);
void InputSetHidden(int hidden);
// A key or mouse button the window system reports pressed: held, and counted
// as down for the next tick even if let go before it.
void InputPressKey(int code);
void InputPressMouseButton(int button);
// A key or mouse button pressed (down 1) or let go (0) at a time of the
// game clock: queued in order for the tick it falls in.
void InputQueueKey(int code, int down, uint32_t at);
void InputQueueMouseButton(int button, int down, uint32_t at);
// The next read of a joystick port (-1: every port) asks its back end again.
void InputForgetJoyReading(int port);

// An input back end: a record of function pointers.
struct InputBackend {
  const char* name;
  void (*pump)();                                   // take in window events
  int (*joycount)();                                // probe and build the port list
  bool (*joyread)(int port, JoyReading* out);       // false when no joystick answers
  uint32_t (*clockms)();                            // for the once-per-millisecond rule
};
void SetInputBackend(const InputBackend* backend);
const InputBackend* HeadlessInputBackend();
const InputBackend* SDLInputBackend();
const InputBackend* WebInputBackend();  // the browser build's page events and gamepads

// Headless script: levels set directly by a test or a scripted run.
void HeadlessSetKey(int code, int down);
void HeadlessSetMouse(int x, int y);
void HeadlessSetMouseButton(int button, int down);
// A press or release at a time of the clock, as a window system reports it.
void HeadlessQueueKey(int code, int down, uint32_t at);
void HeadlessSetJoystickCount(int count);
void HeadlessSetJoyButton(int port, int button, int down);
void HeadlessSetJoyAxis(int port, int axis, float value);
void HeadlessReleaseAll();
// The headless window is asked to close, or loses and regains its focus.
void HeadlessRequestClose();
void HeadlessSetActive(int active);
void HeadlessSetFocus(int focused);
void HeadlessSetMinimised(int minimised);

// SDL key translation to virtual-key codes (0 for keys the game cannot report).
int TranslateSDLKeycode(int sdlkeycode, int sdlscancode);
// Disables joysticks for this run (--no-joystick).
void SetJoysticksDisabled(bool disabled);
