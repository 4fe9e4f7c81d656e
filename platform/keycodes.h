// The key codes the input layer reports: the window system's virtual-key
// codes, left and right modifiers told apart. Letters and digits are their
// upper-case character codes ('A' is 65, '0' is 48).
#pragma once

constexpr int VK_BACK = 8;
constexpr int VK_TAB = 9;
constexpr int VK_RETURN = 13;
constexpr int VK_PAUSE = 19;
constexpr int VK_CAPITAL = 20;
constexpr int VK_ESCAPE = 27;
constexpr int VK_SPACE = 32;
constexpr int VK_PRIOR = 33;  // page up
constexpr int VK_NEXT = 34;   // page down
constexpr int VK_END = 35;
constexpr int VK_HOME = 36;
constexpr int VK_LEFT = 37;
constexpr int VK_UP = 38;
constexpr int VK_RIGHT = 39;
constexpr int VK_DOWN = 40;
constexpr int VK_SNAPSHOT = 44;
constexpr int VK_INSERT = 45;
constexpr int VK_DELETE = 46;
constexpr int VK_0 = '0';
constexpr int VK_1 = '1';
constexpr int VK_A = 'A';
constexpr int VK_D = 'D';
constexpr int VK_S = 'S';
constexpr int VK_W = 'W';
constexpr int VK_X = 'X';
constexpr int VK_Z = 'Z';
constexpr int VK_LWIN = 91;
constexpr int VK_RWIN = 92;
constexpr int VK_APPS = 93;
constexpr int VK_NUMPAD0 = 96;
constexpr int VK_NUMPAD1 = 97;
constexpr int VK_NUMPAD4 = 100;
constexpr int VK_NUMPAD5 = 101;
constexpr int VK_NUMPAD6 = 102;
constexpr int VK_NUMPAD8 = 104;
constexpr int VK_MULTIPLY = 106;
constexpr int VK_ADD = 107;
constexpr int VK_SUBTRACT = 109;
constexpr int VK_DECIMAL = 110;
constexpr int VK_DIVIDE = 111;
constexpr int VK_F1 = 112;
constexpr int VK_F2 = 113;
constexpr int VK_F12 = 123;
constexpr int VK_F13 = 124;
constexpr int VK_NUMLOCK = 144;
constexpr int VK_SCROLL = 145;
constexpr int VK_LSHIFT = 160;
constexpr int VK_RSHIFT = 161;
constexpr int VK_LCONTROL = 162;
constexpr int VK_RCONTROL = 163;
constexpr int VK_LMENU = 164;  // left alt
constexpr int VK_RMENU = 165;  // right alt
constexpr int VK_OEM_1 = 186;  // ;
constexpr int VK_OEM_PLUS = 187;
constexpr int VK_OEM_COMMA = 188;
constexpr int VK_OEM_MINUS = 189;
constexpr int VK_OEM_PERIOD = 190;
constexpr int VK_OEM_2 = 191;  // /
constexpr int VK_OEM_3 = 192;  // `
constexpr int VK_OEM_4 = 219;  // [
constexpr int VK_OEM_5 = 220;  // backslash
constexpr int VK_OEM_6 = 221;  // ]
constexpr int VK_OEM_7 = 222;  // '
constexpr int VK_OEM_102 = 226;
constexpr int VK_COUNT = 256;  // codes run 0..255

// Virtual-key code of a US punctuation character (0 for others), as the
// keyboards of both back ends report it.
constexpr int PunctuationCode(int ch) {
  switch (ch) {
    case ';': return VK_OEM_1;
    case '=': return VK_OEM_PLUS;
    case ',': return VK_OEM_COMMA;
    case '-': return VK_OEM_MINUS;
    case '.': return VK_OEM_PERIOD;
    case '/': return VK_OEM_2;
    case '`': return VK_OEM_3;
    case '[': return VK_OEM_4;
    case '\\': return VK_OEM_5;
    case ']': return VK_OEM_6;
    case '\'': return VK_OEM_7;
    default: return 0;
  }
}
