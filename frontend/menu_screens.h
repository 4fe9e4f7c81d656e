// The menu screens: options, controls, screen mode, game settings and their
// detail menus, audio with its volume screens, the graphics driver, the two
// reset confirmations, credits, awards and the game-over screen.
#pragma once

void OpenOptionsMenu();
