// The playfield's running game record: the play sub-state, the game-wide
// values, the play clock and the camera, and the clear of the playfield
// between games and lives. The play session at the top drives it tick by tick.
#include "playfield/playfield.h"

#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/scoring.h"
#include "playfield/stars.h"
#include "services/sfx.h"

PlayState playstate = PlayState::Start;
float camx = 0, camy = 0;

int64_t score = 0;
int64_t hiscore = 0;
int lives = 3;
int bombs = 3;
int64_t multiplier = 1;
int64_t nextmulti = 25;
int64_t nextlife = 75000, lifestep = 75000;
int64_t nextbomb = 100000, bombstep = 100000;
int weaponlevel = 0;
int firedelay = 6;
float weaponscore = 10000, weaponstep = 10000;
int64_t totalkilled = 0;
int64_t killed = 0;
int gameawards[16] = {};
int scoredthislife = 0;
int lifelost = 0;
int64_t noshootticks = 0;
int64_t gameclock = 0;
int64_t clockticks = 0, clocksecs = 0, clockmins = 0, clockhours = 0;
int deathtimer = 0;
long liveslost = 0;


void SetPlayState(PlayState s) { playstate = s; }

// A new game's values: the play clock and the kill counts from zero.
void ResetGameClockAndKills() {
  gameclock = 0;
  clockticks = clocksecs = clockmins = clockhours = 0;
  totalkilled = 0;
  killed = 0;
}

// A new game's record against the table's best, with no awards yet.
void StartGameRecord(int64_t tablebest) {
  hiscore = tablebest;
  for (int& a : gameawards) a = 0;
}

bool CountDownDeath() {
  deathtimer -= 1;
  return deathtimer == 0;
}

void CountGameKill() {
  totalkilled += 1;
  killed += 1;
}

// A new life counts its kills from zero.
void ResetLifeKills() { killed = 0; }

// Empties the playfield: bullets and particles always go (the enemies'
// own list is emptied beside it, by ClearArena). A new
// game drops the stars and makes new ones; entering the front end does that
// and drops the score sprites too; a new life and the game-over screen keep
// the stars and drop the score sprites; the front end keeps the multiplier
// sprites, which nothing draws there. Every clear but the game-over screen's
// forgets this tick's effects and puts the grid back at rest.
void ClearPlayfield(ClearFor why) {
  bool newstars = why == ClearFor::NewGame || why == ClearFor::FrontEnd;
  if (why != ClearFor::FrontEnd) multiplylist.clear();
  bulletlist.clear();
  partlist.clear();
  if (why != ClearFor::NewGame) scoresprlist.clear();
  if (newstars) starlist.clear();
  if (why == ClearFor::GameOver) return;
  ClearFX();
  if (newstars) CreateStars();
  ResetGrid();
}

// Advances the play clock by one tick of play; the hours run 0..9 and wrap.
void UpdateClock() {
  gameclock += 1;
  clockticks += 1;
  if (clockticks == 60) {
    clockticks = 0;
    clocksecs += 1;
  }
  if (clocksecs == 60) {
    clocksecs = 0;
    clockmins += 1;
  }
  if (clockmins == 60) {
    clockmins = 0;
    clockhours += 1;
  }
  if (clockhours == 10) clockhours = 0;
}

// The view follows the ship at half its speed.
void UpdateCamera() {
  camx = playerx / 2 + 140;
  camy = playery / 2 + 76 - 28;
}

void CentreView() {
  playerx = ARENA_CENTRE_X;
  playery = ARENA_CENTRE_Y;
  UpdateCamera();
}

