// Scoring: points times the multiplier, the multiplier steps, extra lives and
// bombs, the weapon steps, the fourteen awards, the floating score and
// multiplier sprites, and the HUD.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "services/awards.h"

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

// Scores one kill worth points at world (x, y); called by every enemy's dying path.
void AddScore(int64_t points, float x, float y);
// The checks after a kill: multiplier, extra life, extra bomb, score awards.
void ScoreEvent(float x, float y);
// True when the score has reached the next weapon step.
bool WeaponStepDue();
// Takes the weapon step: the given weapon (level -1 keeps the one in hand)
// and the next step's score.
void StepWeapon(int level, int delay);
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
