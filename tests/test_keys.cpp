// The SDL input back end: keys become the Windows virtual-key codes the
// settings file stores, and joysticks (a virtual SDL device here) read as the
// game's axis codes and buttons.
// Key positions are given as USB keyboard usage numbers, which is what SDL's
// scancodes are; a key without a character has its position as its symbol
// with bit 30 set.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "platform/sdl_display.h"
#include "platform/sdl_testpad.h"
#include "services/key_names.h"

#include <map>
#include <string>

namespace {

enum Pos {
  A = 4, M = 16, Q = 20, N1 = 30, N0 = 39, RETURN = 40, ESCAPE = 41, BACKSPACE = 42, TAB = 43,
  SPACE = 44, MINUS = 45, EQUALS = 46, LBRACKET = 47, RBRACKET = 48, BACKSLASH = 49,
  SEMICOLON = 51, APOSTROPHE = 52, GRAVE = 53, COMMA = 54, PERIOD = 55, SLASH = 56,
  CAPSLOCK = 57, F1 = 58, PAUSE = 72, INSERT = 73, HOME = 74, PAGEUP = 75, DELETE = 76,
  END = 77, PAGEDOWN = 78, RIGHT = 79, LEFT = 80, DOWN = 81, UP = 82, KP_DIVIDE = 84,
  KP_MULTIPLY = 85, KP_MINUS = 86, KP_PLUS = 87, KP_ENTER = 88, KP_1 = 89, KP_0 = 98,
  KP_PERIOD = 99, LCTRL = 224, LSHIFT = 225, LALT = 226, RCTRL = 228, RSHIFT = 229, RALT = 230
};

int Key(int sym, int pos) { return TranslateSDLKeycode(sym, pos); }
// A key with no character.
int Special(int pos) { return TranslateSDLKeycode(pos | (1 << 30), pos); }
// A key as a US keyboard types it.
int Us(int pos) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz1234567890";
  if (pos >= A && pos <= N0) return Key(letters[pos - A], pos);
  switch (pos) {
    case RETURN: return Key('\r', pos);
    case ESCAPE: return Key(27, pos);
    case BACKSPACE: return Key(8, pos);
    case TAB: return Key('\t', pos);
    case SPACE: return Key(' ', pos);
    case MINUS: return Key('-', pos);
    case EQUALS: return Key('=', pos);
    case LBRACKET: return Key('[', pos);
    case RBRACKET: return Key(']', pos);
    case BACKSLASH: return Key('\\', pos);
    case SEMICOLON: return Key(';', pos);
    case APOSTROPHE: return Key('\'', pos);
    case GRAVE: return Key('`', pos);
    case COMMA: return Key(',', pos);
    case PERIOD: return Key('.', pos);
    case SLASH: return Key('/', pos);
    case DELETE: return Key(127, pos);
    default: return Special(pos);
  }
}

TEST(SDLKeys, LettersDigitsAndFunctionKeys) {
  for (int i = 0; i < 26; i++) EXPECT_EQ(Us(A + i), 65 + i);
  EXPECT_EQ(Us(N0), 48);
  for (int i = 0; i < 9; i++) EXPECT_EQ(Us(N1 + i), 49 + i);
  for (int i = 0; i < 12; i++) EXPECT_EQ(Us(F1 + i), 112 + i);
}

// The REDEFINE KEYS menu names each key: every key a US keyboard reports has
// a name of its own, and no two keys share one.
TEST(SDLKeys, EveryKeyTheKeyboardReportsHasANameOfItsOwn) {
  std::map<std::string, int> seen;
  for (int pos = A; pos <= RALT; pos++) {
    int code = Us(pos);
    if (code <= 0) continue;
    const std::string& name = KeyName(code);
    EXPECT_NE(name, "KEY " + std::to_string(code)) << "position " << pos;
    auto [at, fresh] = seen.emplace(name, code);
    EXPECT_TRUE(fresh || at->second == code) << name << " names " << at->second << " and " << code;
  }
}

TEST(SDLKeys, KeypadArrowsAndEditingKeys) {
  EXPECT_EQ(Us(KP_0), 96);
  for (int i = 0; i < 9; i++) EXPECT_EQ(Us(KP_1 + i), 97 + i);
  EXPECT_EQ(Us(KP_MULTIPLY), 106);
  EXPECT_EQ(Us(KP_PLUS), 107);
  EXPECT_EQ(Us(KP_ENTER), 13);
  EXPECT_EQ(Us(KP_MINUS), 109);
  EXPECT_EQ(Us(KP_PERIOD), 110);
  EXPECT_EQ(Us(KP_DIVIDE), 111);
  EXPECT_EQ(Us(LEFT), 37);
  EXPECT_EQ(Us(UP), 38);
  EXPECT_EQ(Us(RIGHT), 39);
  EXPECT_EQ(Us(DOWN), 40);
  EXPECT_EQ(Us(ESCAPE), 27);
  EXPECT_EQ(Us(RETURN), 13);
  EXPECT_EQ(Us(SPACE), 32);
  EXPECT_EQ(Us(BACKSPACE), 8);
  EXPECT_EQ(Us(TAB), 9);
  EXPECT_EQ(Us(HOME), 36);
  EXPECT_EQ(Us(END), 35);
  EXPECT_EQ(Us(PAGEUP), 33);
  EXPECT_EQ(Us(PAGEDOWN), 34);
  EXPECT_EQ(Us(INSERT), 45);
  EXPECT_EQ(Us(DELETE), 46);
  EXPECT_EQ(Us(PAUSE), 19);
  EXPECT_EQ(Us(CAPSLOCK), 20);
}

TEST(SDLKeys, ModifiersReportTheirSideNeverTheGenericCode) {
  EXPECT_EQ(Us(LSHIFT), 160);
  EXPECT_EQ(Us(RSHIFT), 161);
  EXPECT_EQ(Us(LCTRL), 162);
  EXPECT_EQ(Us(RCTRL), 163);
  EXPECT_EQ(Us(LALT), 164);
  EXPECT_EQ(Us(RALT), 165);
}

TEST(SDLKeys, PunctuationByUSPosition) {
  EXPECT_EQ(Us(SEMICOLON), 186);
  EXPECT_EQ(Us(EQUALS), 187);
  EXPECT_EQ(Us(COMMA), 188);
  EXPECT_EQ(Us(MINUS), 189);
  EXPECT_EQ(Us(PERIOD), 190);
  EXPECT_EQ(Us(SLASH), 191);
  EXPECT_EQ(Us(GRAVE), 192);
  EXPECT_EQ(Us(LBRACKET), 219);
  EXPECT_EQ(Us(BACKSLASH), 220);
  EXPECT_EQ(Us(RBRACKET), 221);
  EXPECT_EQ(Us(APOSTROPHE), 222);
}

TEST(SDLKeys, OtherLayouts) {
  // French layout: the key where US types "q" types "a", and the other way;
  // the digit row types symbols but still reports digits.
  EXPECT_EQ(Key('a', Q), 'A');
  EXPECT_EQ(Key('q', A), 'Q');
  EXPECT_EQ(Key('&', N1), '1');
  EXPECT_EQ(Key(',', M), 188);
  // A layout without Latin letters falls back to the key's position.
  EXPECT_EQ(Key(0x444, A), 'A');
  EXPECT_EQ(Key(0, 0), 0);
}

TEST(SDLMouse, PictureIsFittedWithItsAspectKept) {
  Letterbox same = ComputeLetterbox(800, 600);
  EXPECT_EQ(same.x, 0);
  EXPECT_EQ(same.w, 800);
  Letterbox wide = ComputeLetterbox(1920, 1080);  // bars left and right
  EXPECT_EQ(wide.w, 1440);
  EXPECT_EQ(wide.h, 1080);
  EXPECT_EQ(wide.x, 240);
  EXPECT_EQ(wide.y, 0);
  Letterbox tall = ComputeLetterbox(800, 900);    // bars above and below
  EXPECT_EQ(tall.w, 800);
  EXPECT_EQ(tall.h, 600);
  EXPECT_EQ(tall.y, 150);
}

class SDLJoystick : public ::testing::Test {
 protected:
  void SetUp() override { PlatformInit(PlatformKind::Real); }
  void TearDown() override {
    DetachTestPad();
    JoystickCount();
    PlatformInit(PlatformKind::Headless);
  }
  // Lets the once-per-millisecond reading take the new values.
  static void Settle() { SleepMs(3); }
};

TEST_F(SDLJoystick, PlainJoystickAxesHatAndButtons) {
  if (!AttachTestPad(false)) GTEST_SKIP() << "no virtual joysticks in this SDL";
  ASSERT_EQ(JoystickCount(), 1);
  const int codes[6] = {JOYAXIS_X, JOYAXIS_Y, JOYAXIS_Z, JOYAXIS_R, JOYAXIS_U, JOYAXIS_V};
  for (int a = 0; a < 6; a++) SetTestPadAxis(a, a % 2 ? -32768 : 32767);
  SetTestPadButton(3, 1);
  SetTestPadHat(0);
  Settle();
  for (int a = 0; a < 6; a++) EXPECT_FLOAT_EQ(JoyAxis(codes[a], 0), a % 2 ? -1.0f : 1.0f) << a;
  EXPECT_EQ(JoyButtonDown(3, 0), 1);
  EXPECT_EQ(JoyButtonDown(2, 0), 0);
  EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_HAT, 0), -1);  // centred
  EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_PITCH, 0), 0);
  const int hats[8] = {1, 1 | 2, 2, 2 | 4, 4, 4 | 8, 8, 8 | 1};
  for (int i = 0; i < 8; i++) {
    SetTestPadHat(hats[i]);
    Settle();
    EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_HAT, 0), i * 0.125f) << "hat " << hats[i];
  }
  SetTestPadAxis(0, 0);
  Settle();
  EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_X, 0), 0);  // exactly still at rest
}

TEST_F(SDLJoystick, ControllerLayoutFitsTheDefaultControls) {
  if (!AttachTestPad(true)) GTEST_SKIP() << "no virtual joysticks in this SDL";
  ASSERT_EQ(JoystickCount(), 1);
  // A virtual controller's mapping: axes left x/y, right x/y, triggers;
  // buttons in SDL's controller order (a, b, x, y, back, guide, start, ...).
  SetTestPadAxis(0, -32768);   // left stick left
  SetTestPadAxis(1, 32767);    // left stick down
  SetTestPadAxis(2, 32767);    // right stick right
  SetTestPadAxis(3, -32768);   // right stick up
  SetTestPadAxis(4, 32767);    // left trigger full
  SetTestPadAxis(5, -32768);   // right trigger released
  SetTestPadButton(6, 1);      // start
  SetTestPadButton(0, 1);      // a
  Settle();
  EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_X, 0), -1);
  EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_Y, 0), 1);
  EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_U, 0), 1);
  EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_R, 0), -1);
  EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_Z, 0), -1);  // right minus left
  EXPECT_EQ(JoyButtonDown(7, 0), 1);           // start is button 7
  EXPECT_EQ(JoyButtonDown(0, 0), 1);
  EXPECT_EQ(JoyButtonDown(6, 0), 0);
  EXPECT_FLOAT_EQ(JoyAxis(JOYAXIS_HAT, 0), -1);
}

}  // namespace
