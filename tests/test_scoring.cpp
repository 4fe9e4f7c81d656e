// Scoring: when the multiplier steps, when extras and weapons are handed
// out, how the numbers are written, and where the HUD puts them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enemies/enemies.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "services/config.h"
#include "services/draw.h"

namespace {
struct ScoringTest : ::testing::Test {
  void SetUp() override {
    InitFontWidths();
    ClearDrawList();
    score = hiscore = 0;
    lives = bombs = 3;
    multiplier = 1;
    nextmulti = 25;
    nextlife = lifestep = 75000;
    nextbomb = bombstep = 100000;
    weaponlevel = 0;
    firedelay = 6;
    weaponscore = weaponstep = 10000;
    killed = 0;
    for (int& k : killsbykind) k = 0;
    for (int& a : gameawards) a = 0;
    scoredthislife = lifelost = 0;
    scoresprlist.clear();
    multiplylist.clear();
    hitscoresetting = 1;
    camx = camy = 0;
  }
  // One kill as the enemies' dying path makes it: score first, then the count.
  static void Kill(int64_t points, int kind = 0) {
    ScoreKill(points, 700, 500);
    if (points != 0) {
      killed++;
      killsbykind[kind]++;
    }
  }
};
}  // namespace

TEST_F(ScoringTest, MultiplierStepsAfter25_75_225ThenStopsAtTenWithItsAwardOnce) {
  std::vector<int64_t> stepkills;
  for (int64_t k = 1, last = 1; k <= 200000; k++) {
    Kill(1);
    if (multiplier != last) stepkills.push_back(k), last = multiplier;
  }
  EXPECT_EQ(stepkills, (std::vector<int64_t>{26, 76, 226, 676, 2026, 6076, 18226, 54676, 164026}));
  EXPECT_EQ(multiplier, 10);
  EXPECT_EQ(gameawards[AWARD_MULTI], 1);
  ASSERT_EQ(multiplylist.size(), 9u);
  EXPECT_EQ(multiplylist[8].frame, 8);  // the x10 banner
}

TEST_F(ScoringTest, PointsTimesMultiplierAndFreeKills) {
  multiplier = 3;
  Kill(100);
  EXPECT_EQ(score, 300);
  ASSERT_EQ(scoresprlist.size(), 1u);
  UpdateScoreSprites();  // digits 3 0 0 centred on the kill
  ASSERT_EQ(drawlist.size(), 3u);
  EXPECT_EQ(drawlist[0].x, 692);
  EXPECT_EQ(drawlist[0].frame, 3);
  hitscoresetting = 0;
  Kill(100);
  EXPECT_EQ(scoresprlist.size(), 1u);  // none made with HIT SCORE off
  scoredthislife = 0;
  Kill(0);  // a bomb or shield kill pays nothing and is not scoring
  EXPECT_EQ(score, 600);
  EXPECT_EQ(scoredthislife, 0);
}

TEST_F(ScoringTest, ExtrasComeOneAtATimeAndCleanAwardsNeedNoDeath) {
  multiplier = 4;
  Kill(50000);  // 200000 at once: one life and one bomb now
  EXPECT_EQ(lives, 4);
  EXPECT_EQ(bombs, 4);
  Kill(0);  // a free kill still honours the thresholds already passed
  EXPECT_EQ(lives, 5);
  EXPECT_EQ(bombs, 5);
  Kill(0);
  EXPECT_EQ(lives, 5);  // 225000 not reached
  EXPECT_EQ(gameawards[AWARD_100C], 1);
  lives = bombs = 8;
  Kill(10000);  // 240000: the ninth life
  EXPECT_EQ(gameawards[AWARD_SKILL], 1);
  EXPECT_EQ(gameawards[AWARD_QUARTER], 0);
  lifelost = 1;
  score = 600000;
  Kill(0);
  EXPECT_EQ(bombs, 9);
  EXPECT_EQ(gameawards[AWARD_QUARTER], 1);
  EXPECT_EQ(gameawards[AWARD_500T], 1);
  EXPECT_EQ(gameawards[AWARD_500C], 0);
}

TEST_F(ScoringTest, WeaponFollowsTheMostKilledKindAtEachStep) {
  killsbykind[0] = killsbykind[1] = 3;
  EXPECT_EQ(MostKilledKind(), 0);  // a tie goes to the lower kind
  killsbykind[0] = 0;
  score = 25000;  // two steps passed: one choice per kill
  Kill(0);
  EXPECT_EQ(weaponlevel, 2);
  EXPECT_EQ(firedelay, 7);
  EXPECT_EQ(weaponscore, 20000);
  EXPECT_EQ(killsbykind[1], 0);
  killsbykind[8] = 40;  // Spawnlings keep the weapon
  Kill(0);
  EXPECT_EQ(weaponlevel, 2);
  killsbykind[6] = 1;
  score = 30000;
  Kill(0);
  EXPECT_EQ(weaponlevel, 1);
  EXPECT_EQ(firedelay, 6);
}

TEST(FormatThousandsTest, OneToThirteenDigits) {
  const char* expected[] = {"1",           "12",           "123",           "1,234",
                            "12,345",      "123,456",      "1,234,567",     "12,345,678",
                            "123,456,789", "1,234,567,890", "12,345,678,901", "123,456,789,012",
                            "1234,567,890,123"};
  std::string digits = "1234567890123";
  for (int n = 1; n <= 13; n++) EXPECT_EQ(FormatThousands(digits.substr(0, n)), expected[n - 1]);
}

TEST_F(ScoringTest, HudNumbersEndAtTheRightEdgeAndCountsReplaceLongRows) {
  EXPECT_EQ(HudHighScoreX("0"), 792);
  EXPECT_EQ(HudHighScoreX("1,234"), 744);
  EXPECT_EQ(HudHighScoreX("1,234,567"), 696);
  EXPECT_EQ(HudHighScoreX("123,456,789,012"), 620);
  score = 1234;
  lives = 12;
  bombs = 0;
  DrawHud();
  EXPECT_EQ(hiscore, 1234);  // follows the score
  // Score glyphs "1,234" from x 24: a comma advances 6, a digit 14.
  EXPECT_EQ(drawlist[4].x, 44);
  EXPECT_EQ(drawlist[7].x, 744);  // the high score's first glyph
  // Twelve lives: one ship at 384 and the digits before it; no bombs.
  ASSERT_EQ(drawlist.size(), 15u);
  EXPECT_EQ(drawlist[12].x, 384);
  EXPECT_EQ(drawlist[13].x, 354);
  EXPECT_EQ(drawlist[14].frame, '2' - 32);
}
