// Setting up the controls: the key redefinition prompts and the joystick
// wizard, which finds the stick axes and buttons the player wants by
// watching what moves.
#pragma once
#include <span>

#include "frontend/frontend.h"
#include "platform/input.h"

// The states of each wizard, gathered by WizardStates().
std::span<const StateEntry> KeyWizardStates();
std::span<const StateEntry> JoystickWizardStates();

// The REDEFINE KEYS and JOYSTICK menus (each waits for a choice).
void OpenRedefineKeysMenu();
void OpenJoystickMenu();

// The line over every joystick wait when no joystick is connected, and the
// y of its top.
extern const char* const kNoJoystickLine;
extern const int kNoJoystickY;

// The four-button fire buttons, in the order joyfirebutton and joyfireport keep them.
enum FireButton : int { FIREBUTTON_UP = 0, FIREBUTTON_DOWN = 1, FIREBUTTON_LEFT = 2, FIREBUTTON_RIGHT = 3 };

// The key being asked for: 0 move left .. 8 bomb, in the order of the menu.
constexpr int KEY_SLOTS = 9;
extern int keyslot;
// Latch of the key wait: the key that chose the prompt must be let go first.
extern int keylatch;
// The setting of a key slot (slots outside 0..8 read as slot 0).
int& KeySetting(int slot);

// Smallest and largest absolute reading of every axis of every port since
// the current prompt appeared.
extern float joyscanlow[MAX_JOYPORTS][JOY_AXES];
extern float joyscanhigh[MAX_JOYPORTS][JOY_AXES];
// The axis that travelled the most (-1 for none), its port and its largest reading.
extern int joypickaxis, joypickport;
extern float joypickrange;
// The last joystick button seen during a bomb or start wait, and whether one was.
extern int joypickbutton, joypickbuttonport;
extern int joypickisbutton;

// Forgets every reading: the next scan starts afresh.
void ClearJoyScan();
// Takes this tick's readings of every axis of every port into the scan tables.
void ScanJoyAxes();
// Sets joypickaxis, joypickport and joypickrange from the scan tables; ties
// keep the earlier port and axis.
void PickJoyAxis();
