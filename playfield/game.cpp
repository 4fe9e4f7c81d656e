// The running game: the play sub-states, a new game and a new life, the
// playfield tick (whose order is also the painting order), the play clock,
// the camera, the Escape quit prompt and the hand-off at game over.
#include "playfield/game.h"

#include "enemies/contact.h"
#include "enemies/enemy.h"
#include "enemies/shots.h"
#include "enemies/wave_director.h"
#include "frontend/config.h"
#include "frontend/frontend.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/overlay.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/scoring.h"
#include "playfield/stars.h"
#include "shell/controls.h"
#include "shell/replay_run.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"
#include "shell/sfx.h"

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
int highrank = -1;
int esclatch = 0, joylatch = 0;
long gamesstarted = 0, liveslost = 0;

// A game started with a joystick control type and no joystick found says
// so under the score for a few seconds of play. It is only drawn: the
// control type stays, and nothing a replay checks changes. A replay never
// shows it, since the recorded player's joystick is not this machine's.
static const std::string kNoJoystickNotice =
    "no joystick found: the ship cannot move - see OPTIONS, CONTROLS";
constexpr int NO_JOYSTICK_TICKS = 300;  // five seconds
constexpr int NO_JOYSTICK_Y = 88;       // under the score and the high score
constexpr float NO_JOYSTICK_SCALE = 0.5f;
static int nojoysticktimer = 0;

static void DrawNoJoystickNotice() {
  if (nojoysticktimer <= 0) return;
  nojoysticktimer--;
  DrawBackedText(kNoJoystickNotice, 400, NO_JOYSTICK_Y, 128, 255, 128, NO_JOYSTICK_SCALE);
}

// The joystick start control (control 5) is pressed or pushed.
static bool StartControlActive() { return JoyControlActive(JOY_START) != 0; }

// Leaves play for the quit prompt; both latches set so the press that
// opened it cannot also close it.
static void RequestQuitPrompt() {
  esclatch = 1;
  joylatch = 1;
  playstate = PlayState::OpenPrompt;
}

// Game over: back to the front end's game-over screen with the table row.
static void HandOffGameOver() {
  playstate = PlayState::Start;
  ReturnToFrontEnd(MenuState::GameOver);
  if (WatchingReplay()) return;  // someone's recorded game: the table stays as it is
  if (score != 0) {
    highrank = InsertScore(score) + 1;
  } else {
    highrank = -1;
  }
}

// The front end starts a new game (or --play skips the menus). The ship's
// first aim is taken from where it stood and where the view was before the
// game; however the game is started (the menu, --play, a replay), that is
// the middle of the arena, so every game starts alike.
void BeginGame() {
  gamestate = GameState::Game;
  playstate = PlayState::Start;
  CentreView();
}

// One tick of the game, by play sub-state; called by the frame loop during a game.
void UpdateGame() {
  // A focus loss outside play is forgotten; during play it pauses the game.
  int focuslost = TakeFocusLost();
  ToggleOverlay();
  switch (playstate) {
    case PlayState::Start:
      StartGame();
      break;
    case PlayState::RezIn:
      UpdatePlayfield(1);
      break;
    case PlayState::Playing:
      UpdateClock();
      UpdatePlayfield(0);
      // A ship that died during this update goes on dying; the prompt waits.
      if (playstate != PlayState::Playing) break;
      if (KeyDown(VK_ESCAPE) || focuslost) RequestQuitPrompt();
      if (StartControlActive()) RequestQuitPrompt();
      break;
    case PlayState::Dying:
      UpdatePlayfield(1);
      deathtimer -= 1;
      if (deathtimer == 0) playstate = lives > 0 ? PlayState::NextLife : PlayState::GameOver;
      break;
    case PlayState::NextLife:
      RestartLife();
      break;
    case PlayState::GameOver:
      HandOffGameOver();
      break;
    case PlayState::OpenPrompt:
      OpenQuitPrompt();
      break;
    case PlayState::Prompt:
      UpdateQuitPrompt();
      break;
    case PlayState::ResumeWait:
      UpdateResumeWait();
      break;
  }
}

// Empties the playfield: enemies, bullets and particles always go. A new
// game drops the stars and makes new ones; entering the front end does that
// and drops the score sprites too; a new life and the game-over screen keep
// the stars and drop the score sprites; the front end keeps the multiplier
// sprites, which nothing draws there. Every clear but the game-over screen's
// forgets this tick's effects and puts the grid back at rest.
void ClearPlayfield(ClearFor why) {
  bool newstars = why == ClearFor::NewGame || why == ClearFor::FrontEnd;
  if (why != ClearFor::FrontEnd) multiplylist.clear();
  nmelist.clear();
  bulletlist.clear();
  partlist.clear();
  if (why != ClearFor::NewGame) scoresprlist.clear();
  if (newstars) starlist.clear();
  if (why == ClearFor::GameOver) return;
  ClearFX();
  if (newstars) CreateStars();
  ResetGrid();
}

// A new game: empty lists, fresh stars and grid, the player and every
// game value from the start, the director reset, the in-game music.
void StartGame() {
  gamesstarted++;
  ClearPlayfield(ClearFor::NewGame);
  InitPlayer();
  UpdateCamera();
  playstate = PlayState::RezIn;
  gameclock = 0;
  clockticks = clocksecs = clockmins = clockhours = 0;
  totalkilled = 0;
  killed = 0;
  ResetAttackDirector();
  hiscore = HighScoreTop();
  ResetKillsByKind();
  for (int& a : gameawards) a = 0;
  bool stuck = lastjoyport < 0 && SteersWithJoystick(controltype) && !WatchingReplay();
  nojoysticktimer = stuck ? NO_JOYSTICK_TICKS : 0;
  StartGameMusic();
}

// The next life after a death: the ship rezzes in where it died, the stars stay.
void RestartLife() {
  ClearPlayfield(ClearFor::NewLife);
  InitLife();
  UpdateCamera();
  playstate = PlayState::RezIn;
  killed = 0;
  attackmode = 0;
}

// One tick of everything on the playfield, queued bottom to top.
void UpdatePlayfield(int withoutenemies) {
  ClearDrawList();
  ClearFX();
  UpdatePlayer();
  if (withoutenemies == 0) {
    RunAttackDirector();
    UpdateEnemies();
  }
  UpdateStars();
  DrawBorder();
  UpdateParticles();
  UpdateBullets();
  UpdateBomb();
  UpdateScoreSprites();
  UpdateMultiplySprites();
  DrawHud();
  DrawNoJoystickNotice();
  DrawOverlay();
  if (gridsetting > 0) UpdateGrid();
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

// Keys and joystick buttons already down when the prompt opened (the
// movement keys a player was holding): like a key held over from the last
// screen, each must be let go before it counts as a press at the prompt.
// Escape is not among them: its own latch rules it.
static uint8_t heldatprompt[VK_COUNT];
static uint32_t joyheldatprompt[MAX_JOYPORTS];
// Where the prompt's text starts in the kept picture, so resuming takes it away.
static size_t promptdraws = 0;
// What resumed: a key, a joystick button, or both on one tick.
static bool resumedbykey = false, resumedbyjoy = false;

static void NoteHeldAtPrompt() {
  for (int k = 0; k < VK_COUNT; k++) heldatprompt[k] = k != VK_ESCAPE && KeyDown(k);
  for (int p = 0; p < MAX_JOYPORTS; p++) {
    joyheldatprompt[p] = 0;
    if (p >= JoystickPorts()) continue;
    for (int b = 0; b < MAX_JOYBUTTONS; b++)
      if (JoyButtonDown(b, p)) joyheldatprompt[p] |= 1u << b;
  }
}

// A key down now that was not held over from before the prompt; a held-over
// key that has been let go counts again from now on.
static bool NewKeyDown() {
  bool any = false;
  for (int k = 0; k < VK_COUNT; k++) {
    if (!KeyDown(k)) {
      heldatprompt[k] = 0;
    } else if (!heldatprompt[k]) {
      any = true;
    }
  }
  return any;
}

// As NewKeyDown, for the buttons of the attached joysticks.
static bool NewJoyButtonDown() {
  bool any = false;
  for (int p = 0; p < JoystickPorts(); p++)
    for (int b = 0; b < MAX_JOYBUTTONS; b++) {
      uint32_t bit = 1u << b;
      if (!JoyButtonDown(b, p)) {
        joyheldatprompt[p] &= ~bit;
      } else if (!(joyheldatprompt[p] & bit)) {
        any = true;
      }
    }
  return any;
}

// Opens the quit prompt over the frozen playfield and pauses the music.
void OpenQuitPrompt() {
  tMENU m;
  m.t = 1;
  m.y = 300;
  m.entries = 2;
  m.text[0] = "Press ESCAPE again to QUIT or any";
  m.text[1] = "other key to return to the game.";
  m.value[0] = MenuState::Enter;
  m.value[1] = MenuState::Enter;
  m.selected = -1;
  m.bard = 2;
  m.joyd = 1;
  m.joyfd = 1;
  menulist.push_back(m);
  playstate = PlayState::Prompt;
  NoteHeldAtPrompt();
  promptdraws = drawlist.size();
  UpdateMenus();
  PauseGameMusic();
}

// Quits from the prompt to the front end's main menu, stopping the music.
static void QuitToFrontEnd() {
  playstate = PlayState::Start;
  ReturnToFrontEnd(MenuState::Enter);
  menulist.clear();
  StopGameMusic(true);
}

// Leaves the prompt: its text goes, and the game stays paused, tick after
// tick, until the key or button that resumed is let go. The wait never
// holds up the loop, so the window and signals are heard meanwhile.
static void ResumePlay(bool byjoy) {
  if (playstate != PlayState::ResumeWait) resumedbykey = resumedbyjoy = false;
  playstate = PlayState::ResumeWait;
  (byjoy ? resumedbyjoy : resumedbykey) = true;
  menulist.clear();
  if (drawlist.size() > promptdraws) drawlist.resize(promptdraws);
}

// One tick of the wait after the prompt: nothing moves until no key (and no
// joystick button, when one resumed) is down; then play and the music go on.
void UpdateResumeWait() {
  if (resumedbykey && AnyKeyDown()) return;
  if (resumedbyjoy && AnyJoyButtonDown()) return;
  playstate = PlayState::Playing;
  ResumeGameMusic();
}

// One tick of the shown prompt: a second Escape (or joystick start) quits,
// any other key or joystick button resumes. Keys held since before the
// prompt opened count only once let go and pressed again. The latches are
// written out: another key's press decides here, not only Escape's release.
void UpdateQuitPrompt() {
  if (KeyDown(VK_ESCAPE)) {
    if (esclatch == 0) {
      esclatch = 1;
      QuitToFrontEnd();
    }
  } else if (NewKeyDown()) {
    ResumePlay(false);
  } else {
    esclatch = 0;
  }
  if (playstate == PlayState::Start) return;  // quit: the joystick has nothing left to answer

  if (StartControlActive()) {
    if (joylatch == 0) QuitToFrontEnd();
  } else if (NewJoyButtonDown()) {
    ResumePlay(true);
  } else {
    joylatch = 0;
  }
}
