// A game in play: the play sub-states in turn, a new game and a new life,
// one tick of everything on the playfield (whose order is also the painting
// order), the Escape quit prompt with its latches, and the hand-offs to the
// front end at game over and on quit.
#include "app/play_session.h"

#include "app/overlay.h"
#include "app/replay_run.h"
#include "enemies/arena.h"
#include "enemies/contact.h"
#include "enemies/enemies.h"
#include "enemies/shots.h"
#include "enemies/wave_director.h"
#include "frontend/frontend.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "playfield/stars.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/sfx.h"

int esclatch = 0, joylatch = 0;
long gamesstarted = 0;

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
  SetPlayState(PlayState::OpenPrompt);
}

// Game over: back to the front end's game-over screen with the table row.
static void HandOffGameOver() {
  SetPlayState(PlayState::Start);
  ReturnToFrontEnd(MenuState::GameOver);
  if (WatchingReplay()) return;  // someone's recorded game: the table stays as it is
  RankLastGame(score);
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
      if (CountDownDeath()) SetPlayState(lives > 0 ? PlayState::NextLife : PlayState::GameOver);
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

// A new game: empty lists, fresh stars and grid, the player and every
// game value from the start, the director reset, the in-game music.
void StartGame() {
  gamesstarted++;
  ClearArena(ClearFor::NewGame);
  InitPlayer();
  UpdateCamera();
  SetPlayState(PlayState::RezIn);
  ResetGameClockAndKills();
  ResetAttackDirector();
  ResetKillsByKind();
  StartGameRecord(HighScoreTop());
  bool stuck = lastjoyport < 0 && SteersWithJoystick(controltype) && !WatchingReplay();
  nojoysticktimer = stuck ? NO_JOYSTICK_TICKS : 0;
  StartGameMusic();
}

// The next life after a death: the ship rezzes in where it died, the stars stay.
void RestartLife() {
  ClearArena(ClearFor::NewLife);
  InitLife();
  UpdateCamera();
  SetPlayState(PlayState::RezIn);
  ResetLifeKills();
  EndAttack();
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
  tMENU& m = NewMenu();
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
  SetPlayState(PlayState::Prompt);
  NoteHeldAtPrompt();
  promptdraws = DrawListSize();
  UpdateMenus();
  PauseGameMusic();
}

// Quits from the prompt to the front end's main menu, stopping the music.
static void QuitToFrontEnd() {
  SetPlayState(PlayState::Start);
  ReturnToFrontEnd(MenuState::Enter);
  ClearMenus();
  StopGameMusic(true);
}

// Leaves the prompt: its text goes, and the game stays paused, tick after
// tick, until the key or button that resumed is let go. The wait never
// holds up the loop, so the window and signals are heard meanwhile.
static void ResumePlay(bool byjoy) {
  if (playstate != PlayState::ResumeWait) resumedbykey = resumedbyjoy = false;
  SetPlayState(PlayState::ResumeWait);
  (byjoy ? resumedbyjoy : resumedbykey) = true;
  ClearMenus();
  CutDrawList(promptdraws);
}

// One tick of the wait after the prompt: nothing moves until no key (and no
// joystick button, when one resumed) is down; then play and the music go on.
void UpdateResumeWait() {
  if (resumedbykey && AnyKeyDown()) return;
  if (resumedbyjoy && AnyJoyButtonDown()) return;
  SetPlayState(PlayState::Playing);
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
