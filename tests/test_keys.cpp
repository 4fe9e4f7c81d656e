// SDL keys become the Windows virtual-key codes the settings file stores.
// Key positions are given as USB keyboard usage numbers, which is what SDL's
// scancodes are; a key without a character has its position as its symbol
// with bit 30 set.
#include <gtest/gtest.h>

#include "platform/input.h"

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

}  // namespace
