// The game's flow driven tick by tick through the headless back end: start,
// rez-in, play, a death, the next life, game over, the quit prompt and the
// play clock.
#include <gtest/gtest.h>

#include "app/play_session.h"
#include "tests/playfield_fixture.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/frame_loop.h"
#include "app/options.h"
#include "enemies/enemies.h"
#include "enemies/wave_director.h"
#include "frontend/frontend.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/input_replay.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/config.h"
#include "services/draw.h"
#include "tests/run_helpers.h"

namespace {
struct GameTest : WholeGameTest {
  // Runs ticks until playstate becomes want; returns how many it took (-1 if never).
  static int TicksUntil(PlayState want) {
    for (int n = 1; n <= 1000; n++) {
      UpdateGame();
      if (playstate == want) return n;
    }
    return -1;
  }
  // Rezzes in (from a new game or a new life) and drops the shield.
  static void PlayUnshielded() {
    ASSERT_GT(TicksUntil(PlayState::Playing), 0);
    shield = 0;
  }
  // An active enemy record placed on top of the ship.
  static void PlaceEnemyOnShip() { AddEnemy(playerx, playery); }
  // Escape pressed and let go: the prompt is up and waiting.
  static void OpenPrompt() {
    HeadlessSetKey(VK_ESCAPE, 1);
    UpdateGame();
    UpdateGame();
    HeadlessSetKey(VK_ESCAPE, 0);
    UpdateGame();
    ASSERT_EQ(playstate, PlayState::Prompt);
  }
};
}  // namespace

TEST_F(GameTest, StartRezInAndPlayWithTheClockOnlyRunningInPlay) {
  score = 5000;
  attacklimit = 12;
  gameawards[3] = 1;
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::RezIn);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(lives, 3);
  EXPECT_EQ(attacklimit, 0);
  EXPECT_EQ(gameawards[3], 0);
  EXPECT_EQ(camy, 688 / 2 + 48);
  int rez = TicksUntil(PlayState::Playing);
  EXPECT_GE(rez, 49);
  EXPECT_LE(rez, 52);
  EXPECT_EQ(gameclock, 0);
  FireWeapon();
  UpdateGame();
  EXPECT_EQ(gameclock, 1);
  // Painting order: the grid marker, then the bullets, the HUD last.
  int marker = -1, bullet = -1;
  for (int i = (int)drawlist.size() - 1; i >= 0; i--) {
    if (drawlist[i].r == GRID_MARKER) marker = i;
    if (drawlist[i].r == 255 && drawlist[i].g == 200 && drawlist[i].b == 64) bullet = i;
  }
  ASSERT_GE(marker, 0);
  EXPECT_GT(bullet, marker);
  EXPECT_EQ(drawlist.back().y, 18);  // lives and bombs
}

TEST_F(GameTest, DeathRestartWithWeaponFallbackAndGameOverHandOff) {
  UpdateGame();
  PlayUnshielded();
  weaponlevel = 2;
  firedelay = 7;
  multiplier = 4;
  killed = totalkilled = 30;
  PlaceEnemyOnShip();
  UpdateGame();
  ASSERT_EQ(playstate, PlayState::Dying);
  EXPECT_EQ(lives, 2);
  EXPECT_EQ(nmelist[0].mode, 2);
  int64_t clock = gameclock;
  EXPECT_EQ(TicksUntil(PlayState::NextLife), 150);
  EXPECT_EQ(gameclock, clock);  // no clock while dying
  attackmode = 7;
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::RezIn);
  EXPECT_EQ(weaponlevel, 0);  // nothing scored in that life: back to the first gun
  EXPECT_EQ(firedelay, 6);
  EXPECT_EQ(multiplier, 1);
  EXPECT_EQ(nextmulti, 25);
  EXPECT_EQ(killed, 0);
  EXPECT_EQ(totalkilled, 30);
  EXPECT_EQ(attackmode, 0);
  EXPECT_TRUE(nmelist.empty());

  PlayUnshielded();
  weaponlevel = 1;
  scoredthislife = 1;  // a life that scored keeps its weapon
  PlaceEnemyOnShip();
  ASSERT_GT(TicksUntil(PlayState::NextLife), 0);
  UpdateGame();
  EXPECT_EQ(weaponlevel, 1);

  PlayUnshielded();
  PlaceEnemyOnShip();
  UpdateGame();
  EXPECT_EQ(lives, 0);
  EXPECT_EQ(TicksUntil(PlayState::GameOver), 150);
  highrank = 7;
  UpdateGame();
  EXPECT_EQ(gamestate, GameState::FrontEnd);
  EXPECT_EQ(menustate, MenuState::GameOver);
  EXPECT_EQ(playstate, PlayState::Start);
  EXPECT_EQ(highrank, -1);  // a score of 0 makes no row
}

TEST_F(GameTest, QuitPromptNeedsEscapeLetGoBeforeASecondEscapeQuits) {
  UpdateGame();
  PlayUnshielded();
  HeadlessSetKey(VK_ESCAPE, 1);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::OpenPrompt);
  size_t frozen = drawlist.size();
  UpdateGame();
  ASSERT_EQ(menulist.size(), 1u);
  EXPECT_GT(drawlist.size(), frozen);  // painted over the last playfield tick
  int64_t clock = gameclock;
  for (int i = 0; i < 10; i++) UpdateGame();  // Escape still held: nothing
  EXPECT_EQ(playstate, PlayState::Prompt);
  EXPECT_EQ(gameclock, clock);
  HeadlessSetKey(VK_ESCAPE, 0);
  UpdateGame();
  HeadlessSetKey(VK_ESCAPE, 1);
  UpdateGame();
  EXPECT_EQ(gamestate, GameState::FrontEnd);
  EXPECT_EQ(menustate, MenuState::Enter);
  EXPECT_TRUE(menulist.empty());
}

TEST_F(GameTest, QuittingLeavesNothingOfTheGameForTheNext) {
  UpdateGame();
  PlayUnshielded();
  OpenPrompt();
  scoresprlist.emplace_back();  // what the frozen playfield still holds
  bulletlist.emplace_back();
  nmelist.emplace_back();
  playerx = ARENA_LEFT + 40;
  grid[10][10].x += 5;
  HeadlessSetKey(VK_ESCAPE, 1);
  UpdateGame();
  ASSERT_EQ(menustate, MenuState::Enter);
  HeadlessSetKey(VK_ESCAPE, 0);
  FrontEndFrame();
  EXPECT_TRUE(scoresprlist.empty());
  EXPECT_TRUE(bulletlist.empty());
  EXPECT_TRUE(nmelist.empty());
  EXPECT_EQ(grid[10][10].x, 160);
  EXPECT_EQ(playerx, 1072);
  EXPECT_EQ(camx, 1072 / 2 + 140);
}

TEST_F(GameTest, AnyOtherKeyResumesOnlyAfterItIsLetGoAndTheWaitNeverBlocksATick) {
  UpdateGame();
  PlayUnshielded();
  HeadlessSetKey(VK_ESCAPE, 1);
  UpdateGame();
  size_t playfielddraws = drawlist.size();  // the last playfield tick's picture
  UpdateGame();
  HeadlessSetKey(VK_ESCAPE, 0);
  UpdateGame();
  ASSERT_EQ(playstate, PlayState::Prompt);
  EXPECT_GT(drawlist.size(), playfielddraws);
  int64_t clock = gameclock;
  float x = playerx;
  HeadlessSetKey(VK_A, 1);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  EXPECT_TRUE(menulist.empty());
  EXPECT_EQ(drawlist.size(), playfielddraws);  // the prompt's text is gone, the playfield stays
  for (int i = 0; i < 30; i++) UpdateGame();  // every tick returns while the key is held
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  EXPECT_EQ(gameclock, clock);
  EXPECT_EQ(playerx, x);
  HeadlessSetKey(VK_A, 0);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::Playing);
  UpdateGame();
  EXPECT_EQ(gameclock, clock + 1);

  // A key pressed and let go before the tick (a tap) resumes after one tick of waiting.
  OpenPrompt();
  InputPressKey('B');
  InputSetKey('B', 0);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  InputTickDone();
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::Playing);
}

// The prompt opened while a movement key is held: that key must be let go
// before it counts, so the player can pause while moving; Escape keeps its
// own rule throughout. The keys of a hang once reported: hold W, tap Escape,
// tap another key with W still held, let W go.
TEST_F(GameTest, KeysHeldWhenThePromptOpensCountOnlyOnceLetGoAndPressedAgain) {
  UpdateGame();
  PlayUnshielded();
  HeadlessSetKey(VK_W, 1);
  UpdateGame();
  OpenPrompt();
  for (int i = 0; i < 20; i++) UpdateGame();
  EXPECT_EQ(playstate, PlayState::Prompt);  // W still held: the prompt stays
  HeadlessSetKey(VK_ESCAPE, 1);
  UpdateGame();
  EXPECT_EQ(gamestate, GameState::FrontEnd);  // a second Escape quits, W or not
  EXPECT_EQ(menustate, MenuState::Enter);

  HeadlessReleaseAll();
  BeginGame();
  UpdateGame();
  PlayUnshielded();
  HeadlessSetKey(VK_W, 1);
  UpdateGame();
  OpenPrompt();
  HeadlessSetKey(VK_SPACE, 1);  // another key, W still held
  UpdateGame();
  HeadlessSetKey(VK_SPACE, 0);
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  for (int i = 0; i < 5; i++) UpdateGame();
  EXPECT_EQ(playstate, PlayState::ResumeWait);  // until no key is down
  HeadlessSetKey(VK_W, 0);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::Playing);

  // Let go and pressed again, the held-over key resumes like any other.
  HeadlessSetKey(VK_W, 1);
  UpdateGame();
  OpenPrompt();
  HeadlessSetKey(VK_W, 0);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::Prompt);
  HeadlessSetKey(VK_W, 1);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::ResumeWait);
}

TEST_F(GameTest, AJoystickButtonHeldWhenThePromptOpensMustBeLetGoFirst) {
  UpdateGame();
  PlayUnshielded();
  HeadlessSetJoyButton(0, 0, 1);  // the pad's fire button, held while playing
  UpdateGame();
  OpenPrompt();
  for (int i = 0; i < 10; i++) UpdateGame();
  EXPECT_EQ(playstate, PlayState::Prompt);
  HeadlessSetJoyButton(0, 0, 0);
  UpdateGame();
  HeadlessSetJoyButton(0, 0, 1);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  HeadlessSetJoyButton(0, 0, 0);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::Playing);
}

// The real loop goes on during the wait: its ticks run, a close request
// ends it in order with the saves, and so does a signal.
TEST_F(GameTest, TheLoopHearsACloseRequestOrASignalWhileTheResumeWaits) {
  ScratchDir dir("resume_wait");
  std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  UpdateGame();
  PlayUnshielded();
  OpenPrompt();
  HeadlessSetKey(VK_A, 1);
  UpdateGame();
  ASSERT_EQ(playstate, PlayState::ResumeWait);
  StartOptions opts;
  opts.headless = true;
  opts.ticks = 40;
  long ticks = tickcount;
  EXPECT_EQ(RunLoop(opts), 0);  // forty ticks of waiting, then the asked end
  EXPECT_EQ(tickcount, ticks + 40);
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  std::filesystem::remove(dir / "config.dat");
  opts.ticks = 1000000;
  HeadlessRequestClose();
  EXPECT_EQ(RunLoop(opts), 0);
  EXPECT_EQ(quitflag, 1);
  EXPECT_TRUE(std::filesystem::exists(dir / "config.dat"));
  quitflag = 0;
  std::thread signal([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    quitflag = 1;
  });
  EXPECT_EQ(RunLoop(opts), 0);
  signal.join();
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  std::filesystem::current_path(was);
  quitflag = 0;
}

TEST_F(GameTest, FocusLossPausesOnlyDuringPlayAndThePadStartQuits) {
  UpdateGame();
  InputNoteFocusLost();  // lost during the rez-in: forgotten
  PlayUnshielded();
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::Playing);
  InputNoteFocusLost();
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::OpenPrompt);
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::Prompt);
  // The pad's start control (a button by default) quits only from a fresh press.
  ASSERT_EQ(joyisbutton[5], 1);
  HeadlessSetJoyButton(0, joyaxis[5], 1);
  UpdateGame();
  EXPECT_EQ(gamestate, GameState::Game);
  HeadlessSetJoyButton(0, joyaxis[5], 0);
  UpdateGame();
  HeadlessSetJoyButton(0, joyaxis[5], 1);
  UpdateGame();
  EXPECT_EQ(gamestate, GameState::FrontEnd);
}

// A watched replay plays on when the watcher's window loses the focus: the
// recorded game never saw that, and pausing it would make another game.
TEST_F(GameTest, AWatchedReplayIsNotPausedByTheWatchersFocusLoss) {
  UpdateGame();
  PlayUnshielded();
  InputFrame frame{};
  InputFeedFrame(&frame);
  InputNoteFocusLost();
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::Playing);
  InputFeedFrame(nullptr);
  InputNoteFocusLost();
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::OpenPrompt);
}

// A focus loss the window system reports while a tick reads (its reads ask
// the window system for news) reaches the next tick whole: the keys it lets
// go of and the loss itself, while a press reported after it still counts.
// The recorded frames then hold what every read of each tick saw.
TEST_F(GameTest, AFocusLossReportedMidTickWaitsForTheNextTick) {
  HeadlessSetKey(VK_D, 1);
  InputBeginTick();
  EXPECT_EQ(KeyDown(VK_D), 1);
  HeadlessSetFocus(0);
  HeadlessQueueKey(VK_X, 1, (uint32_t)ClockMs());
  EXPECT_EQ(KeyDown(VK_D), 1);
  EXPECT_EQ(TakeFocusLost(), 0);
  InputTickDone();
  InputBeginTick();
  EXPECT_EQ(KeyDown(VK_D), 0);
  EXPECT_EQ(KeyDown(VK_X), 1);
  EXPECT_EQ(TakeFocusLost(), 1);
  InputFrame taken;
  InputCaptureFrame(&taken);
  EXPECT_EQ(taken.focuslost, 1);  // what the recording keeps of this tick
  InputTickDone();
  HeadlessSetFocus(1);
  HeadlessReleaseAll();
}

// A joystick control type, how many pads start-up found, and whether the
// game's start says the ship cannot move.
struct StartNotice {
  int controltype;
  int pads;
  bool said;
};

// The half-size text of this tick's picture, in drawing order, without spaces.
static std::string SmallTextDrawn(TImage* font) {
  std::string s;
  for (const tDRAW& d : drawlist)
    if (d.img == font && d.xscale == 0.5f) s += (char)(d.frame + 32);
  return s;
}

// Only a joystick control type with no joystick found says so, from the
// first tick of the game for a few seconds, once: not again after a lost
// life. The control type stays as chosen.
TEST_F(GameTest, AJoystickControlTypeWithNoJoystickSaysSoForTheFirstSecondsOfTheGameOnly) {
  TImage font, white;
  white.width = white.height = 16;
  TImage* saved[2] = {fontimg, whiteimg};
  fontimg = &font;
  whiteimg = &white;
  const StartNotice cases[] = {{1, 0, true},  {3, 0, true},  {1, 1, false},
                               {3, 1, false}, {0, 0, false}, {2, 0, false}};
  for (const StartNotice& c : cases) {
    SCOPED_TRACE(testing::Message() << "control type " << c.controltype << ", pads " << c.pads);
    HeadlessSetJoystickCount(c.pads);
    lastjoyport = JoystickCount() - 1;
    controltype = c.controltype;
    BeginGame();
    UpdateGame();
    UpdateGame();
    bool said = SmallTextDrawn(&font).find("nojoystickfound") != std::string::npos;
    EXPECT_EQ(said, c.said);
    int shown = said ? 1 : 0;
    while (shown > 0 && shown < 1000 && SmallTextDrawn(&font).find("nojoystickfound") != std::string::npos) {
      UpdateGame();
      shown++;
    }
    if (c.said) {
      EXPECT_GE(shown, 120);  // at least two seconds
      EXPECT_LT(shown, 1000);
      playstate = PlayState::NextLife;  // a lost life
      UpdateGame();
      UpdateGame();
      EXPECT_EQ(SmallTextDrawn(&font).find("nojoystickfound"), std::string::npos);
    }
    EXPECT_EQ(controltype, c.controltype);
  }
  fontimg = saved[0];
  whiteimg = saved[1];
  controltype = 0;
}

TEST_F(GameTest, PlayClockWrapsItsHoursFromNineToZero) {
  clockticks = clocksecs = clockmins = 59;
  clockhours = 9;
  UpdateClock();
  EXPECT_EQ(clockticks + clocksecs + clockmins + clockhours, 0);
  clockticks = 59;
  UpdateClock();
  EXPECT_EQ(clocksecs, 1);
  EXPECT_EQ(clockhours, 0);
}
