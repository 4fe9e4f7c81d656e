// One table of key codes and their names, filled in once.
#include "services/key_names.h"

#include <array>

#include "platform/keycodes.h"

namespace {
struct NamedKey {
  int code;
  const char* name;
};

// Every named key apart from the letters, digits, keypad digits and
// function keys, which are named by their runs below.
constexpr NamedKey kNamedKeys[] = {
    {VK_BACK, "BACKSPACE"},   {VK_TAB, "TAB"},          {VK_RETURN, "ENTER"},
    {VK_PAUSE, "PAUSE"},      {VK_CAPITAL, "CAPS LOCK"}, {VK_ESCAPE, "ESCAPE"},
    {VK_SPACE, "SPACE"},      {VK_PRIOR, "PAGE UP"},    {VK_NEXT, "PAGE DOWN"},
    {VK_END, "END"},          {VK_HOME, "HOME"},        {VK_LEFT, "LEFT"},
    {VK_UP, "UP"},            {VK_RIGHT, "RIGHT"},      {VK_DOWN, "DOWN"},
    {VK_SNAPSHOT, "PRINT"},   {VK_INSERT, "INSERT"},    {VK_DELETE, "DELETE"},
    {VK_LWIN, "L SYSTEM"},    {VK_RWIN, "R SYSTEM"},    {VK_APPS, "MENU"},
    {VK_MULTIPLY, "NUM *"},   {VK_ADD, "NUM +"},        {VK_SUBTRACT, "NUM -"},
    {VK_DECIMAL, "NUM ."},    {VK_DIVIDE, "NUM /"},     {VK_NUMLOCK, "NUM LOCK"},
    {VK_SCROLL, "SCROLL LOCK"}, {VK_LSHIFT, "L SHIFT"}, {VK_RSHIFT, "R SHIFT"},
    {VK_LCONTROL, "L CTRL"},  {VK_RCONTROL, "R CTRL"},  {VK_LMENU, "L ALT"},
    {VK_RMENU, "R ALT"},      {VK_OEM_1, ";"},          {VK_OEM_PLUS, "="},
    {VK_OEM_COMMA, ","},      {VK_OEM_MINUS, "-"},      {VK_OEM_PERIOD, "."},
    {VK_OEM_2, "/"},          {VK_OEM_3, "`"},          {VK_OEM_4, "["},
    {VK_OEM_5, "\\"},         {VK_OEM_6, "]"},          {VK_OEM_7, "'"},
    {VK_OEM_102, "<>"},
};
constexpr int kDigits = 10;
constexpr int kLetters = 26;
constexpr int kFunctionKeys = 24;  // F1..F24

std::array<std::string, VK_COUNT> BuildNames() {
  std::array<std::string, VK_COUNT> names;
  for (int code = 0; code < VK_COUNT; code++) names[(size_t)code] = "KEY " + std::to_string(code);
  for (int i = 0; i < kDigits; i++) {
    names[(size_t)(VK_0 + i)] = std::string(1, (char)('0' + i));
    names[(size_t)(VK_NUMPAD0 + i)] = "NUM " + std::to_string(i);
  }
  for (int i = 0; i < kLetters; i++) names[(size_t)(VK_A + i)] = std::string(1, (char)('A' + i));
  for (int i = 0; i < kFunctionKeys; i++) names[(size_t)(VK_F1 + i)] = "F" + std::to_string(i + 1);
  for (const NamedKey& k : kNamedKeys) names[(size_t)k.code] = k.name;
  return names;
}
}  // namespace

const std::string& KeyName(int code) {
  static const std::array<std::string, VK_COUNT> names = BuildNames();
  return names[code >= 0 && code < VK_COUNT ? (size_t)code : 0];
}
