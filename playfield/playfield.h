// The playfield floor, under the enemies and over the services: the grid,
// the ship, its bullets and bomb, particles, scoring and stars, and (this
// header) the running game's record: play sub-states, game-wide values, the
// play clock, the camera and the clear between games and lives.
#pragma once
#include <cstdint>

// Play sub-states.
enum class PlayState : int {
  Start = 0,        // a new game is set up
  RezIn = 1,        // the ship materialises, no enemies
  Playing = 2,      // play with the clock running
  Dying = 3,        // the ship bursts, the death countdown runs
  NextLife = 4,     // the next life is set up
  GameOver = 5,     // hand-off to the game-over screen
  OpenPrompt = 10,  // the quit prompt opens
  Prompt = 11,      // the quit prompt waits
  ResumeWait = 12   // back from the prompt, still paused until the key or button that resumed is let go
};
extern PlayState playstate;
// The play session moves the game from one sub-state to the next.
void SetPlayState(PlayState s);

// World and camera.
constexpr float ARENA_LEFT = 560, ARENA_TOP = 304, ARENA_RIGHT = 1584, ARENA_BOTTOM = 1072;
constexpr float ARENA_CENTRE_X = 1072, ARENA_CENTRE_Y = 688;
extern float camx, camy;

// Game-wide values ("long" values are signed 64-bit).
extern int64_t score;
extern int64_t hiscore;
extern int lives;
extern int bombs;
extern int64_t multiplier;
extern int64_t nextmulti;
extern int64_t nextlife, lifestep;
extern int64_t nextbomb, bombstep;
extern int weaponlevel;
extern int firedelay;
extern float weaponscore, weaponstep;
extern int64_t totalkilled;
extern int64_t killed;
extern int gameawards[16];
extern int scoredthislife;
extern int lifelost;
extern int64_t noshootticks;
extern int64_t gameclock;
extern int64_t clockticks, clocksecs, clockmins, clockhours;
extern int deathtimer;
// Lives lost since start-up (the statistics line).
extern long liveslost;

// What a clear of the playfield is for.
enum class ClearFor { NewGame, NewLife, FrontEnd, GameOver };
// Everything on the playfield but the enemies, which ClearArena adds.
void ClearPlayfield(ClearFor why);

// A new game's play clock and kill counts; its record against the table's
// best, with no awards yet; a new life's kill count.
void ResetGameClockAndKills();
void StartGameRecord(int64_t tablebest);
void ResetLifeKills();
// A paid kill counts toward the game's and the life's totals.
void CountGameKill();
// One tick of the death countdown; true when it has run out.
bool CountDownDeath();
// Advances the play clock by one tick of play.
void UpdateClock();
void UpdateCamera();
// The ship put in the middle of the arena and the view on it: behind the
// menus, and where every game starts from.
void CentreView();
