// The browser's input back end: the page's key, mouse and focus events
// become the shared input state, and the browser's gamepads are read into
// the game's eleven axis codes and 32 buttons just as the desktop's.
//
// Key codes follow the desktop: letters by the keyboard layout (the key that
// types "a" reports 65), everything else by the key's position, so the digit
// row reports 48..57 on any layout and punctuation names the keys of a US
// keyboard.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keycodes.h"

namespace {

// The picture's own size in logical pixels.
constexpr int kPictureW = 800, kPictureH = 600;
// Older than this, an event's stamp is not believed.
constexpr double kMaxEventAgeMs = 10000;

struct NamedKey {
  const char* code;
  int vk;
};
// Keys by the position the page names ("KeyA", "Digit1"... are worked out).
const NamedKey namedkeys[] = {
    {"Numpad0", VK_NUMPAD0}, {"NumpadMultiply", VK_MULTIPLY}, {"NumpadAdd", VK_ADD},
    {"NumpadEnter", VK_RETURN}, {"NumpadSubtract", VK_SUBTRACT}, {"NumpadDecimal", VK_DECIMAL},
    {"NumpadDivide", VK_DIVIDE}, {"ArrowLeft", VK_LEFT}, {"ArrowUp", VK_UP},
    {"ArrowRight", VK_RIGHT}, {"ArrowDown", VK_DOWN}, {"Escape", VK_ESCAPE},
    {"Enter", VK_RETURN}, {"Space", VK_SPACE}, {"Backspace", VK_BACK},
    {"Tab", VK_TAB}, {"Home", VK_HOME}, {"End", VK_END},
    {"PageUp", VK_PRIOR}, {"PageDown", VK_NEXT}, {"Insert", VK_INSERT},
    {"Delete", VK_DELETE}, {"ShiftLeft", VK_LSHIFT}, {"ShiftRight", VK_RSHIFT},
    {"ControlLeft", VK_LCONTROL}, {"ControlRight", VK_RCONTROL}, {"AltLeft", VK_LMENU},
    {"AltRight", VK_RMENU}, {"MetaLeft", VK_LWIN}, {"MetaRight", VK_RWIN},
    {"OSLeft", VK_LWIN}, {"OSRight", VK_RWIN}, {"ContextMenu", VK_APPS},
    {"Pause", VK_PAUSE}, {"CapsLock", VK_CAPITAL}, {"NumLock", VK_NUMLOCK},
    {"ScrollLock", VK_SCROLL}, {"PrintScreen", VK_SNAPSHOT}, {"Semicolon", VK_OEM_1},
    {"Equal", VK_OEM_PLUS}, {"Comma", VK_OEM_COMMA}, {"Minus", VK_OEM_MINUS},
    {"Period", VK_OEM_PERIOD}, {"Slash", VK_OEM_2}, {"Backquote", VK_OEM_3},
    {"BracketLeft", VK_OEM_4}, {"Backslash", VK_OEM_5}, {"BracketRight", VK_OEM_6},
    {"Quote", VK_OEM_7}, {"IntlBackslash", VK_OEM_102},
};

// The number after a prefix ("F12" -> 12), or -1.
int NumberAfter(const char* text, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (std::strncmp(text, prefix, n) != 0 || !text[n]) return -1;
  int v = 0;
  for (const char* p = text + n; *p; p++) {
    if (*p < '0' || *p > '9') return -1;
    v = v * 10 + (*p - '0');
  }
  return v;
}

// Virtual-key code of a key by its position (the event's code).
int PositionCode(const char* code) {
  if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && !code[4]) return code[3];
  if (std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && !code[6]) return code[5];
  int f = NumberAfter(code, "F");
  if (f >= 1 && f <= 12) return VK_F1 + f - 1;
  if (f >= 13 && f <= 24) return VK_F13 + f - 13;
  int pad = NumberAfter(code, "Numpad");
  if (pad >= 1 && pad <= 9) return VK_NUMPAD1 + pad - 1;
  for (const NamedKey& k : namedkeys)
    if (std::strcmp(code, k.code) == 0) return k.vk;
  return 0;
}


// Letters by the layout (the event's key), everything else by position; a
// letter position that types punctuation on this layout reports that.
int TranslateWebKey(const char* key, const char* code) {
  bool onechar = key[0] && !key[1];
  if (onechar && key[0] >= 'a' && key[0] <= 'z') return 'A' + (key[0] - 'a');
  if (onechar && key[0] >= 'A' && key[0] <= 'Z') return key[0];
  int vk = PositionCode(code);
  if (vk >= 'A' && vk <= 'Z' && onechar) {
    int p = PunctuationCode((unsigned char)key[0]);
    if (p) return p;
  }
  return vk;
}

// The event's time on the game clock: the page stamps events on the same
// clock the game reads, so only a stamp from the future or long past is
// replaced by now.
uint32_t EventTime(double stamp) {
  double now = emscripten_get_now();
  double age = now - stamp;
  if (!(age >= 0 && age <= kMaxEventAgeMs)) age = 0;
  return (uint32_t)(uint64_t)(now - age);
}

// Keys the page would otherwise act on (scrolling, moving the focus, going
// back, searching, its help): the game has them alone. Escape is left to the
// browser too, so that it still leaves full screen; F5 and F11 stay the
// browser's.
bool GameOwnsKey(int vk) {
  switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_SPACE: case VK_TAB: case VK_BACK: case VK_PRIOR: case VK_NEXT:
    case VK_HOME: case VK_END: case VK_F1: case VK_F2: case VK_F12:
    case VK_OEM_2: case VK_OEM_7:
      return true;
    default:
      return false;
  }
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* e, void*) {
  int vk = TranslateWebKey(e->key, e->code);
  if (vk && !(type == EMSCRIPTEN_EVENT_KEYDOWN && e->repeat))
    InputQueueKey(vk, type == EMSCRIPTEN_EVENT_KEYDOWN, EventTime(e->timestamp));
  return GameOwnsKey(vk) ? EM_TRUE : EM_FALSE;
}

// Where the canvas sits on the page, in CSS pixels.
EM_JS(void, pf_canvas_rect, (double* out), {
  var c = document.getElementById("canvas");
  var r = c ? c.getBoundingClientRect() : {left : 0, top : 0, width : 800, height : 600};
  HEAPF64[out >> 3] = r.left;
  HEAPF64[(out >> 3) + 1] = r.top;
  HEAPF64[(out >> 3) + 2] = r.width;
  HEAPF64[(out >> 3) + 3] = r.height;
});

// Records the pointer in picture pixels. The picture fills the canvas with
// its shape kept (bars beside or above it when the canvas is another shape).
void SetPointer(const EmscriptenMouseEvent* e) {
  double r[4];
  pf_canvas_rect(r);
  double scale = std::min(r[2] / kPictureW, r[3] / kPictureH);
  if (!(scale > 0)) return;
  double left = r[0] + (r[2] - kPictureW * scale) / 2, top = r[1] + (r[3] - kPictureH * scale) / 2;
  InputSetMouse((int)std::floor((e->clientX - left) / scale), (int)std::floor((e->clientY - top) / scale));
}

// The page's buttons (0 left, 1 middle, 2 right) as the game's 1 left, 2 right, 3 middle.
int GameButton(int button) {
  switch (button) {
    case 0: return MOUSE_LEFT;
    case 1: return MOUSE_MIDDLE;
    case 2: return MOUSE_RIGHT;
    default: return 0;
  }
}

EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* e, void*) {
  SetPointer(e);
  return EM_FALSE;
}

// Presses count on the canvas; a release anywhere (the pointer may have left it).
EM_BOOL OnMouseButton(int type, const EmscriptenMouseEvent* e, void*) {
  SetPointer(e);
  int b = GameButton(e->button);
  if (b) InputQueueMouseButton(b, type == EMSCRIPTEN_EVENT_MOUSEDOWN, EventTime(e->timestamp));
  return type == EMSCRIPTEN_EVENT_MOUSEDOWN ? EM_TRUE : EM_FALSE;
}

// The tab losing or regaining the focus, as the desktop's window does.
EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void*) {
  InputClearKeysAndButtons();
  if (type == EMSCRIPTEN_EVENT_BLUR) {
    InputNoteFocusLost();
    InputSetActive(0);
  } else {
    InputSetActive(1);
  }
  return EM_FALSE;
}

// A hidden tab is a minimised window: nobody sees a picture.
EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* e, void*) {
  InputSetHidden(e->hidden ? 1 : 0);
  return EM_FALSE;
}

bool listening = false;

// Starts listening to the page once, the first time input is read.
void Listen() {
  if (listening) return;
  listening = true;
  const char* win = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  emscripten_set_keydown_callback(win, nullptr, EM_FALSE, OnKey);
  emscripten_set_keyup_callback(win, nullptr, EM_FALSE, OnKey);
  emscripten_set_mousemove_callback(win, nullptr, EM_FALSE, OnMouseMove);
  emscripten_set_mousedown_callback("#canvas", nullptr, EM_FALSE, OnMouseButton);
  emscripten_set_mouseup_callback(win, nullptr, EM_FALSE, OnMouseButton);
  emscripten_set_blur_callback(win, nullptr, EM_FALSE, OnFocus);
  emscripten_set_focus_callback(win, nullptr, EM_FALSE, OnFocus);
  emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, OnVisibility);
}

// Events arrive between frames by themselves: the pump only makes sure
// the page is being listened to.
void WebPump() { Listen(); }

// The browser's gamepads that are connected, one per port, by their index.
long padindex[MAX_JOYPORTS];
int padcount = 0;

int WebJoyCount() {
  Listen();
  padcount = 0;
  if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return 0;
  int n = emscripten_get_num_gamepads();
  for (int i = 0; i < n && padcount < MAX_JOYPORTS; i++) {
    EmscriptenGamepadEvent g;
    if (emscripten_get_gamepad_status(i, &g) == EMSCRIPTEN_RESULT_SUCCESS && g.connected)
      padindex[padcount++] = i;
  }
  return padcount;
}

// A page axis -1..1 as the game's, exactly 0 at rest.
float AxisValue(double v) { return std::clamp((float)v, -1.0f, 1.0f); }

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

// The standard layout's buttons in the game's numbering: A 0, B 1, X 2, Y 3,
// shoulders 4 and 5, back 6, start 7, sticks 8 and 9, guide 10, d-pad
// 11..14 (up, down, left, right), as the desktop numbers a game controller.
enum StandardButton {
  PAD_A = 0, PAD_B = 1, PAD_X = 2, PAD_Y = 3, PAD_LB = 4, PAD_RB = 5, PAD_LT = 6, PAD_RT = 7,
  PAD_BACK = 8, PAD_START = 9, PAD_LS = 10, PAD_RS = 11, PAD_UP = 12, PAD_DOWN = 13, PAD_LEFT = 14,
  PAD_RIGHT = 15, PAD_GUIDE = 16
};
const int standardbuttons[] = {PAD_A,  PAD_B,  PAD_X,     PAD_Y,  PAD_LB,   PAD_RB,   PAD_BACK, PAD_START,
                               PAD_LS, PAD_RS, PAD_GUIDE, PAD_UP, PAD_DOWN, PAD_LEFT, PAD_RIGHT};
enum StandardAxis { PAD_LX = 0, PAD_LY = 1, PAD_RX = 2, PAD_RY = 3 };

bool Pressed(const EmscriptenGamepadEvent& g, int b) { return b < g.numButtons && g.digitalButton[b]; }
double Analog(const EmscriptenGamepadEvent& g, int b) { return b < g.numButtons ? g.analogButton[b] : 0; }
double Axis(const EmscriptenGamepadEvent& g, int a) { return a < g.numAxes ? g.axis[a] : 0; }

// A pad in the standard layout reads as the desktop's game controller: left
// stick X/Y, right stick U (across) and R (down), triggers as Z (right minus
// left), d-pad hat.
void ReadStandard(const EmscriptenGamepadEvent& g, JoyReading* out) {
  out->buttons = 0;
  int nb = (int)(sizeof standardbuttons / sizeof standardbuttons[0]);
  for (int i = 0; i < nb; i++)
    if (Pressed(g, standardbuttons[i])) out->buttons |= 1u << i;
  out->axes[JOYAXIS_X] = AxisValue(Axis(g, PAD_LX));
  out->axes[JOYAXIS_Y] = AxisValue(Axis(g, PAD_LY));
  out->axes[JOYAXIS_U] = AxisValue(Axis(g, PAD_RX));
  out->axes[JOYAXIS_R] = AxisValue(Axis(g, PAD_RY));
  out->axes[JOYAXIS_Z] = AxisValue(Analog(g, PAD_RT) - Analog(g, PAD_LT));
  out->axes[JOYAXIS_HAT] =
      HatValue(Pressed(g, PAD_UP), Pressed(g, PAD_RIGHT), Pressed(g, PAD_DOWN), Pressed(g, PAD_LEFT));
}

// Any other pad reads as a plain joystick: axes 0..5 as X, Y, Z, R, U, V,
// 32 buttons, no hat.
void ReadPlain(const EmscriptenGamepadEvent& g, JoyReading* out) {
  static const int axiscodes[6] = {JOYAXIS_X, JOYAXIS_Y, JOYAXIS_Z, JOYAXIS_R, JOYAXIS_U, JOYAXIS_V};
  out->buttons = 0;
  int nb = std::min(g.numButtons, MAX_JOYBUTTONS);
  for (int i = 0; i < nb; i++)
    if (g.digitalButton[i]) out->buttons |= 1u << i;
  int na = std::min(g.numAxes, 6);
  for (int i = 0; i < na; i++) out->axes[axiscodes[i]] = AxisValue(g.axis[i]);
  out->axes[JOYAXIS_HAT] = -1;
}

bool WebJoyRead(int port, JoyReading* out) {
  if (port < 0 || port >= padcount) return false;
  if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return false;
  EmscriptenGamepadEvent g;
  if (emscripten_get_gamepad_status(padindex[port], &g) != EMSCRIPTEN_RESULT_SUCCESS || !g.connected)
    return false;
  if (std::strcmp(g.mapping, "standard") == 0) ReadStandard(g, out);
  else ReadPlain(g, out);
  return true;
}

uint32_t WebClock() { return (uint32_t)ClockMs(); }

const InputBackend webbackend = {"web", WebPump, WebJoyCount, WebJoyRead, WebClock};

}  // namespace

const InputBackend* WebInputBackend() { return &webbackend; }
