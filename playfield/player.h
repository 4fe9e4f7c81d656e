// The player's ship: rez-in, the four control types, the shield, the three
// weapons, thrust, the bomb request, contact with enemies and the death.
#pragma once

// Player state.
extern int playermode;  // 0 rez-in, 1 alive, 3 dying
extern float playerx, playery;
extern float playerdx, playerdy;
extern float playercollrad;
extern float playerrot;
extern float thrustang;
extern float aimx, aimy;
extern float aimang;
extern int firecount;  // ticks until the next volley; counted down by the bullet update
extern int shield;
extern float rezspin, rezscale, rezalpha, rezfade;
extern int bombstate;  // 0 idle, 1 requested, 2 running (see playfield/bullets.h)

// State for a new game (StartGame).
void InitPlayer();
// State for a new life; the ship stays where it died (RestartLife).
void InitLife();
// One tick of the player, by playermode.
void UpdatePlayer();
// The ship materialising; ends in play.
void RezPlayer();
// The living ship: controls, shield, ship sprite.
void UpdateShip();
// Contact between the ship and the enemies; kills the ship or the enemy.
void CheckPlayerHit();
// The death animation while the death countdown runs.
void DyingPlayer();
// Fires the current weapon's volley if the gun is ready.
void FireWeapon();
// One thrust puff behind the ship; dist is how far it moved this tick.
void EmitThrust(float dist);
// A joystick control's axis reading divided by its calibrated range.
float ReadJoyAxis(int control);
// 1 while a joystick control set up as a button or an axis (bomb, start) is active.
int JoyControlActive(int control);

// The four control types.
void ControlMouse();
void ControlDualStick();
void ControlTwoHanded();
void ControlJoyButtons();
