// The input layer's replay tap: what the game read on a tick, taken as one
// frame, and frames fed back in place of the devices. No game rule sees it.
#pragma once
#include <cstdint>

#include "platform/input.h"

// Everything a tick can read from the input layer.
struct InputFrame {
  uint8_t keys[256];        // KeyDown per code
  int32_t mousex, mousey;   // MouseX, MouseY
  uint8_t mousebuttons;     // bit n: MouseDown(n) for n = 1..3
  uint8_t joycount;         // ports JoystickCount found
  JoyReading joy[MAX_JOYPORTS];
  uint8_t focuslost;        // TakeFocusLost answered 1 on this tick: an event, not a level
};

// The levels the reads reported on this tick (taps counted as down, the
// joystick readings last taken, ports past the count as nothing).
void InputCaptureFrame(InputFrame* out);
// While a frame is fed in, every read answers from it and the devices are
// not asked; null goes back to the devices. When the taps are forgotten
// (InputDropTaps), the "then" frame answers instead, if there is one: older
// recordings hold one where their game read its input again mid-tick.
void InputFeedFrame(const InputFrame* frame, const InputFrame* then = nullptr);
// Takes in what the window system has delivered (as any read does), and
// takes the joystick readings the tick's reads will get.
void InputPump();
// The keyboard itself, even while frames are fed in (a watcher's Escape).
int InputDeviceKeyDown(int code);
