// The game's flow driven tick by tick through the headless back end: start,
// rez-in, play, a death, the next life, game over, the quit prompt and the
// play clock.
#include <gtest/gtest.h>

#include "tests/playfield_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "enemies/enemy.h"
#include "enemies/wave_director.h"
#include "frontend/config.h"
#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "playfield/bullets.h"
#include "playfield/game.h"
#include "playfield/grid.h"
#include "playfield/player.h"
#include "playfield/scoring.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"

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

TEST_F(GameTest, AnyOtherKeyResumesOnlyAfterItIsLetGo) {
  UpdateGame();
  PlayUnshielded();
  OpenPrompt();
  HeadlessSetKey(VK_A, 1);
  std::atomic<bool> released{false};
  std::thread letgo([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    released = true;
    HeadlessSetKey(VK_A, 0);
  });
  UpdateGame();  // waits inside the tick for the release
  EXPECT_TRUE(released.load());
  letgo.join();
  EXPECT_EQ(playstate, PlayState::Playing);
  EXPECT_TRUE(menulist.empty());

  OpenPrompt();  // a signal ends the wait too, with the key still held
  HeadlessSetKey('B', 1);
  quitflag = 1;
  UpdateGame();
  EXPECT_EQ(playstate, PlayState::Playing);
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
