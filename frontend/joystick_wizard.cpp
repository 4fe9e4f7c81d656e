// The joystick wizard: it asks the player to move the stick or press the
// button wanted for each control and picks, over every joystick, the axis
// that travelled the most or the button that was pressed. Escape leaves any
// of its waits for the JOYSTICK menu, keeping the control in progress as it was.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "frontend/wizards.h"
#include "platform/keycodes.h"
#include "platform/render.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/press_latch.h"
#include "services/sfx.h"

float joyscanlow[MAX_JOYPORTS][JOY_AXES];
float joyscanhigh[MAX_JOYPORTS][JOY_AXES];
int joypickaxis = -1, joypickport = 0;
float joypickrange = 0;
int joypickbutton = 0, joypickbuttonport = 0;
int joypickisbutton = 0;

// A reading starts the scan as the lowest seen: every real one is below it.
constexpr float kScanStart = 1024;
constexpr float kButtonRange = 1.0f;

void OpenJoystickMenu() {
  tMENU& m = AddMenu(432,
          {{"MOVEMENT", MenuState::JoyMoveCentre},
           {"FIRE DIRECTION", MenuState::JoyFireCentre},
           {"BOMB BUTTON", MenuState::JoyBombCentre},
           {"START BUTTON", MenuState::JoyStartCentre},
           {"4 BUTTON FIRE", MenuState::JoyButtonsCentre},
           {"back", MenuState::Controls}},
          5);
  BackOnEscape(m);
  ShowScreen();
}

// The ports scanned: those found at start-up, and never more than the input layer has.
static int LastScanPort() { return std::min(lastjoyport, MAX_JOYPORTS - 1); }

void ClearJoyScan() {
  for (int p = 0; p < MAX_JOYPORTS; p++)
    for (int a = 0; a < JOY_AXES; a++) {
      joyscanlow[p][a] = kScanStart;
      joyscanhigh[p][a] = 0;
    }
}

// An axis that reports no number is left out, so it can never be picked.
void ScanJoyAxes() {
  for (int p = 0; p <= LastScanPort(); p++)
    for (int a = 0; a < JOY_AXES; a++) {
      float r = std::fabs(JoyAxis(a, p));
      if (!std::isfinite(r)) continue;
      if (r < joyscanlow[p][a]) joyscanlow[p][a] = r;
      if (r > joyscanhigh[p][a]) joyscanhigh[p][a] = r;
    }
}

void PickJoyAxis() {
  float best = 0;
  joypickaxis = -1;
  joypickport = 0;
  joypickrange = 0;
  for (int p = 0; p <= LastScanPort(); p++)
    for (int a = 0; a < JOY_AXES; a++) {
      float d = joyscanhigh[p][a] - joyscanlow[p][a];
      if (d > best) {
        best = d;
        joypickaxis = a;
        joypickport = p;
        joypickrange = joyscanhigh[p][a];
      }
    }
}

// Every button held on any port; the last one found is the one kept.
static bool ScanJoyButtons(int& button, int& port) {
  bool found = false;
  for (int p = 0; p <= LastScanPort(); p++)
    for (int b = 0; b < MAX_JOYBUTTONS; b++)
      if (JoyButtonDown(b, p)) {
        button = b;
        port = p;
        found = true;
      }
  return found;
}

// A display-only prompt; the input that opened it must be let go before the
// wait in the next state acts.
static void OpenPrompt(std::initializer_list<const char*> lines, MenuState next) {
  AddPanel(432, lines);
  buttonlatch = 1;
  ShowScreen(next);
}

// With no joystick connected the waits for a stick or a button can never
// end: a line above the prompt says so and points to the way back.
const char* const kNoJoystickLine = "No joystick found: press Escape to go back";
const int kNoJoystickY = 320;

// Every wait's tick begins with the title, its prompt and, with no joystick,
// the line that says so.
static void BeginWait() {
  RunFrontEnd();
  if (lastjoyport < 0)
    DrawFontText(kNoJoystickLine, 400, kNoJoystickY, 255, 192, 32, 1, BLEND_ALPHA, 1, 1, 1);
}

// Back at the JOYSTICK menu, whatever the wizard stored is saved.
static void MoveTo(MenuState next) {
  menulist.clear();
  PlayFX(Sfx::MenuSelect, -1);
  menustate = next;
  if (next == MenuState::Joystick) KeepSettings();
}

// Escape from any wait: back to the JOYSTICK menu with nothing stored for
// the control in progress.
static bool EscapeBack() {
  if (!KeyDown(VK_ESCAPE)) return false;
  buttonlatch = 1;
  MoveTo(MenuState::Joystick);
  return true;
}

// A press of the wait's input acts once; the next needs a release.
static bool Pressed(bool down) { return PressedOnce(buttonlatch, down); }

// The axis that travelled the most becomes the control, scaled by its largest reading.
static void StorePickedAxis(int control) {
  PickJoyAxis();
  joyaxis[control] = joypickaxis;
  joyport[control] = joypickport;
  joyrange[control] = joypickrange;
}

static const char* const kCentreButton[] = {"Make sure your Joystick is ", "CENTRED, Then press",
                                            "ANY Button"};

static void CentrePrompt(bool anykey, MenuState next) {
  OpenPrompt({kCentreButton[0], kCentreButton[1], anykey ? "ANY Key" : "ANY Button"}, next);
}

static void WaitForButton(MenuState next) {
  BeginWait();
  if (EscapeBack()) return;
  if (Pressed(AnyJoyButtonDown())) MoveTo(next);
}

static void WaitForKey(MenuState next) {
  BeginWait();
  if (EscapeBack()) return;
  if (Pressed(AnyKeyDown())) MoveTo(next);
}

// The stick prompts: the scan starts afresh when they appear.
static void AxisPrompt(const char* first, MenuState next) {
  ClearJoyScan();
  OpenPrompt({first, "as far as it will go in ONE of those directions.",
              "Then release and press ANY Button."},
             next);
}

static void TrackAxis(int control, MenuState next) {
  BeginWait();
  if (EscapeBack()) return;
  ScanJoyAxes();
  if (Pressed(AnyJoyButtonDown())) {
    StorePickedAxis(control);
    MoveTo(next);
  }
}

// The bomb and start prompts take a button or an axis (a trigger, say).
static void ButtonOrAxisPrompt(const char* second, MenuState next) {
  ClearJoyScan();
  joypickisbutton = 0;
  OpenPrompt({"Press a Button or Action", second, "Then press ANY Key."}, next);
}

// A button seen while waiting beats any axis; the control is written only
// by the key that ends the wait.
static void TrackButtonOrAxis(int control) {
  BeginWait();
  if (EscapeBack()) return;
  ScanJoyAxes();
  if (ScanJoyButtons(joypickbutton, joypickbuttonport)) joypickisbutton = 1;
  if (!Pressed(AnyKeyDown())) return;
  if (joypickisbutton == 1) {
    joyisbutton[control] = 1;
    joyaxis[control] = joypickbutton;
    joyport[control] = joypickbuttonport;
    joyrange[control] = kButtonRange;
  } else {
    joyisbutton[control] = 0;
    StorePickedAxis(control);
  }
  MoveTo(MenuState::Joystick);
}

// Four-button fire: one button for each direction, in turn; the buttons
// already taken stay when Escape ends the run early.
static void FireButtonPrompt(const char* first, MenuState next) {
  OpenPrompt({first, "press escape to cancel"}, next);
}

static void WaitForFireButton(int k, MenuState next) {
  BeginWait();
  if (EscapeBack()) return;
  int button = 0, port = 0;
  if (!Pressed(AnyJoyButtonDown()) || !ScanJoyButtons(button, port)) return;
  joyfirebutton[k] = button;
  joyfireport[k] = port;
  MoveTo(next);
}

static constexpr StateEntry kJoystickStates[] = {
    {MenuState::Joystick, OpenJoystickMenu},
    // Movement: centre, then each axis in turn.
    {MenuState::JoyMoveCentre, [] { CentrePrompt(false, MenuState::JoyMoveCentreWait); }},
    {MenuState::JoyMoveCentreWait, [] { WaitForButton(MenuState::JoyMoveXPrompt); }},
    {MenuState::JoyMoveXPrompt,
     [] { AxisPrompt("Move the stick you want to use for LEFT and RIGHT", MenuState::JoyMoveXTrack); }},
    {MenuState::JoyMoveXTrack, [] { TrackAxis(JOY_MOVE_X, MenuState::JoyMoveYPrompt); }},
    {MenuState::JoyMoveYPrompt,
     [] { AxisPrompt("Move the stick you want to use for UP and DOWN", MenuState::JoyMoveYTrack); }},
    {MenuState::JoyMoveYTrack, [] { TrackAxis(JOY_MOVE_Y, MenuState::Joystick); }},
    // Fire direction, the same way.
    {MenuState::JoyFireCentre, [] { CentrePrompt(false, MenuState::JoyFireCentreWait); }},
    {MenuState::JoyFireCentreWait, [] { WaitForButton(MenuState::JoyFireXPrompt); }},
    {MenuState::JoyFireXPrompt,
     [] { AxisPrompt("Move the stick you want to use for LEFT and RIGHT", MenuState::JoyFireXTrack); }},
    {MenuState::JoyFireXTrack, [] { TrackAxis(JOY_FIRE_X, MenuState::JoyFireYPrompt); }},
    {MenuState::JoyFireYPrompt,
     [] { AxisPrompt("Move the stick you want to use for UP and DOWN", MenuState::JoyFireYTrack); }},
    {MenuState::JoyFireYTrack, [] { TrackAxis(JOY_FIRE_Y, MenuState::Joystick); }},
    // Bomb and start: a button or an axis, confirmed with a key.
    {MenuState::JoyBombCentre, [] { CentrePrompt(true, MenuState::JoyBombCentreWait); }},
    {MenuState::JoyBombCentreWait, [] { WaitForKey(MenuState::JoyBombPrompt); }},
    {MenuState::JoyBombPrompt, [] { ButtonOrAxisPrompt("For BOMB Activation.", MenuState::JoyBombTrack); }},
    {MenuState::JoyBombTrack, [] { TrackButtonOrAxis(JOY_BOMB); }},
    {MenuState::JoyStartCentre, [] { CentrePrompt(true, MenuState::JoyStartCentreWait); }},
    {MenuState::JoyStartCentreWait, [] { WaitForKey(MenuState::JoyStartPrompt); }},
    {MenuState::JoyStartPrompt,
     [] { ButtonOrAxisPrompt("for the START button.", MenuState::JoyStartTrack); }},
    {MenuState::JoyStartTrack, [] { TrackButtonOrAxis(JOY_START); }},
    // Four-button fire: up, down, left, right.
    {MenuState::JoyButtonsCentre, [] { CentrePrompt(true, MenuState::JoyButtonsCentreWait); }},
    {MenuState::JoyButtonsCentreWait, [] { WaitForKey(MenuState::JoyButtonUpPrompt); }},
    {MenuState::JoyButtonUpPrompt,
     [] { FireButtonPrompt("Press a Button for FIRE UP", MenuState::JoyButtonUpWait); }},
    {MenuState::JoyButtonUpWait, [] { WaitForFireButton(FIREBUTTON_UP, MenuState::JoyButtonDownPrompt); }},
    {MenuState::JoyButtonDownPrompt,
     [] { FireButtonPrompt("Press a Button for FIRE DOWN", MenuState::JoyButtonDownWait); }},
    {MenuState::JoyButtonDownWait, [] { WaitForFireButton(FIREBUTTON_DOWN, MenuState::JoyButtonLeftPrompt); }},
    {MenuState::JoyButtonLeftPrompt,
     [] { FireButtonPrompt("Press a Button for FIRE LEFT", MenuState::JoyButtonLeftWait); }},
    {MenuState::JoyButtonLeftWait, [] { WaitForFireButton(FIREBUTTON_LEFT, MenuState::JoyButtonRightPrompt); }},
    {MenuState::JoyButtonRightPrompt,
     [] { FireButtonPrompt("Press a Button for FIRE RIGHT", MenuState::JoyButtonRightWait); }},
    {MenuState::JoyButtonRightWait, [] { WaitForFireButton(FIREBUTTON_RIGHT, MenuState::Joystick); }},
};
std::span<const StateEntry> JoystickWizardStates() { return kJoystickStates; }
