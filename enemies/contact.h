// The ship's contact with the enemies, and the player's tick that meets them.
#pragma once

// One tick of the player, the living ship meeting the enemies.
void UpdatePlayer();
// Contact between the ship and the enemies; kills the ship or the enemy.
void CheckPlayerHit();
