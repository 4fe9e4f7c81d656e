// The player's shots among the enemies: the bullets' walk with its hit
// tests, and the bomb with the kills of its ring.
#pragma once

// Moves every bullet, each tested against the enemies as it goes.
void UpdateBullets();
// Starts a requested bomb or runs the one going off.
void UpdateBomb();
