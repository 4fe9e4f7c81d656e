// Setting up the controls: the key redefinition prompts and the joystick
// wizard.
#pragma once

void OpenRedefineKeysMenu();
void OpenJoystickMenu();
