// Points, the multiplier, extra lives and bombs, the weapon choice, the
// awards, the floating score and multiplier sprites, and the HUD.
#include "playfield/scoring.h"

#include <cstdio>
#include <string_view>

#include "playfield/entity_list.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/sfx.h"

std::vector<tSCORESPR> scoresprlist;
std::vector<tMULTIPLY> multiplylist;

// Scores one kill: points times the multiplier, a score sprite, then the checks.
void AddScore(int64_t points, float x, float y) {
  if (points != 0) {
    points = points * multiplier;
    score += points;
    scoredthislife = 1;
    if (hitscoresetting == 1) {
      tSCORESPR s;
      s.x = x;
      s.y = y;
      s.alpha = 1.5f;
      s.scale = 1;
      s.blend = BLEND_LIGHT;
      s.rot = 0;
      s.r = 255;
      s.g = 255;
      s.b = 0;
      s.val = points;
      scoresprlist.push_back(s);
    }
  }
  ScoreEvent(x, y);
}

// Sets an award the first time it is earned this game, with its fanfare.
bool GiveAward(int index) {
  if (index < 0 || index >= AWARD_COUNT || gameawards[index] != 0) return false;
  gameawards[index] = 1;
  PlayFX(Sfx::Award, -1);
  return true;
}

// After every kill: at most one multiplier step, extra life and extra bomb,
// then the score awards (the enemies take the weapon step after these).
void ScoreEvent(float x, float y) {
  if (killed >= nextmulti && multiplier < 10) {
    tMULTIPLY m;
    m.x = x;
    m.y = y;
    m.alpha = 3;
    m.scale = 1;
    m.blend = BLEND_LIGHT;
    m.rot = 0;
    m.r = m.g = m.b = 200;
    m.frame = (int)(multiplier - 1);
    multiplylist.push_back(m);
    multiplier += 1;
    nextmulti = 3 * nextmulti;
    PlayFX(Sfx::Multiply, x);
    if (multiplier == 10) GiveAward(AWARD_MULTI);
  }

  if (score >= nextlife) {
    lives += 1;
    nextlife += lifestep;
    PlayFX(Sfx::ExtraLife, -1);
    if (lives >= 9) GiveAward(AWARD_SKILL);
  }

  if (score >= nextbomb) {
    bombs += 1;
    nextbomb += bombstep;
    PlayFX(Sfx::ExtraBomb, -1);
    if (bombs >= 9) GiveAward(AWARD_QUARTER);
  }

  static const struct {
    int award;
    int64_t threshold;
    bool clean;  // only without a life lost
  } scoreawards[] = {
      {AWARD_100T, 100000, false}, {AWARD_100C, 100000, true},
      {AWARD_250T, 250000, false}, {AWARD_250C, 250000, true},
      {AWARD_500T, 500000, false}, {AWARD_500C, 500000, true},
      {AWARD_1000T, 1000000, false}, {AWARD_1000C, 1000000, true},
  };
  for (const auto& a : scoreawards) {
    if (score >= a.threshold && (!a.clean || lifelost == 0)) GiveAward(a.award);
  }
}

bool WeaponStepDue() { return (double)score >= (double)weaponscore; }

void StepWeapon(int level, int delay) {
  if (level >= 0) {
    weaponlevel = level;
    firedelay = delay;
  }
  weaponscore += weaponstep;
}

// Commas between groups of three from the right, at most three of them.
std::string FormatThousands(const std::string& text) {
  int n = (int)text.size();
  int commas = (n - 1) / 3;
  if (commas > 3) commas = 3;
  if (commas <= 0) return text;
  std::string out;
  out.reserve(n + commas);
  int head = n - 3 * commas;  // the first group (four digits for 13)
  out.append(text, 0, head);
  for (int i = 0; i < commas; i++) {
    out.push_back(',');
    out.append(text, head + 3 * i, 3);
  }
  return out;
}

// Ages and draws the score sprites; they stand still and shrink as they fade.
void UpdateScoreSprites() {
  if (hitscoresetting != 1) return;
  UpdateAndKeep(scoresprlist, [](tSCORESPR& sp) {
    float s = sp.alpha >= 0.5f ? 1.0f : 2 * sp.alpha;
    char digits[24];
    int n = 0;
    int64_t v = sp.val < 0 ? -sp.val : sp.val;
    do {
      digits[n++] = (char)(v % 10);
      v /= 10;
    } while (v != 0 && n < 24);
    for (int d = 0; d < n; d++) {
      int digit = digits[n - 1 - d];
      AddDraw(scorenumosimg, sp.x - 4 * (n - 1) + 8 * d - camx, sp.y - camy, digit, sp.r, sp.g,
              sp.b, sp.alpha, sp.rot, s, s, sp.blend);
    }
    sp.alpha -= 0.05f;
    return !(sp.alpha < 0);
  });
}

// Draws the multiplier banners, which swell and fade out.
void UpdateMultiplySprites() {
  UpdateAndKeep(multiplylist, [](tMULTIPLY& m) {
    AddDraw(multiplierimg, m.x - camx, m.y - camy, m.frame, m.r, m.g, m.b, m.alpha, m.rot, m.scale,
            m.scale, m.blend);
    m.scale += 0.015f;
    m.alpha -= 0.05f;
    return !(m.alpha < 0);
  });
}

// Where the high score starts so that it ends at the screen's right edge.
int HudHighScoreX(const std::string& t) {
  int len = (int)t.size();
  int x = 806 - 14 * len;
  if (len >= 5 && len <= 7) x += 8;
  else if (len >= 8 && len <= 11) x += 16;
  else if (len >= 12) x += 24;
  return x;
}

// One HUD number in green glyphs (g is the green); a comma advances 6, anything else 14.
static void DrawHudNumber(std::string_view t, int x, int y, int g) {
  for (char c : t) {
    AddDraw(fontimg, (float)x, (float)y, (unsigned char)c - 32, 32, g, 32, 1, 0, 1, 1, BLEND_LIGHT);
    x += c == ',' ? 6 : 14;
  }
}

// Score at the top left, high score at the top right, lives and bombs between.
void DrawHud() {
  if (hiscore < score) hiscore = score;
  AddDraw(scoreimg, 48, 16, 0, 32, 255, 32, 1, 0, 1, 1, BLEND_LIGHT);
  AddDraw(scorehighimg, 720, 16, 0, 32, 255, 32, 1, 0, 1, 1, BLEND_LIGHT);
  std::string t = FormatThousands(std::to_string(score));
  DrawHudNumber(t, 24, 48, 200);
  t = FormatThousands(std::to_string(hiscore));
  DrawHudNumber(t, HudHighScoreX(t), 48, 200);
  DrawLivesAndBombs();
}

// Up to three ships and three bombs side by side, beyond that one of each with a count.
void DrawLivesAndBombs() {
  if (lives >= 1 && lives <= 3) {
    for (int i = 0; i < lives; i++)
      AddDraw(playerimg, (float)(416 - 32 * lives + 32 * i), 18, 0, 32, 255, 32, 1, 0, 0.8f, 0.8f,
              BLEND_LIGHT);
  } else if (lives >= 4) {
    AddDraw(playerimg, 384, 18, 0, 32, 255, 32, 1, 0, 0.8f, 0.8f, BLEND_LIGHT);
    char buf[16];
    int digits = std::snprintf(buf, sizeof buf, "%d", lives);
    DrawHudNumber(std::string_view(buf, digits), 382 - 14 * digits, 22, 200);
  }
  if (bombs >= 1 && bombs <= 3) {
    for (int i = 0; i < bombs; i++)
      AddDraw(scorebombimg, (float)(416 + 32 * i), 18, 0, 32, 255, 32, 1, 0, 1, 1, BLEND_LIGHT);
  } else if (bombs >= 4) {
    AddDraw(scorebombimg, 416, 18, 0, 32, 255, 32, 1, 0, 1, 1, BLEND_LIGHT);
    char buf[16];
    int digits = std::snprintf(buf, sizeof buf, "%d", bombs);
    DrawHudNumber(std::string_view(buf, digits), 448, 22, 255);
  }
}
