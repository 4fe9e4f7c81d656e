// Scoring: when the multiplier steps, when extras and weapons are handed
// out, how the numbers are written, and where the HUD puts them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/config.h"
#include "playfield/game.h"
#include "playfield/scoring.h"
#include "shell/draw.h"

namespace {
struct ScoringTest : ::testing::Test {
  void SetUp() override {
    InitFontWidths();
    ClearDrawList();
    score = 0;
    hiscore = 0;
    lives = 3;
    bombs = 3;
    multiplier = 1;
    nextmulti = 25;
    nextlife = lifestep = 75000;
    nextbomb = bombstep = 100000;
    weaponlevel = 0;
    firedelay = 6;
    weaponscore = weaponstep = 10000;
    killed = totalkilled = 0;
    for (int& k : killsbykind) k = 0;
    for (int& a : gameawards) a = 0;
    scoredthislife = 0;
    lifelost = 0;
    scoresprlist.clear();
    multiplylist.clear();
    hitscoresetting = 1;
    camx = camy = 0;
  }
  // One kill as the enemies' dying path makes it: score first, then the count.
  static void Kill(int64_t points, int kind = 0) {
    AddScore(points, 700, 500);
    if (points != 0) {
      killed++;
      totalkilled++;
      killsbykind[kind]++;
    }
  }
};
}  // namespace

TEST_F(ScoringTest, MultiplierStepsAfter25_75_225ThenStopsAtTenWithItsAwardOnce) {
  std::vector<int64_t> stepkills;
  int64_t last = multiplier;
  for (int64_t k = 1; k <= 200000; k++) {
    Kill(1);
    if (multiplier != last) {
      stepkills.push_back(k);
      last = multiplier;
    }
  }
  EXPECT_EQ(stepkills, (std::vector<int64_t>{26, 76, 226, 676, 2026, 6076, 18226, 54676, 164026}));
  EXPECT_EQ(multiplier, 10);
  EXPECT_EQ(gameawards[AWARD_MULTI], 1);
  ASSERT_EQ(multiplylist.size(), 9u);  // none aged: the sprites only move in their update
  for (int i = 0; i < 9; i++) EXPECT_EQ(multiplylist[i].frame, i);  // banners x2 .. x10
}

TEST_F(ScoringTest, PointsAreMultipliedAndShownOnlyWithHitScoreOn) {
  multiplier = 3;
  Kill(100);
  EXPECT_EQ(score, 300);
  EXPECT_EQ(scoredthislife, 1);
  ASSERT_EQ(scoresprlist.size(), 1u);
  EXPECT_EQ(scoresprlist[0].val, 300);
  // Digits centred on the kill: 700 - 8, 700, 700 + 8, frames 3, 0, 0.
  UpdateScoreSprites();
  ASSERT_EQ(drawlist.size(), 3u);
  EXPECT_EQ(drawlist[0].x, 692);
  EXPECT_EQ(drawlist[2].x, 708);
  EXPECT_EQ(drawlist[0].frame, 3);
  EXPECT_EQ(drawlist[1].frame, 0);
  // A score sprite lasts 31 ticks in all.
  int ticks = 1;
  while (!scoresprlist.empty() && ticks < 100) {
    UpdateScoreSprites();
    ticks++;
  }
  EXPECT_EQ(ticks, 31);

  hitscoresetting = 0;
  Kill(100);
  EXPECT_TRUE(scoresprlist.empty());
  EXPECT_EQ(score, 600);

  // A free kill (bomb, shield) pays nothing and does not count as scoring.
  scoredthislife = 0;
  Kill(0);
  EXPECT_EQ(score, 600);
  EXPECT_EQ(scoredthislife, 0);
}

TEST_F(ScoringTest, ExtraLivesAndBombsComeOneAtATimeAndEarnTheirAwards) {
  multiplier = 4;
  Kill(50000);  // 200000 at once: one life and one bomb now
  EXPECT_EQ(lives, 4);
  EXPECT_EQ(bombs, 4);
  EXPECT_EQ(nextlife, 150000);
  EXPECT_EQ(nextbomb, 200000);
  Kill(0);  // a free kill still honours the thresholds already passed
  EXPECT_EQ(lives, 5);
  EXPECT_EQ(bombs, 5);
  Kill(0);
  EXPECT_EQ(lives, 5);  // 225000 not reached
  EXPECT_EQ(bombs, 5);
  EXPECT_EQ(gameawards[AWARD_100T], 1);
  EXPECT_EQ(gameawards[AWARD_100C], 1);
  EXPECT_EQ(gameawards[AWARD_250T], 0);

  lives = 8;
  bombs = 8;
  Kill(10000);  // 240000: the ninth life
  EXPECT_EQ(lives, 9);
  EXPECT_EQ(gameawards[AWARD_SKILL], 1);
  EXPECT_EQ(gameawards[AWARD_QUARTER], 0);
  Kill(0);  // the bomb at 200000 is already given; 300000 is next
  Kill(20000);  // 320000: bomb, ninth
  EXPECT_EQ(bombs, 9);
  EXPECT_EQ(gameawards[AWARD_QUARTER], 1);
  EXPECT_EQ(gameawards[AWARD_250T], 1);  // 320000 without a death earns both
  EXPECT_EQ(gameawards[AWARD_250C], 1);

  // After a death only the plain score awards remain.
  lifelost = 1;
  score = 600000;
  Kill(0);
  EXPECT_EQ(gameawards[AWARD_500T], 1);
  EXPECT_EQ(gameawards[AWARD_500C], 0);
  EXPECT_EQ(gameawards[AWARD_1000T], 0);
}

TEST_F(ScoringTest, WeaponFollowsTheMostKilledKindAtEachStep) {
  killsbykind[1] = 3;  // Chasers
  killsbykind[0] = 3;  // Wanderers tie; the lower kind wins
  EXPECT_EQ(MostKilledKind(), 0);
  killsbykind[0] = 0;
  EXPECT_EQ(MostKilledKind(), 1);
  score = 9999;
  Kill(0);
  EXPECT_EQ(weaponlevel, 0);  // not yet at 10000
  score = 25000;  // two steps passed: only one choice per kill
  Kill(0);
  EXPECT_EQ(weaponlevel, 2);
  EXPECT_EQ(firedelay, 7);
  EXPECT_EQ(weaponscore, 20000);
  EXPECT_EQ(killsbykind[1], 0);
  killsbykind[8] = 40;  // Spawnlings keep the weapon as it is
  Kill(0);
  EXPECT_EQ(weaponlevel, 2);
  EXPECT_EQ(weaponscore, 30000);
  killsbykind[6] = 1;  // Shieldships: the fast single gun
  score = 30000;
  Kill(0);
  EXPECT_EQ(weaponlevel, 1);
  EXPECT_EQ(firedelay, 6);
  for (int k = 0; k < 11; k++) EXPECT_EQ(killsbykind[k], 0);
}

TEST(FormatThousandsTest, OneToThirteenDigits) {
  const char* expected[] = {"1",           "12",           "123",           "1,234",
                            "12,345",      "123,456",      "1,234,567",     "12,345,678",
                            "123,456,789", "1,234,567,890", "12,345,678,901", "123,456,789,012",
                            "1234,567,890,123"};
  std::string digits = "1234567890123";
  for (int n = 1; n <= 13; n++)
    EXPECT_EQ(FormatThousands(digits.substr(0, n)), expected[n - 1]) << n << " digits";
}

TEST_F(ScoringTest, HudNumbersAndHighScoreEndAtTheRightEdge) {
  EXPECT_EQ(HudHighScoreX("0"), 792);
  EXPECT_EQ(HudHighScoreX("1,234"), 744);         // 806 - 70 + 8
  EXPECT_EQ(HudHighScoreX("1,234,567"), 696);     // 806 - 126 + 16
  EXPECT_EQ(HudHighScoreX("123,456,789,012"), 620);  // 806 - 210 + 24

  score = 1234;
  hiscore = 1000;
  DrawHud();
  EXPECT_EQ(hiscore, 1234);  // follows the score past the table's best
  // Score glyphs from x 24: "1" 24, "," 38, "2" 44, "3" 58, "4" 72, all at y 48.
  std::vector<float> xs;
  for (size_t i = 2; i < 7; i++) xs.push_back(drawlist[i].x);
  EXPECT_EQ(xs, (std::vector<float>{24, 38, 44, 58, 72}));
  EXPECT_EQ(drawlist[3].frame, ',' - 32);
  EXPECT_EQ(drawlist[7].x, 744);  // the high score's first glyph
}

TEST_F(ScoringTest, LivesAndBombsRowsAndCounts) {
  lives = 2;
  bombs = 3;
  DrawLivesAndBombs();
  ASSERT_EQ(drawlist.size(), 5u);
  EXPECT_EQ(drawlist[0].x, 352);
  EXPECT_EQ(drawlist[1].x, 384);  // the row of ships ends at 384
  EXPECT_EQ(drawlist[2].x, 416);
  EXPECT_EQ(drawlist[4].x, 480);

  ClearDrawList();
  lives = 12;
  bombs = 0;
  DrawLivesAndBombs();
  ASSERT_EQ(drawlist.size(), 3u);  // one ship and two digits, no bomb
  EXPECT_EQ(drawlist[0].x, 384);
  EXPECT_EQ(drawlist[1].x, 354);
  EXPECT_EQ(drawlist[2].x, 368);
  EXPECT_EQ(drawlist[2].frame, '2' - 32);
  EXPECT_EQ(drawlist[1].y, 22);

  ClearDrawList();
  lives = 0;
  bombs = 5;
  DrawLivesAndBombs();
  ASSERT_EQ(drawlist.size(), 2u);
  EXPECT_EQ(drawlist[1].x, 448);
  EXPECT_EQ(drawlist[1].frame, '5' - 32);
}
