// The game's flow driven tick by tick through the headless back end: start,
// rez-in, play, a death, the next life, game over, the quit prompt and the
// play clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "enemies/enemy.h"
#include "enemies/wave_director.h"
#include "frontend/config.h"
#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "playfield/bullets.h"
#include "playfield/game.h"
#include "playfield/grid.h"
#include "playfield/player.h"
#include "playfield/scoring.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"

namespace {
TBank emptymap;

struct GameTest : ::testing::Test {
  void SetUp() override {
    PlatformInit(PlatformKind::Headless);
    HeadlessReleaseAll();
    HeadlessSetJoystickCount(1);  // one idle pad: sticks centred, no buttons
    lastjoyport = JoystickCount() - 1;
    HeadlessSetMouse(400, 200);
    SetDefaultConfig();
    InitFontWidths();
    emptymap.data.assign(1700, 0);
    SetupGrid(&emptymap);
    menulist.clear();
    TakeFocusLost();
    quitflag = 0;
    gamestate = 1;
    playstate = 0;
    menustate = 1;
  }
  void TearDown() override {
    HeadlessReleaseAll();
    quitflag = 0;
    menulist.clear();
  }
  // Runs ticks until playstate becomes want; returns how many it took (-1 if never).
  static int TicksUntil(int want, int limit = 1000) {
    for (int n = 1; n <= limit; n++) {
      UpdateGame();
      if (playstate == want) return n;
    }
    return -1;
  }
  // A fresh game, rezzed in and playing, the shield already gone.
  static void StartPlaying() {
    UpdateGame();
    ASSERT_EQ(playstate, 1);
    ASSERT_GT(TicksUntil(2), 0);
    shield = 0;
  }
  // An active enemy record placed on top of the ship.
  static void PlaceEnemyOnShip() {
    tNME n;
    n.t = 0;
    n.mode = 1;
    n.x = playerx;
    n.y = playery;
    n.collrad = 12;
    n.score = 25;
    nmelist.push_back(n);
  }
};
}  // namespace

TEST_F(GameTest, StartRezInAndPlayWithTheClockOnlyRunningInPlay) {
  score = 5000;
  lives = 0;
  attacklimit = 12;
  gameawards[3] = 1;
  UpdateGame();
  EXPECT_EQ(playstate, 1);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(lives, 3);
  EXPECT_EQ(bombs, 3);
  EXPECT_EQ(attacklimit, 0);
  EXPECT_EQ(attackperiod, 300);
  EXPECT_EQ(gameawards[3], 0);
  EXPECT_EQ(camx, 1072 / 2 + 140);
  EXPECT_EQ(camy, 688 / 2 + 48);

  int rez = TicksUntil(2);
  EXPECT_GE(rez, 49);
  EXPECT_LE(rez, 52);
  EXPECT_EQ(gameclock, 0);  // the clock stood still during the rez-in
  for (int i = 0; i < 5; i++) UpdateGame();
  EXPECT_EQ(gameclock, 5);
  EXPECT_EQ(playstate, 2);

  // The playfield paints bottom to top: border and grid marker, bullets, HUD last.
  FireWeapon();
  UpdateGame();
  int marker = -1, firstbullet = -1;
  for (int i = 0; i < (int)drawlist.size(); i++) {
    if (drawlist[i].r == GRID_MARKER && marker < 0) marker = i;
    if (drawlist[i].r == 255 && drawlist[i].g == 200 && drawlist[i].b == 64 && firstbullet < 0)
      firstbullet = i;
  }
  ASSERT_GE(marker, 0);
  ASSERT_GT(firstbullet, marker);
  EXPECT_EQ(drawlist.back().b, 32);  // the HUD's lives and bombs close the list
  EXPECT_EQ(drawlist.back().y, 18);
}

TEST_F(GameTest, DeathRestartWithWeaponFallbackAndGameOverHandOff) {
  StartPlaying();
  weaponlevel = 2;
  firedelay = 7;
  scoredthislife = 0;
  multiplier = 4;
  killed = 30;
  totalkilled = 30;
  bulletlist.push_back(tBULLET{});
  PlaceEnemyOnShip();
  UpdateGame();
  ASSERT_EQ(playstate, 3);
  EXPECT_EQ(lives, 2);
  EXPECT_EQ(deathtimer, 150);
  EXPECT_TRUE(bulletlist.empty());
  EXPECT_EQ(nmelist[0].mode, 2);
  EXPECT_EQ(nmelist[0].score, 0);
  int64_t clock = gameclock;

  EXPECT_EQ(TicksUntil(4), 150);
  EXPECT_EQ(gameclock, clock);  // no clock while dying
  attackmode = 7;
  UpdateGame();  // the next life
  EXPECT_EQ(playstate, 1);
  EXPECT_EQ(weaponlevel, 0);  // nothing scored in that life: back to the first gun
  EXPECT_EQ(firedelay, 6);
  EXPECT_EQ(multiplier, 1);
  EXPECT_EQ(nextmulti, 25);
  EXPECT_EQ(killed, 0);
  EXPECT_EQ(totalkilled, 30);
  EXPECT_EQ(attackmode, 0);
  EXPECT_TRUE(nmelist.empty());
  EXPECT_EQ(lifelost, 1);

  // A life that scored keeps its weapon.
  ASSERT_GT(TicksUntil(2), 0);
  shield = 0;
  weaponlevel = 1;
  scoredthislife = 1;
  PlaceEnemyOnShip();
  EXPECT_EQ(TicksUntil(4), 151);
  UpdateGame();
  EXPECT_EQ(weaponlevel, 1);
  EXPECT_EQ(scoredthislife, 0);

  // The last life: game over after the countdown, handed to the front end.
  ASSERT_GT(TicksUntil(2), 0);
  shield = 0;
  PlaceEnemyOnShip();
  UpdateGame();
  EXPECT_EQ(lives, 0);
  EXPECT_EQ(TicksUntil(5), 150);
  highrank = 7;
  UpdateGame();
  EXPECT_EQ(gamestate, 0);
  EXPECT_EQ(menustate, 60);
  EXPECT_EQ(playstate, 0);
  EXPECT_EQ(highrank, -1);  // a score of 0 makes no row
}

TEST_F(GameTest, QuitPromptNeedsEscapeLetGoBeforeASecondEscapeQuits) {
  StartPlaying();
  HeadlessSetKey(27, 1);
  UpdateGame();
  EXPECT_EQ(playstate, 10);
  size_t frozen = drawlist.size();
  UpdateGame();
  EXPECT_EQ(playstate, 11);
  ASSERT_EQ(menulist.size(), 1u);
  EXPECT_EQ(menulist[0].text[0], "Press ESCAPE again to QUIT or any");
  EXPECT_GT(drawlist.size(), frozen);  // the prompt is painted over the last playfield tick
  int64_t clock = gameclock;
  for (int i = 0; i < 10; i++) UpdateGame();  // Escape still held: nothing
  EXPECT_EQ(playstate, 11);
  EXPECT_EQ(gameclock, clock);
  HeadlessSetKey(27, 0);
  UpdateGame();
  EXPECT_EQ(esclatch, 0);
  HeadlessSetKey(27, 1);
  UpdateGame();
  EXPECT_EQ(gamestate, 0);
  EXPECT_EQ(menustate, 0);
  EXPECT_EQ(playstate, 0);
  EXPECT_TRUE(menulist.empty());
}

TEST_F(GameTest, AnyOtherKeyResumesOnlyAfterItIsLetGo) {
  StartPlaying();
  HeadlessSetKey(27, 1);
  UpdateGame();
  UpdateGame();
  HeadlessSetKey(27, 0);
  UpdateGame();
  ASSERT_EQ(playstate, 11);

  HeadlessSetKey(65, 1);
  std::atomic<bool> released{false};
  std::thread letgo([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    released = true;
    HeadlessSetKey(65, 0);
  });
  UpdateGame();  // waits inside the tick for the release
  EXPECT_TRUE(released.load());
  letgo.join();
  EXPECT_EQ(playstate, 2);
  EXPECT_TRUE(menulist.empty());
  UpdateGame();
  EXPECT_EQ(playstate, 2);

  // A signal ends the wait too, even with the key still held.
  HeadlessSetKey(27, 1);
  UpdateGame();
  UpdateGame();
  HeadlessSetKey(27, 0);
  UpdateGame();
  HeadlessSetKey(66, 1);
  quitflag = 1;
  UpdateGame();
  EXPECT_EQ(playstate, 2);
}

TEST_F(GameTest, LosingTheWindowFocusPausesOnlyDuringPlay) {
  UpdateGame();
  InputNoteFocusLost();  // lost during the rez-in: forgotten
  ASSERT_GT(TicksUntil(2), 0);
  UpdateGame();
  EXPECT_EQ(playstate, 2);
  InputNoteFocusLost();
  UpdateGame();
  EXPECT_EQ(playstate, 10);
  UpdateGame();
  UpdateGame();  // no key is down: the latch clears and the prompt waits
  EXPECT_EQ(playstate, 11);
  EXPECT_EQ(esclatch, 0);
}

TEST_F(GameTest, PlayClockWrapsItsHoursFromNineToZero) {
  gameclock = 100;
  clockticks = 59;
  clocksecs = 59;
  clockmins = 59;
  clockhours = 9;
  UpdateClock();
  EXPECT_EQ(gameclock, 101);
  EXPECT_EQ(clockticks, 0);
  EXPECT_EQ(clocksecs, 0);
  EXPECT_EQ(clockmins, 0);
  EXPECT_EQ(clockhours, 0);
  clockticks = 58;
  clockhours = 3;
  UpdateClock();
  EXPECT_EQ(clockticks, 59);
  UpdateClock();
  EXPECT_EQ(clocksecs, 1);
  EXPECT_EQ(clockhours, 3);
}

TEST_F(GameTest, JoystickStartOpensThePromptAndASecondPressQuits) {
  StartPlaying();
  const int start = joyaxis[5];  // the start control is a button on port 0 by default
  ASSERT_EQ(joyisbutton[5], 1);
  HeadlessSetJoyButton(0, start, 1);
  UpdateGame();
  EXPECT_EQ(playstate, 10);
  UpdateGame();
  for (int i = 0; i < 5; i++) UpdateGame();  // still held: neither quits nor resumes
  EXPECT_EQ(playstate, 11);
  HeadlessSetJoyButton(0, start, 0);
  UpdateGame();
  EXPECT_EQ(joylatch, 0);
  HeadlessSetJoyButton(0, start, 1);
  UpdateGame();
  EXPECT_EQ(gamestate, 0);
  EXPECT_EQ(menustate, 0);
}
