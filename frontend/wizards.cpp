// The key and joystick set-up (being built).
#include "frontend/frontend.h"
#include "frontend/wizards.h"

void OpenRedefineKeysMenu() {}
void OpenJoystickMenu() {}

std::span<const StateEntry> WizardStates() { return {}; }
