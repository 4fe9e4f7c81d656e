// Virtual joystick for tests of the SDL joystick reading.
#include "platform/sdl_testpad.h"

#include <SDL.h>

static int padindex = -1;
static SDL_Joystick* pad = nullptr;

// Attaches the virtual device and keeps it open to feed it values.
bool AttachTestPad(bool controller) {
  DetachTestPad();
  if (!SDL_WasInit(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) &&
      SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0)
    return false;
  padindex = SDL_JoystickAttachVirtual(controller ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN,
                                       6, 15, 1);
  if (padindex < 0) return false;
  pad = SDL_JoystickOpen(padindex);
  return pad != nullptr;
}

void SetTestPadAxis(int axis, int value) {
  if (pad) SDL_JoystickSetVirtualAxis(pad, axis, (Sint16)value);
}

void SetTestPadButton(int button, int down) {
  if (pad) SDL_JoystickSetVirtualButton(pad, button, (Uint8)(down ? 1 : 0));
}

void SetTestPadHat(int value) {
  if (pad) SDL_JoystickSetVirtualHat(pad, 0, (Uint8)value);
}

// Removes the device again.
void DetachTestPad() {
  if (pad) SDL_JoystickClose(pad);
  pad = nullptr;
  if (padindex >= 0) SDL_JoystickDetachVirtual(padindex);
  padindex = -1;
}
