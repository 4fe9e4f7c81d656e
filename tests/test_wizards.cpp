// The set-up wizards driven through whole front-end ticks: keys typed at
// the key prompts, and scripted sticks and buttons for the joystick wizard.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <tuple>

#include "tests/playfield_fixture.h"
#include "tests/run_helpers.h"

#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "frontend/wizards.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/sfx.h"

namespace {

// Each test runs in a scratch folder, where the wizards save the settings.
struct WizardTest : InScratchDir {
  WizardTest() : InScratchDir("wizard") {}
  // The screen at the state opens and sits a tick with nothing pressed.
  void Start(int joysticks, MenuState at) {
    HeadlessDefaults(joysticks);
    HeadlessSetMouse(10, 10);  // away from every menu line
    menulist.clear();
    menustate = at;
    FrontEndTicks(2);
  }
  void TearDown() override {
    HeadlessReleaseAll();
    HeadlessSetJoystickCount(0);
    lastjoyport = JoystickCount() - 1;
    menulist.clear();
    SetDefaultConfig();
    InScratchDir::TearDown();
  }
  static void PressButton(int port, int button) {
    HeadlessSetJoyButton(port, button, 1);
    FrontEndTicks();
    HeadlessSetJoyButton(port, button, 0);
    FrontEndTicks();
  }
  // A stick pushed out through a halfway point to the reading given and let go.
  static void Swing(int port, int axis, float full) {
    for (float v : {full / 2, full, 0.0f}) {
      HeadlessSetJoyAxis(port, axis, v);
      FrontEndTicks();
    }
  }
  // The menu up is the one with this many lines.
  static bool MenuUp(int lines) {
    return menustate == MenuState::Run && menulist.size() == 1 && menulist[0].t == 0 &&
           menulist[0].entries == lines;
  }
};

constexpr int kKeysMenuLines = 10, kJoystickMenuLines = 6;

// Every joystick setting the wizard can write.
auto JoySettings() {
  return std::tuple(std::to_array(joyaxis), std::to_array(joyisbutton), std::to_array(joyport),
                    std::to_array(joyrange), std::to_array(joyfirebutton), std::to_array(joyfireport));
}

}  // namespace

// --- Keys -------------------------------------------------------------------

// Each line of the REDEFINE KEYS menu, chosen with the cursor keys, asks for
// its own action; the latch means a tick with no key between the choice and the key.
TEST_F(WizardTest, EachKeySlotStoresIntoItsSetting) {
  Start(0, MenuState::RedefineKeys);
  int* const settings[KEY_SLOTS] = {&keyleft,     &keyright,     &keyup,     &keydown, &keyfireleft,
                                    &keyfireright, &keyfireup,   &keyfiredown, &keybomb};
  const int keys[KEY_SLOTS] = {'Q', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P'};
  for (int slot = 0; slot < KEY_SLOTS; slot++) {
    ASSERT_TRUE(MenuUp(kKeysMenuLines));
    EXPECT_EQ(menulist[0].selected, kKeysMenuLines - 1);  // "back" is highlighted
    for (int step = 0; step <= slot; step++) TapKey(VK_DOWN);
    TapKey(VK_RETURN);
    ASSERT_EQ(menustate, MenuState::KeyWait);
    EXPECT_EQ(keyslot, slot);
    FrontEndTicks();
    TapKey(keys[slot]);
    EXPECT_EQ(*settings[slot], keys[slot]);
  }
  for (int slot = 0; slot < KEY_SLOTS; slot++) EXPECT_EQ(*settings[slot], keys[slot]);
}

// Escape at a prompt keeps the old key and only closes the prompt, however
// long it is held; the next press goes back from the REDEFINE KEYS menu.
TEST_F(WizardTest, EscapeAtAKeyPromptKeepsTheOldKey) {
  Start(0, MenuState::KeyMoveLeft);
  ASSERT_EQ(menustate, MenuState::KeyWait);
  HeadlessSetKey(VK_ESCAPE, 1);
  FrontEndTicks(10);
  EXPECT_EQ(keyleft, VK_A);
  EXPECT_TRUE(MenuUp(kKeysMenuLines));
  HeadlessSetKey(VK_ESCAPE, 0);
  FrontEndTicks();
  TapKey(VK_ESCAPE);
  ASSERT_TRUE(MenuUp(6));
  EXPECT_EQ(menulist[0].text[0], "CONTROLS");  // OPTIONS, where its "back" leads
  EXPECT_EQ(keyleft, VK_A);
}

TEST_F(WizardTest, SeveralHeldKeysStoreTheHighestCodeButNeverEscape) {
  Start(0, MenuState::KeyBomb);
  for (int code : {VK_SPACE, int('B'), VK_ESCAPE, VK_RETURN}) HeadlessSetKey(code, 1);
  FrontEndTicks();
  EXPECT_EQ(keybomb, 'B');
  EXPECT_TRUE(MenuUp(kKeysMenuLines));
}

TEST_F(WizardTest, TheKeyThatChoseThePromptMustBeLetGoFirst) {
  Start(0, MenuState::RedefineKeys);
  TapKey(VK_DOWN);
  HeadlessSetKey(VK_RETURN, 1);
  FrontEndTicks(10);  // chosen, the prompt opened, Enter still held
  ASSERT_EQ(menustate, MenuState::KeyWait);
  EXPECT_EQ(keyleft, VK_A);
  HeadlessSetKey('K', 1);  // a second key while Enter is still down
  FrontEndTicks();
  EXPECT_EQ(menustate, MenuState::KeyWait);
  HeadlessReleaseAll();
  FrontEndTicks();
  TapKey('K');
  EXPECT_EQ(keyleft, 'K');
}

// The menus step up with keyup, so a new MOVE UP key moves the highlight
// and the old one no longer does.
TEST_F(WizardTest, MoveUpRedefinedMovesTheMenuHighlight) {
  Start(0, MenuState::KeyMoveUp);
  TapKey('I');
  ASSERT_TRUE(MenuUp(kKeysMenuLines));
  ASSERT_EQ(keyup, 'I');
  TapKey(VK_W);
  EXPECT_EQ(menulist[0].selected, kKeysMenuLines - 1);
  TapKey('I');
  EXPECT_EQ(menulist[0].selected, kKeysMenuLines - 2);
}

// --- Joystick -----------------------------------------------------------------

// The second pad's stick reads positive when pushed left and stops short of
// 1: the largest reading becomes the range, so full deflection reads ±1.
TEST_F(WizardTest, AMovementRunStoresEachAxisWithItsRangeWhicheverWayItRuns) {
  Start(2, MenuState::Joystick);
  ASSERT_TRUE(MenuUp(kJoystickMenuLines));
  TapKey(VK_DOWN);  // from "back" round to MOVEMENT
  TapKey(VK_RETURN);
  ASSERT_EQ(menustate, MenuState::JoyMoveCentreWait);
  FrontEndTicks();
  PressButton(1, 3);
  ASSERT_EQ(menustate, MenuState::JoyMoveXTrack);
  HeadlessSetJoyAxis(1, JOYAXIS_Y, 0.05f);  // a little drift on the other axis
  Swing(1, JOYAXIS_X, 0.94f);               // pushed left
  PressButton(1, 3);
  EXPECT_EQ(joyaxis[JOY_MOVE_X], JOYAXIS_X);
  EXPECT_EQ(joyport[JOY_MOVE_X], 1);
  EXPECT_NEAR(joyrange[JOY_MOVE_X], 0.94f, 1e-6);
  ASSERT_EQ(menustate, MenuState::JoyMoveYTrack);
  Swing(1, JOYAXIS_Y, -0.97f);  // pushed up
  PressButton(1, 3);
  EXPECT_EQ(joyaxis[JOY_MOVE_Y], JOYAXIS_Y);
  EXPECT_EQ(joyport[JOY_MOVE_Y], 1);
  EXPECT_NEAR(joyrange[JOY_MOVE_Y], 0.97f, 1e-6);
  EXPECT_TRUE(MenuUp(kJoystickMenuLines));

  HeadlessSetJoyAxis(1, JOYAXIS_X, 0.94f);
  EXPECT_NEAR(ReadJoyAxis(JOY_MOVE_X), 1, 1e-6);
  HeadlessSetJoyAxis(1, JOYAXIS_X, -0.94f);
  EXPECT_NEAR(ReadJoyAxis(JOY_MOVE_X), -1, 1e-6);
  HeadlessSetJoyAxis(1, JOYAXIS_Y, -0.97f);
  EXPECT_NEAR(ReadJoyAxis(JOY_MOVE_Y), -1, 1e-6);
}

TEST_F(WizardTest, PickJoyAxisKeepsTheEarlierPortAndAxisOnATie) {
  Start(2, MenuState::Joystick);
  ClearJoyScan();
  ScanJoyAxes();  // the pads at rest
  HeadlessSetJoyAxis(1, JOYAXIS_X, -0.8f);
  HeadlessSetJoyAxis(0, JOYAXIS_Z, 0.8f);
  HeadlessSetJoyAxis(0, JOYAXIS_U, 0.8f);
  ScanJoyAxes();
  PickJoyAxis();
  EXPECT_EQ(joypickport, 0);
  EXPECT_EQ(joypickaxis, JOYAXIS_U);
  EXPECT_NEAR(joypickrange, 0.8f, 1e-6);
  HeadlessSetJoyAxis(1, JOYAXIS_R, 0.81f);  // a little further wins, on any port
  ScanJoyAxes();
  PickJoyAxis();
  EXPECT_EQ(joypickport, 1);
  EXPECT_EQ(joypickaxis, JOYAXIS_R);
}

TEST_F(WizardTest, AStickNotMovedStoresNoAxis) {
  Start(1, MenuState::JoyFireXPrompt);
  PressButton(0, 0);
  EXPECT_EQ(joyaxis[JOY_FIRE_X], -1);
  HeadlessSetJoyAxis(0, JOYAXIS_U, 1);
  EXPECT_EQ(ReadJoyAxis(JOY_FIRE_X), 0);
}

// The bomb takes a button pressed during its prompt over any axis, and an
// axis (a trigger) when no button was pressed; a key ends the wait.
TEST_F(WizardTest, BombIsStoredAsAButtonOrAsAnAxis) {
  Start(2, MenuState::JoyBombCentre);
  TapKey(VK_SPACE);
  ASSERT_EQ(menustate, MenuState::JoyBombTrack);
  Swing(0, JOYAXIS_Z, 0.6f);
  PressButton(1, 5);
  EXPECT_EQ(menustate, MenuState::JoyBombTrack);  // a button does not end it
  TapKey('K');
  EXPECT_EQ(joyisbutton[JOY_BOMB], 1);
  EXPECT_EQ(joyaxis[JOY_BOMB], 5);
  EXPECT_EQ(joyport[JOY_BOMB], 1);
  EXPECT_EQ(joyrange[JOY_BOMB], 1.0f);
  HeadlessSetJoyButton(1, 5, 1);
  EXPECT_EQ(JoyControlActive(JOY_BOMB), 1);
  HeadlessSetJoyButton(1, 5, 0);

  menulist.clear();
  menustate = MenuState::JoyBombPrompt;
  FrontEndTicks();
  Swing(0, JOYAXIS_Z, 0.9f);
  TapKey('K');
  EXPECT_EQ(joyisbutton[JOY_BOMB], 0);
  EXPECT_EQ(joyaxis[JOY_BOMB], JOYAXIS_Z);
  EXPECT_EQ(joyport[JOY_BOMB], 0);
  EXPECT_NEAR(joyrange[JOY_BOMB], 0.9f, 1e-6);
  HeadlessSetJoyAxis(0, JOYAXIS_Z, 0.9f);
  EXPECT_EQ(JoyControlActive(JOY_BOMB), 1);
}

// One button per direction, each needing the last let go; Escape keeps those
// already taken and the old ones after.
TEST_F(WizardTest, FourButtonFireTakesOneButtonPerDirectionAndEscapeKeepsTheRest) {
  Start(2, MenuState::JoyButtonsCentre);
  TapKey(VK_RETURN);
  ASSERT_EQ(menustate, MenuState::JoyButtonUpWait);
  FrontEndTicks();
  HeadlessSetJoyButton(0, 4, 1);
  FrontEndTicks(2);
  ASSERT_EQ(menustate, MenuState::JoyButtonDownWait);
  FrontEndTicks(5);  // still held: not taken for FIRE DOWN
  EXPECT_EQ(menustate, MenuState::JoyButtonDownWait);
  HeadlessSetJoyButton(0, 4, 0);
  FrontEndTicks();
  PressButton(1, 6);
  FrontEndTicks();
  PressButton(0, 31);
  FrontEndTicks();
  PressButton(1, 0);
  EXPECT_TRUE(MenuUp(kJoystickMenuLines));
  EXPECT_EQ(joyfirebutton[FIREBUTTON_UP], 4);
  EXPECT_EQ(joyfireport[FIREBUTTON_UP], 0);
  EXPECT_EQ(joyfirebutton[FIREBUTTON_DOWN], 6);
  EXPECT_EQ(joyfireport[FIREBUTTON_DOWN], 1);
  EXPECT_EQ(joyfirebutton[FIREBUTTON_LEFT], 31);
  EXPECT_EQ(joyfirebutton[FIREBUTTON_RIGHT], 0);
  EXPECT_EQ(joyfireport[FIREBUTTON_RIGHT], 1);

  SetDefaultConfig();
  menulist.clear();
  menustate = MenuState::JoyButtonUpPrompt;
  FrontEndTicks(2);
  PressButton(1, 12);
  ASSERT_EQ(menustate, MenuState::JoyButtonDownWait);
  HeadlessSetKey(VK_ESCAPE, 1);
  HeadlessSetJoyButton(0, 8, 1);  // pressed with Escape: not taken
  FrontEndTicks(2);
  EXPECT_TRUE(MenuUp(kJoystickMenuLines));
  const int old[4] = {3, 0, 2, 1};
  EXPECT_EQ(joyfirebutton[FIREBUTTON_UP], 12);
  EXPECT_EQ(joyfireport[FIREBUTTON_UP], 1);
  for (int k : {FIREBUTTON_DOWN, FIREBUTTON_LEFT, FIREBUTTON_RIGHT}) {
    EXPECT_EQ(joyfirebutton[k], old[k]);
    EXPECT_EQ(joyfireport[k], 0);
  }
}

// Every wait of the wizard lets the player out with Escape, with or without
// a joystick, and the control in progress keeps its settings (at the bomb
// and start waits Escape is not the key that would store the button seen).
// Only with no joystick does the line saying so stand over the prompt.
TEST_F(WizardTest, EscapeLeavesEveryWaitStoringNothingAndWithNoPadTheWaitSaysSo) {
  const MenuState prompts[] = {
      MenuState::JoyMoveCentre,       MenuState::JoyMoveXPrompt,      MenuState::JoyMoveYPrompt,
      MenuState::JoyFireCentre,       MenuState::JoyFireXPrompt,      MenuState::JoyFireYPrompt,
      MenuState::JoyBombCentre,       MenuState::JoyBombPrompt,       MenuState::JoyStartCentre,
      MenuState::JoyStartPrompt,      MenuState::JoyButtonsCentre,    MenuState::JoyButtonUpPrompt,
      MenuState::JoyButtonDownPrompt, MenuState::JoyButtonLeftPrompt, MenuState::JoyButtonRightPrompt};
  for (int joysticks : {0, 1}) {
    for (MenuState prompt : prompts) {
      SCOPED_TRACE(testing::Message() << (int)prompt << " with " << joysticks << " joysticks");
      SetDefaultConfig();
      const auto before = JoySettings();
      Start(joysticks, prompt);
      MenuState wait = menustate;
      EXPECT_EQ((int)wait, (int)prompt + 1);
      std::string line;
      for (const tDRAW& d : drawlist)
        if (d.img == fontimg && d.y == kNoJoystickY + 16) line += (char)(d.frame + 32);
      std::string want = kNoJoystickLine;
      want.erase(std::remove(want.begin(), want.end(), ' '), want.end());
      EXPECT_EQ(line, joysticks == 0 ? want : "");
      if (wait == MenuState::JoyBombTrack || wait == MenuState::JoyStartTrack) PressButton(0, 9);
      Swing(0, JOYAXIS_X, 1);
      HeadlessSetJoyAxis(0, JOYAXIS_R, 1);  // held over as Escape goes down
      FrontEndTicks(20);
      EXPECT_EQ(menustate, wait);  // nothing else ends the wait
      HeadlessSetKey(VK_ESCAPE, 1);
      FrontEndTicks();
      EXPECT_EQ(menustate, MenuState::Joystick);
      EXPECT_TRUE(menulist.empty());
      EXPECT_EQ(fxplayed[Sfx::MenuSelect], 1);
      FrontEndTicks();
      EXPECT_TRUE(MenuUp(kJoystickMenuLines));
      EXPECT_TRUE(JoySettings() == before);
      HeadlessReleaseAll();
    }
  }
}

// Sixteen pads: the last port's stick and buttons are seen and stored, and
// a port count past what the input layer has is never scanned.
TEST_F(WizardTest, SixteenJoysticksAreAllScannedWithoutOverflow) {
  Start(16, MenuState::JoyMoveXPrompt);
  ASSERT_EQ(lastjoyport, 15);
  Swing(15, JOYAXIS_V, -0.99f);
  PressButton(15, 1);
  EXPECT_EQ(joyaxis[JOY_MOVE_X], JOYAXIS_V);
  EXPECT_EQ(joyport[JOY_MOVE_X], 15);

  menulist.clear();
  menustate = MenuState::JoyButtonUpPrompt;
  FrontEndTicks(2);
  PressButton(15, 30);
  EXPECT_EQ(joyfirebutton[FIREBUTTON_UP], 30);
  EXPECT_EQ(joyfireport[FIREBUTTON_UP], 15);

  lastjoyport = 40;
  ClearJoyScan();
  ScanJoyAxes();
  HeadlessSetJoyAxis(15, JOYAXIS_Z, 0.5f);
  ScanJoyAxes();
  PickJoyAxis();
  EXPECT_EQ(joypickport, 15);
  EXPECT_EQ(joypickaxis, JOYAXIS_Z);
}

// A pad pulled out mid-prompt stops pressing its buttons and keeps its last
// readings; an axis reporting no number is never picked nor stored as a range.
TEST_F(WizardTest, AnUnpluggedPadOrAnAxisWithoutANumberStoresNoGarbage) {
  Start(2, MenuState::JoyMoveXPrompt);
  HeadlessSetJoyAxis(0, JOYAXIS_U, std::numeric_limits<float>::quiet_NaN());
  HeadlessSetJoyAxis(0, JOYAXIS_V, std::numeric_limits<float>::infinity());
  FrontEndTicks();
  HeadlessSetJoyAxis(1, JOYAXIS_X, 0.7f);
  FrontEndTicks();
  HeadlessSetJoyButton(1, 2, 1);
  HeadlessSetJoystickCount(1);  // pulled out with the button held: no press
  FrontEndTicks(3);
  EXPECT_EQ(menustate, MenuState::JoyMoveXTrack);
  PressButton(0, 2);
  EXPECT_EQ(joyaxis[JOY_MOVE_X], JOYAXIS_X);
  EXPECT_EQ(joyport[JOY_MOVE_X], 1);
  EXPECT_TRUE(std::isfinite(joyrange[JOY_MOVE_X]));
  EXPECT_NEAR(joyrange[JOY_MOVE_X], 0.7f, 1e-6);

  HeadlessSetJoystickCount(0);  // every pad gone: Escape still leads out
  FrontEndTicks(5);
  EXPECT_EQ(menustate, MenuState::JoyMoveYTrack);
  HeadlessSetKey(VK_ESCAPE, 1);
  FrontEndTicks(2);
  EXPECT_TRUE(MenuUp(kJoystickMenuLines));
}
