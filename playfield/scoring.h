// Scoring: points times the multiplier, the multiplier steps, extra lives and
// bombs, the weapon choice, the fourteen awards, the floating score and
// multiplier sprites, and the HUD.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A floating score shown where a kill happened.
struct tSCORESPR {
  float x = 0, y = 0, alpha = 0, scale = 0, rot = 0;
  int blend = 0;
  int r = 0, g = 0, b = 0;
  int64_t val = 0;
};

// A swelling "x2".."x10" banner shown where the multiplier stepped up.
struct tMULTIPLY {
  float x = 0, y = 0, alpha = 0, scale = 0, rot = 0;
  int blend = 0;
  int r = 0, g = 0, b = 0;
  int frame = 0;
};

extern std::vector<tSCORESPR> scoresprlist;
extern std::vector<tMULTIPLY> multiplylist;

// Award indices into gameawards (and the lasting collection of awards).
enum AwardIndex {
  AWARD_PANSY = 0,      // bomb with the shield still up
  AWARD_SUCKER = 1,     // bomb with no enemy alive
  AWARD_NOSHOOT = 2,    // a minute alive without firing or bombing
  AWARD_100T = 3,
  AWARD_250T = 4,
  AWARD_500T = 5,
  AWARD_1000T = 6,
  AWARD_100C = 7,       // the same scores without losing a life
  AWARD_250C = 8,
  AWARD_500C = 9,
  AWARD_1000C = 10,
  AWARD_QUARTER = 11,   // nine bombs
  AWARD_SKILL = 12,     // nine lives
  AWARD_MULTI = 13,     // multiplier 10
  AWARD_COUNT = 14
};

// Scores one kill worth points at world (x, y); called by every enemy's dying path.
void AddScore(int64_t points, float x, float y);
// The checks after a kill: multiplier, extra life, extra bomb, weapon, score awards.
void ScoreEvent(float x, float y);
// The enemy kind killed most since the last weapon choice (lowest on a tie).
int MostKilledKind();
// Puts "," between groups of three digits from the right.
std::string FormatThousands(const std::string& text);
// Sets an award once per game with its fanfare; returns true when newly set.
bool GiveAward(int index);

// Ages and draws the score sprites (only while HIT SCORE is on).
void UpdateScoreSprites();
// Swells, fades and draws the multiplier sprites.
void UpdateMultiplySprites();
// Score, high score, lives and bombs.
void DrawHud();
void DrawLivesAndBombs();
// Screen x where the HUD starts the high-score text t (so it ends at the right edge).
int HudHighScoreX(const std::string& t);
