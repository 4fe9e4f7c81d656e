// A virtual joystick made through SDL, so that the joystick reading of the
// SDL input back end can be checked without a real device. Values use SDL's
// raw ranges: axes -32768..32767, buttons 0/1, hats as SDL's direction bits
// (1 up, 2 right, 4 down, 8 left).
#pragma once

// Attaches a device with 6 axes, 15 buttons and one hat; with controller set
// SDL knows it as a game controller. Returns false when SDL has no virtual
// devices. JoystickCount() afterwards finds it.
bool AttachTestPad(bool controller);
void SetTestPadAxis(int axis, int value);
void SetTestPadButton(int button, int down);
void SetTestPadHat(int value);
void DetachTestPad();
