// The SDL input back end: window events become key, mouse and focus levels in
// the shared input state, and SDL joysticks and game controllers are read
// into the game's eleven axis codes and 32 buttons.
//
// Key codes: the game stores Windows virtual-key codes. Letters follow the
// keyboard layout (the key that types "A" reports 65, as on Windows), falling
// back to the key's position when the layout has no Latin letter there.
// Digits, keypad, punctuation and every other key are taken from the key's
// position (scancode), so the digit row reports 48..57 on any layout and the
// punctuation codes 186..222 name the keys of a US keyboard.
#include <SDL.h>

#include <algorithm>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/sdl_display.h"

namespace {

// What happened to the window that the game does not act on.
uint32_t lastpump = 0;
bool pumpedonce = false;

// Virtual-key code of a key by its position.
int TranslateScancode(int sc) {
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return VK_A + (sc - SDL_SCANCODE_A);
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return VK_1 + (sc - SDL_SCANCODE_1);
  if (sc == SDL_SCANCODE_0) return VK_0;
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return VK_F1 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return VK_F13 + (sc - SDL_SCANCODE_F13);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return VK_NUMPAD1 + (sc - SDL_SCANCODE_KP_1);
  switch (sc) {
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_RETURN2: return VK_RETURN;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_LSHIFT: return VK_LSHIFT;
    case SDL_SCANCODE_RSHIFT: return VK_RSHIFT;
    case SDL_SCANCODE_LCTRL: return VK_LCONTROL;
    case SDL_SCANCODE_RCTRL: return VK_RCONTROL;
    case SDL_SCANCODE_LALT: return VK_LMENU;
    case SDL_SCANCODE_RALT: return VK_RMENU;
    case SDL_SCANCODE_LGUI: return VK_LWIN;
    case SDL_SCANCODE_RGUI: return VK_RWIN;
    case SDL_SCANCODE_APPLICATION: return VK_APPS;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    case SDL_SCANCODE_PRINTSCREEN: return VK_SNAPSHOT;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_102;
    default: return 0;
  }
}

// Mouse button of SDL to the game's 1 left, 2 right, 3 middle (0 others).
int GameButton(int sdlbutton) {
  switch (sdlbutton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

// Records the pointer in picture pixels.
void SetPointer(int wx, int wy) {
  int x, y;
  SDLWindowToPicture(wx, wy, &x, &y);
  InputSetMouse(x, y);
}

// Applies one window event to the shared input state; presses and releases
// are queued at "at", the event's time on the game clock.
void HandleEvent(const SDL_Event& e, uint32_t at) {
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (e.type == SDL_KEYDOWN && e.key.repeat) break;
      InputQueueKey(TranslateSDLKeycode(e.key.keysym.sym, e.key.keysym.scancode), e.type == SDL_KEYDOWN, at);
      break;
    case SDL_MOUSEMOTION:
      SetPointer(e.motion.x, e.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      SetPointer(e.button.x, e.button.y);
      int b = GameButton(e.button.button);
      if (b) InputQueueMouseButton(b, e.type == SDL_MOUSEBUTTONDOWN, at);
      // Keep the pointer ours while any button is held, even outside the window.
      SDL_CaptureMouse(SDL_GetMouseState(nullptr, nullptr) ? SDL_TRUE : SDL_FALSE);
      break;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        InputClearKeysAndButtons();
        InputNoteFocusLost();
        InputSetActive(0);
        SDL_CaptureMouse(SDL_FALSE);
      } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        InputClearKeysAndButtons();
        InputSetActive(1);
      } else if (e.window.event == SDL_WINDOWEVENT_MINIMIZED) {
        InputSetActive(0);
        InputSetHidden(1);
      } else if (e.window.event == SDL_WINDOWEVENT_RESTORED) {
        InputSetActive(1);
        InputSetHidden(0);
      } else if (e.window.event == SDL_WINDOWEVENT_HIDDEN) {
        InputSetHidden(1);
      } else if (e.window.event == SDL_WINDOWEVENT_SHOWN) {
        InputSetHidden(0);
      } else if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        InputNoteCloseRequest();
      }
      break;
    case SDL_QUIT:
      InputNoteCloseRequest();  // ends the game in order, saving, like SIGTERM
      break;
    default:
      break;
  }
}

// Older than this, an event's stamp is not believed.
constexpr uint32_t MAX_EVENT_AGE_MS = 10000;

// Takes in the window system's events: asks the system at most once a
// millisecond, and always drains what is already queued.
void SDLPump() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  uint32_t now = SDL_GetTicks();
  if (!pumpedonce || now != lastpump) {
    SDL_PumpEvents();
    lastpump = now;
    pumpedonce = true;
  }
  // SDL stamps events with its own millisecond count: their age, taken
  // from the game clock's now, places them on the game clock.
  uint32_t sdlnow = SDL_GetTicks();
  uint32_t clocknow = (uint32_t)ClockMs();
  SDL_Event events[64];
  int n;
  while ((n = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0)
    for (int i = 0; i < n; i++) {
      uint32_t age = sdlnow - events[i].common.timestamp;
      if (age > MAX_EVENT_AGE_MS) age = 0;  // stamped after now, or not at all
      HandleEvent(events[i], clocknow - age);
    }
}

// The opened devices, one per port.
struct Device {
  SDL_Joystick* joystick = nullptr;
  SDL_GameController* controller = nullptr;
};
Device devices[MAX_JOYPORTS];
int devicecount = 0;

void CloseDevices() {
  for (int i = 0; i < devicecount; i++) {
    if (devices[i].controller) SDL_GameControllerClose(devices[i].controller);
    else if (devices[i].joystick) SDL_JoystickClose(devices[i].joystick);
    devices[i] = Device{};
  }
  devicecount = 0;
}

// Probes every joystick SDL reports; the first 16 that open become ports.
int SDLJoyCount() {
  if (!SDL_WasInit(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) &&
      SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0)
    return 0;
  CloseDevices();
  SDL_JoystickUpdate();
  int n = SDL_NumJoysticks();
  for (int i = 0; i < n && devicecount < MAX_JOYPORTS; i++) {
    Device d;
    if (SDL_IsGameController(i)) {
      d.controller = SDL_GameControllerOpen(i);
      if (d.controller) d.joystick = SDL_GameControllerGetJoystick(d.controller);
    }
    if (!d.joystick) d.joystick = SDL_JoystickOpen(i);
    if (d.joystick) devices[devicecount++] = d;
  }
  return devicecount;
}

// A raw axis position -32768..32767 as -1..1, exactly 0 at rest.
float AxisValue(int raw) {
  float v = raw < 0 ? raw / 32768.0f : raw / 32767.0f;
  return std::clamp(v, -1.0f, 1.0f);
}

// A hat as a fraction of a turn clockwise from up, -1 when centred.
float HatValue(bool up, bool right, bool down, bool left) {
  if (up && right) return 0.125f;
  if (down && right) return 0.375f;
  if (down && left) return 0.625f;
  if (up && left) return 0.875f;
  if (up) return 0;
  if (right) return 0.25f;
  if (down) return 0.5f;
  if (left) return 0.75f;
  return -1;
}

// Game controller buttons in the game's numbering: A 0, B 1, X 2, Y 3,
// shoulders 4 and 5, back 6, start 7, sticks 8 and 9, guide 10, d-pad 11..14.
const SDL_GameControllerButton controllerbuttons[] = {
    SDL_CONTROLLER_BUTTON_A,          SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,          SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,       SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,  SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,      SDL_CONTROLLER_BUTTON_DPAD_UP,
    SDL_CONTROLLER_BUTTON_DPAD_DOWN,  SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_MISC1,
    SDL_CONTROLLER_BUTTON_PADDLE1,    SDL_CONTROLLER_BUTTON_PADDLE2,
    SDL_CONTROLLER_BUTTON_PADDLE3,    SDL_CONTROLLER_BUTTON_PADDLE4,
    SDL_CONTROLLER_BUTTON_TOUCHPAD,
};

// Reads every button and axis of a game controller: left stick X/Y, right
// stick U (across) and R (down), triggers as Z (right minus left), d-pad hat.
void ReadController(SDL_GameController* c, JoyReading* out) {
  out->buttons = 0;
  int nb = (int)(sizeof controllerbuttons / sizeof controllerbuttons[0]);
  for (int i = 0; i < nb; i++)
    if (SDL_GameControllerGetButton(c, controllerbuttons[i])) out->buttons |= 1u << i;
  out->axes[JOYAXIS_X] = AxisValue(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
  out->axes[JOYAXIS_Y] = AxisValue(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
  out->axes[JOYAXIS_U] = AxisValue(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX));
  out->axes[JOYAXIS_R] = AxisValue(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTY));
  int lt = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
  int rt = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
  out->axes[JOYAXIS_Z] = std::clamp((rt - lt) / 32767.0f, -1.0f, 1.0f);
  out->axes[JOYAXIS_HAT] = HatValue(SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP),
                                    SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
                                    SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN),
                                    SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT));
}

// Reads a plain joystick: axes 0..5 as X, Y, Z, R, U, V, hat 0, 32 buttons.
void ReadJoystick(SDL_Joystick* j, JoyReading* out) {
  static const int axiscodes[6] = {JOYAXIS_X, JOYAXIS_Y, JOYAXIS_Z, JOYAXIS_R, JOYAXIS_U, JOYAXIS_V};
  out->buttons = 0;
  int nb = std::min(SDL_JoystickNumButtons(j), MAX_JOYBUTTONS);
  for (int i = 0; i < nb; i++)
    if (SDL_JoystickGetButton(j, i)) out->buttons |= 1u << i;
  int na = std::min(SDL_JoystickNumAxes(j), 6);
  for (int i = 0; i < na; i++) out->axes[axiscodes[i]] = AxisValue(SDL_JoystickGetAxis(j, i));
  if (SDL_JoystickNumHats(j) > 0) {
    Uint8 h = SDL_JoystickGetHat(j, 0);
    out->axes[JOYAXIS_HAT] = HatValue(h & SDL_HAT_UP, h & SDL_HAT_RIGHT, h & SDL_HAT_DOWN, h & SDL_HAT_LEFT);
  } else {
    out->axes[JOYAXIS_HAT] = -1;
  }
}

// Reads all values of one port at once; false when its device is gone.
bool SDLJoyRead(int port, JoyReading* out) {
  if (port < 0 || port >= devicecount) return false;
  Device& d = devices[port];
  // With video running, the event pump that precedes every reading has just
  // refreshed every joystick; only without it must we ask ourselves.
  if (!SDL_WasInit(SDL_INIT_VIDEO)) SDL_JoystickUpdate();
  if (!SDL_JoystickGetAttached(d.joystick)) return false;
  if (d.controller) ReadController(d.controller, out);
  else ReadJoystick(d.joystick, out);
  return true;
}

uint32_t SDLClock() { return SDL_GetTicks(); }

const InputBackend sdlbackend = {"sdl", SDLPump, SDLJoyCount, SDLJoyRead, SDLClock};

}  // namespace

const InputBackend* SDLInputBackend() { return &sdlbackend; }


// Virtual-key code of an SDL key (0 when the game cannot report it): letters
// by the layout, everything else by position. A letter position that types
// punctuation on this layout reports that punctuation's code.
int TranslateSDLKeycode(int sdlkeycode, int sdlscancode) {
  if (sdlkeycode >= 'a' && sdlkeycode <= 'z') return 'A' + (sdlkeycode - 'a');
  int code = TranslateScancode(sdlscancode);
  if (code >= 'A' && code <= 'Z') {
    int p = PunctuationCode(sdlkeycode);
    if (p) return p;
  }
  return code;
}
