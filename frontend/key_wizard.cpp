// Redefining the keys: the REDEFINE KEYS menu, a prompt for the chosen
// action and the wait for the key that goes into its setting.
#include "frontend/backdrop.h"
#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "frontend/wizards.h"
#include "platform/keycodes.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/key_names.h"
#include "services/press_latch.h"
#include "services/sfx.h"

int keyslot = 0;
int keylatch = 0;

int& KeySetting(int slot) {
  static int* const settings[KEY_SLOTS] = {&keyleft,      &keyright,     &keyup,
                                           &keydown,      &keyfireleft,  &keyfireright,
                                           &keyfireup,    &keyfiredown,  &keybomb};
  return *settings[SafeIndex(slot, KEY_SLOTS)];
}

// Each action's line shows the key bound to it; Escape goes back.
void OpenRedefineKeysMenu() {
  tMENU& m = AddMenu(330,
          {{"MOVE LEFT", MenuState::KeyMoveLeft},
           {"MOVE RIGHT", MenuState::KeyMoveRight},
           {"MOVE UP", MenuState::KeyMoveUp},
           {"MOVE DOWN", MenuState::KeyMoveDown},
           {"FIRE LEFT", MenuState::KeyFireLeft},
           {"FIRE RIGHT", MenuState::KeyFireRight},
           {"FIRE UP", MenuState::KeyFireUp},
           {"FIRE DOWN", MenuState::KeyFireDown},
           {"BOMB", MenuState::KeyBomb},
           {"back", MenuState::OptionsBack}},
          9);
  BackOnEscape(m);
  for (int slot = 0; slot < KEY_SLOTS; slot++) m.aside[slot] = &KeyName(KeySetting(slot));
  ShowScreen();
}

// The prompt for one key; the key that chose it must be let go first.
static void OpenKeyPrompt(int slot, const char* prompt) {
  AddPanel(330, {prompt, "press escape to cancel"});
  ShowScreen(MenuState::KeyWait);
  keylatch = 1;
  keyslot = slot;
}

// Every key held goes into the setting in turn, so the highest code stays;
// Escape is never stored, and alone it only goes back to the menu. The keys
// are saved on the way back.
static void KeyWait() {
  TitleBackdrop();
  if (!PressedOnce(keylatch, AnyKeyDown())) return;
  bool any = false;
  for (int code = 1; code < VK_COUNT; code++) {
    if (!KeyDown(code)) continue;
    any = true;
    if (code != VK_ESCAPE) KeySetting(keyslot) = code;
  }
  if (!any) return;
  menulist.clear();
  OpenRedefineKeysMenu();
  PlayFX(Sfx::MenuSelect, -1);
  KeepSettings();
}

static constexpr StateEntry kKeyStates[] = {
    {MenuState::RedefineKeys, OpenRedefineKeysMenu},
    {MenuState::KeyMoveLeft, [] { OpenKeyPrompt(0, "PRESS KEY FOR MOVE LEFT"); }},
    {MenuState::KeyMoveRight, [] { OpenKeyPrompt(1, "PRESS KEY FOR MOVE RIGHT"); }},
    {MenuState::KeyMoveUp, [] { OpenKeyPrompt(2, "PRESS KEY FOR MOVE UP"); }},
    {MenuState::KeyMoveDown, [] { OpenKeyPrompt(3, "PRESS KEY FOR MOVE DOWN"); }},
    {MenuState::KeyFireLeft, [] { OpenKeyPrompt(4, "PRESS KEY FOR FIRE LEFT"); }},
    {MenuState::KeyFireRight, [] { OpenKeyPrompt(5, "PRESS KEY FOR FIRE RIGHT"); }},
    {MenuState::KeyFireUp, [] { OpenKeyPrompt(6, "PRESS KEY FOR FIRE UP"); }},
    {MenuState::KeyFireDown, [] { OpenKeyPrompt(7, "PRESS KEY FOR FIRE DOWN"); }},
    {MenuState::KeyBomb, [] { OpenKeyPrompt(8, "PRESS KEY FOR BOMB"); }},
    {MenuState::KeyWait, KeyWait},
};
std::span<const StateEntry> KeyWizardStates() { return kKeyStates; }
