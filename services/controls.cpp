// Reading the player's configured controls, shared by the ship and the menus.
#include "services/controls.h"

#include "platform/input.h"
#include "platform/keycodes.h"
#include "services/config.h"

int lastjoyport = -1;

// A joystick control's axis, scaled by its calibrated range; nothing for an
// unknown axis or a missing joystick.
float ReadJoyAxis(int control) {
  if (control < 0 || control >= JOY_CONTROLS) return 0;
  int axis = joyaxis[control];
  if (axis < 0 || axis >= JOY_AXES) return 0;
  int port = SafeJoyPort(joyport[control]);
  if (port < 0) return 0;
  return JoyAxis(axis, port) / SafeJoyRange(joyrange[control]);
}

// The bomb and start controls: a held button, or an axis pushed past 0.2 either way.
int JoyControlActive(int control) {
  if (control < 0 || control >= JOY_CONTROLS) return 0;
  if (joyisbutton[control] == 1) return JoyButtonDown(joyaxis[control], SafeJoyPort(joyport[control]));
  float v = ReadJoyAxis(control);
  return (v < -0.2f || v > 0.2f) ? 1 : 0;
}

// True while any key code is down.
bool AnyKeyDown() {
  for (int k = 0; k < VK_COUNT; k++)
    if (KeyDown(k)) return true;
  return false;
}

// True while any button is down on any attached joystick (in a replay, the
// recorded game's).
bool AnyJoyButtonDown() {
  for (int p = 0; p < JoystickPorts(); p++)
    for (int b = 0; b < MAX_JOYBUTTONS; b++)
      if (JoyButtonDown(b, p)) return true;
  return false;
}

void ProbeJoysticks() { lastjoyport = JoystickCount() - 1; }
