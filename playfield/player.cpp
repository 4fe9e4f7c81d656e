// The player's ship: rez-in, movement and aim under the four control types,
// the shield, the weapons, thrust puffs and the death once the enemies'
// contact check finds the ship hit.
#include "playfield/player.h"

#include <cmath>

#include "platform/input.h"
#include "platform/render.h"
#include "playfield/angles.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"
#include "services/sfx.h"

PlayerMode playermode = PlayerMode::RezIn;
float playerx = ARENA_CENTRE_X, playery = ARENA_CENTRE_Y;
float playerdx = 0, playerdy = 0;
float playercollrad = 14;
float playerrot = 0;
float thrustang = 0;
float aimx = 0, aimy = 0;
float aimang = 0;
int firecount = 0;
int shield = 0;
float rezspin = 0, rezscale = 6, rezalpha = 1, rezfade = 1;
int bombstate = BOMB_IDLE;

// Queues a sprite at the ship's place on screen.
static void DrawAtShip(TImage* img, int r, int g, int b, float alpha, float rot, float scale) {
  AddDraw(img, playerx - camx, playery - camy, 0, r, g, b, alpha, rot, scale, scale, BLEND_LIGHT);
}

// The aim point follows the mouse pointer over the scrolled view.
static void AimAtMouse() {
  aimx = MouseX() + camx;
  aimy = MouseY() + camy;
}

// Every new ship, in a new game or a new life, rezzes in still, shielded,
// with the multiplier back at 1 and no bomb going off.
static void StartRez() {
  playermode = PlayerMode::RezIn;
  playerdx = playerdy = 0;
  playercollrad = 14;
  firecount = 0;
  shield = 200;
  multiplier = 1;
  nextmulti = 25;
  rezspin = 0;
  rezscale = 6;
  rezalpha = 1;
  rezfade = 1;
  noshootticks = 0;
  bombstate = BOMB_IDLE;
}

// Starts a new game's ship in the middle of the arena with full stocks.
void InitPlayer() {
  AimAtMouse();
  aimang = ATan2(playerx - aimx, playery - aimy);
  playerx = ARENA_CENTRE_X;
  playery = ARENA_CENTRE_Y;
  playerrot = 0;
  weaponlevel = 0;
  weaponscore = weaponstep = 10000;
  firedelay = 6;
  lives = 3;
  nextlife = lifestep = 75000;
  bombs = 3;
  nextbomb = bombstep = 100000;
  score = 0;
  scoredthislife = 0;
  lifelost = 0;
  StartRez();
}

// Starts the next life where the ship died; a life that scored nothing loses the weapon.
void InitLife() {
  AimAtMouse();
  StartRez();
  if (scoredthislife == 0) {
    weaponlevel = 0;
    firedelay = 6;
  }
  scoredthislife = 0;
}

// One tick of the player: rez-in, the living ship with its contacts, or the death.
void UpdatePlayerWith(void (*contacts)()) {
  switch (playermode) {
    case PlayerMode::RezIn:
      RezPlayer();
      break;
    case PlayerMode::Alive:
      UpdateShip();
      contacts();
      if (gameawards[AWARD_NOSHOOT] == 0) {
        noshootticks++;
        if (noshootticks > 3600) GiveAward(AWARD_NOSHOOT);
      }
      break;
    case PlayerMode::Dying:
      DyingPlayer();
      break;
  }
}

// The ship fades in inside two spinning rings that shrink onto it, then play begins.
void RezPlayer() {
  if (rezalpha == 1) PlayFX(Sfx::PlayerRez, -1);
  AimAtMouse();
  DrawAtShip(playerimg, 255, 255, 255, 1, playerrot, 1);
  DrawAtShip(playerrez01img, 192, 255, 255, rezalpha, rezspin, rezscale);
  DrawAtShip(playerrez02img, 192, 255, 255, rezalpha, -rezspin, rezscale);
  DrawAtShip(playerrez03img, 192, 255, 255, rezfade, 0, 12 - 2 * rezscale);
  rezspin += 2;
  rezscale -= 0.1f;
  rezalpha -= 0.02f;
  rezfade -= 0.02f;
  if (rezfade < 0) {
    playermode = PlayerMode::Alive;
    playstate = PlayState::Playing;
  }
  if (rezscale > 3) Pull(playerx - ARENA_LEFT, playery - ARENA_TOP, 12, 4);
}

bool SteersWithJoystick(int type) {
  int t = SafeIndex(type, 4);
  return t == 1 || t == 3;
}

// The living ship: its controls, the shield with its warning flicker, the ship sprite.
void UpdateShip() {
  switch (SafeIndex(controltype, 4)) {
    case 0:
      ControlMouse();
      break;
    case 1:
      ControlDualStick();
      break;
    case 2:
      ControlTwoHanded();
      break;
    default:
      ControlJoyButtons();
      break;
  }
  if (shield > 0) {
    shield -= 1;
    if (shield < 100) {
      DrawAtShip(playershieldimg, 192, 192, 192, 0.5f + 0.5f * SinDeg(shield * 15.0f), 0, 1);
      if (shield == 0) PlayFX(Sfx::ShieldWarning, -1);
    } else {
      DrawAtShip(playershieldimg, 192, 192, 192, 0.75f + 0.25f * SinDeg(shield * 10.0f), 0, 1);
    }
    if (shield >= 8) Shockwave((int)(playerx - ARENA_LEFT), (int)(playery - ARENA_TOP));
  }
  DrawAtShip(playerimg, 255, 255, 255, 1, playerrot, 1);
}

// One axis of key steering: a held key adds a whole 1 below top speed, else friction.
static float KeyAxis(float v, int negkey, int poskey) {
  if (KeyDown(negkey)) {
    if (v > -4) v -= 1;
  } else if (KeyDown(poskey)) {
    if (v < 4) v += 1;
  } else if (v > 0) {
    v -= 0.25f;
  } else if (v < 0) {
    v += 0.25f;
  }
  return v;
}

// A stick control's reading scaled to -4..4 (its full throw is top speed).
static float StickReading(int control) {
  float m = 4 * ReadJoyAxis(control);
  if (m < -4) m = -4;
  if (m > 4) m = 4;
  return m;
}

// One axis of stick steering: a deflected stick sets the speed, else friction.
static float StickAxis(float v, int control) {
  float m = StickReading(control);
  if (m > 1 || m < -1) return m;
  if (v > 0.25f) return v - 0.25f;
  if (v < -0.25f) return v + 0.25f;
  return 0;
}

// An angle turned a quarter of the way toward a target the short way round,
// kept within 360 either side of 0 (the stick-steered heading, the fire
// direction). The angle winds freely in play, so the target may lie more
// than 540 degrees off: it is brought within 180 however far that is.
static float TurnQuarterToward(float angle, float target) {
  target = WithinHalfTurn(target, angle);
  return std::fmod(angle + (target - angle) / 4, 360.0f);
}

// Moves the ship, stops it at the walls, follows it with the camera and turns
// it to its heading (at once for keys, a quarter of the way a tick for sticks).
static void MoveShip(bool stick) {
  float oldx = playerx, oldy = playery;
  playerx += playerdx;
  playery += playerdy;
  if (playerx < ARENA_LEFT + playercollrad) {
    playerdx = 0;
    playerx = ARENA_LEFT + playercollrad;
  } else if (playerx > ARENA_RIGHT - playercollrad) {
    playerdx = 0;
    playerx = ARENA_RIGHT - playercollrad;
  }
  if (playery < ARENA_TOP + playercollrad) {
    playerdy = 0;
    playery = ARENA_TOP + playercollrad;
  } else if (playery > ARENA_BOTTOM - playercollrad) {
    playerdy = 0;
    playery = ARENA_BOTTOM - playercollrad;
  }
  UpdateCamera();
  if (playerx == oldx && playery == oldy) return;
  if (!stick) {
    playerrot = ATan2(oldy - playery, oldx - playerx) - 90;
  } else {
    playerrot = TurnQuarterToward(playerrot, ATan2(playery - oldy, playerx - oldx) + 90);
  }
  thrustang = -playerrot;
  EmitThrust(Hypot(playerx - oldx, playery - oldy));
}

// Key steering, vertical then horizontal.
static void KeyMovement() {
  playerdy = KeyAxis(playerdy, keyup, keydown);
  playerdx = KeyAxis(playerdx, keyleft, keyright);
  MoveShip(false);
}

// Stick steering on controls 0 (horizontal) and 1 (vertical).
static void StickMovement() {
  playerdx = StickAxis(playerdx, JOY_MOVE_X);
  playerdy = StickAxis(playerdy, JOY_MOVE_Y);
  MoveShip(true);
}

// Asks for a bomb when the bomb input is active, one is left and none is running.
static void RequestBomb(bool active) {
  if (active && bombs > 0 && bombstate == BOMB_IDLE) bombstate = BOMB_REQUESTED;
}

// Turns the fire direction a quarter of the way toward the aim point, then fires along it.
static void TurnAndFire() {
  aimang = TurnQuarterToward(aimang, ATan2(playerx - aimx, playery - aimy) + 180);
  aimx = playerx + 16 * SinDeg(aimang);
  aimy = playery + 16 * CosDeg(aimang);
  FireWeapon();
}

// Four fire inputs (up, down, left, right) steer the aim point away from the ship.
static void FourWayFire(bool up, bool down, bool left, bool right) {
  aimx = playerx;
  aimy = playery;
  if (up) {
    aimy -= 16;
  } else if (down) {
    aimy += 16;
  }
  if (left) {
    aimx -= 16;
  } else if (right) {
    aimx += 16;
  }
  if (up || down || left || right) TurnAndFire();
}

// Keys steer, the mouse aims (with the sight drawn) and its left button fires.
void ControlMouse() {
  KeyMovement();
  AimAtMouse();
  if (MouseDown(MOUSE_LEFT)) FireWeapon();
  RequestBomb(KeyDown(keybomb));
  int r = RandInt(128, 255);  // drawn one after the other so a seed replays the same colours
  int g = RandInt(128, 255);
  int b = RandInt(128, 255);
  AddDraw(playersightimg, (float)MouseX(), (float)MouseY(), 0, r, g, b, 1, 0, 1, 1, BLEND_LIGHT);
}

// One stick steers, the other aims and fires as soon as it is pushed past half way.
void ControlDualStick() {
  StickMovement();
  float fx = StickReading(JOY_FIRE_X), fy = StickReading(JOY_FIRE_Y);
  if (fx > 2 || fx < -2 || fy > 2 || fy < -2) {
    float a = ATan2(-fx, -fy) + 180;
    aimx = playerx + 8 * SinDeg(a);
    aimy = playery + 8 * CosDeg(a);
    FireWeapon();
  }
  RequestBomb(JoyControlActive(JOY_BOMB));
}

// Keys steer and four more keys fire, the fire direction turning smoothly.
void ControlTwoHanded() {
  KeyMovement();
  FourWayFire(KeyDown(keyfireup), KeyDown(keyfiredown), KeyDown(keyfireleft),
              KeyDown(keyfireright));
  RequestBomb(KeyDown(keybomb));
}

// The stick steers and four joystick buttons fire, the fire direction turning smoothly.
void ControlJoyButtons() {
  StickMovement();
  bool held[4];
  for (int i = 0; i < 4; i++) held[i] = JoyButtonDown(joyfirebutton[i], SafeJoyPort(joyfireport[i]));
  FourWayFire(held[0], held[1], held[2], held[3]);
  RequestBomb(JoyControlActive(JOY_BOMB));
}

// One bullet of a volley: direction, drawing rotation and spawn point off the ship.
static void AddBullet(float ang, float rot, float p, float d, float damage, int r, int g, int b) {
  tBULLET& s = bulletlist.emplace_back();
  s.t = 0;
  s.ang = ang;
  s.rot = rot;
  s.speed = 12;
  s.collrad = 12;
  s.x = playerx + d * SinDeg(p);
  s.y = playery + d * CosDeg(p);
  s.damage = damage;
  s.r = r;
  s.g = g;
  s.b = b;
  s.alpha = 1;
  s.scale = 1;
  s.blend = BLEND_LIGHT;
  s.img = playerbulletimg;
  s.xacc = playerdx;
  s.yacc = playerdy;
}

// Fires a volley toward the aim point when the gun is ready; any fire input
// counts as shooting for the no-shooting award.
void FireWeapon() {
  noshootticks = 0;
  if (firecount != 0) return;
  float fa = ATan2(playerx - aimx, playery - aimy) + 180;
  float fr = ATan2(playery - aimy, playerx - aimx) - 90;
  switch (SafeIndex(weaponlevel, 3)) {
    case 0:
      // two parallel shots either side of the nose
      AddBullet(fa, fr, fa + 25, 12, 100, 255, 200, 64);
      AddBullet(fa, fr, fa - 25, 12, 100, 255, 200, 64);
      PlayFX(Sfx::Fire1, -1);
      break;
    case 1:
      for (int off : {-8, 0, 8}) {
        AddBullet(fa + off, fr + off, fa + off, off == 0 ? 24.0f : 6.0f, 150, 255, 255, 64);
      }
      PlayFX(Sfx::Fire2, -1);
      break;
    default:
      for (int off : {-4, -2, 0, 2, 4}) {
        float d = (off == -4 || off == 4) ? 12.0f : 18.0f;
        AddBullet(fa + off, fr + off, fa + off, d, 200, 255, 128, 64);
      }
      PlayFX(Sfx::Fire3, -1);
      break;
  }
  firecount = firedelay;
}

// One flame puff behind the ship, as fast as the ship moved, fading and stretching.
void EmitThrust(float dist) {
  tPART& p = partlist.emplace_back();
  p.t = 1;
  p.accel = dist / 2;
  p.accelchange = -p.accel / 25;
  p.ang = thrustang + RandInt(-40, 40);
  p.angchange = 0;
  p.x = playerx + (playercollrad + 8) * SinDeg(thrustang);
  p.y = playery + (playercollrad + 8) * CosDeg(thrustang);
  p.rot = playerrot;
  p.rotchange = 0;
  p.alpha = 1;
  p.alphachange = -0.04f;
  p.xscale = 2;
  p.yscale = (float)RandFloat(1, 2);
  p.xscalechange = 0;
  p.yscalechange = 0.25f;
  p.img = thrustimg;
  p.blend = BLEND_LIGHT;
  p.r = RandInt(192, 256);
  p.g = RandInt(128, 256);
  p.b = RandInt(64, 128);
  p.rcolchange = -8;
  p.gcolchange = -16;
  p.bcolchange = 0;
  p.collrad = 8;
}

// The unshielded ship was hit (the enemies have gone already): it bursts,
// the bullets go and a life is lost; the last one stops the music.
void LoseShip() {
  playstate = PlayState::Dying;
  playermode = PlayerMode::Dying;
  deathtimer = 150;
  rezscale = 6;
  rezalpha = 1;
  rezfade = 1;
  playerrot = 0;
  PlayFX(Sfx::PlayerExplode, -1);
  bulletlist.clear();
  lives -= 1;
  liveslost++;
  if (lives == 0) StopGameMusic(false);
}

// The ship bursts into spinning rings while the death countdown runs.
void DyingPlayer() {
  DrawAtShip(playerrez04img, 192, 255, 255, rezfade, 2 * playerrot, 12 - 2 * rezscale);
  DrawAtShip(playerrez05img, 255, 192, 255, rezalpha, 2 * playerrot, 6 - rezscale);
  DrawAtShip(playerrez01img, 192, 255, 255, rezfade, playerrot, 7 - rezscale);
  DrawAtShip(playerrez02img, 192, 255, 255, rezfade, -playerrot, 7 - rezscale);
  rezscale -= 0.1f;
  rezalpha -= 0.0075f;
  rezfade -= 0.02f;
  playerrot += 1;
  lifelost = 1;
  if (rezscale > 3) Pull(playerx - ARENA_LEFT, playery - ARENA_TOP, 12, 4);
}
