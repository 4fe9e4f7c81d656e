// The player's ship: rez-in, the four control types, the shield, the three
// weapons, thrust, the bomb request and the death (the enemies check contact).
#pragma once

// Player state.
enum class PlayerMode : int { RezIn = 0, Alive = 1, Dying = 3 };
extern PlayerMode playermode;
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
// The bomb: idle, asked for by the controls, or its ring running (playfield/bullets.h).
constexpr int BOMB_IDLE = 0, BOMB_REQUESTED = 1, BOMB_RUNNING = 2;
extern int bombstate;

// State for a new game (StartGame).
void InitPlayer();
// State for a new life; the ship stays where it died (RestartLife).
void InitLife();
// One tick of the player, by playermode; contacts meets the living ship
// with the enemies.
void UpdatePlayerWith(void (*contacts)());
// The ship materialising; ends in play.
void RezPlayer();
// The living ship: controls, shield, ship sprite.
void UpdateShip();
// The unshielded ship was hit: the death starts and a life is lost.
void LoseShip();
// The death animation while the death countdown runs.
void DyingPlayer();
// Fires the current weapon's volley if the gun is ready.
void FireWeapon();
// One thrust puff behind the ship; dist is how far it moved this tick.
void EmitThrust(float dist);

// The four control types.
void ControlMouse();
void ControlDualStick();
void ControlTwoHanded();
void ControlJoyButtons();
// True for the control types that steer with a joystick (the dual stick and
// the four fire buttons): without one, the ship cannot move.
bool SteersWithJoystick(int type);
