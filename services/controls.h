// Reading the player's configured controls: the joystick controls set up in
// the options (axis or button, port, calibrated range) and the any-key and
// any-button waits. The playfield and the front end both read input here.
#pragma once

// The six joystick controls of the settings, by index.
enum JoyControl : int {
  JOY_MOVE_X = 0,  // steering, horizontal
  JOY_MOVE_Y = 1,  // steering, vertical (also moves the menu highlight)
  JOY_FIRE_X = 2,  // fire direction, horizontal
  JOY_FIRE_Y = 3,  // fire direction, vertical
  JOY_BOMB = 4,
  JOY_START = 5,   // opens the quit prompt, and quits from it
  JOY_CONTROLS = 8
};

// The highest joystick port in use (-1 for none), probed at start-up.
extern int lastjoyport;
void ProbeJoysticks();

// A joystick control's axis reading divided by its calibrated range; 0 for
// an unknown axis or a missing joystick.
float ReadJoyAxis(int control);
// 1 while a control set up as a button or an axis (bomb, start) is active.
int JoyControlActive(int control);
// True while any key code 0..255 is down.
bool AnyKeyDown();
// True while any button 0..31 is down on any joystick port 0..lastjoyport.
bool AnyJoyButtonDown();
