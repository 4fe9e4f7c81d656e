// The 23 attack patterns, one step function each, in a table by number.
// Waits scale with attackskill, so the pace quickens as the game goes on.
#include "enemies/wave_patterns.h"

#include "enemies/enemies.h"
#include "enemies/wave_director.h"
#include "playfield/angles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/random.h"

namespace {

// The four corners, 64 pixels inside the arena's: top-left, top-right,
// bottom-left, bottom-right.
struct Corner {
  float x, y;
};
constexpr Corner corners[4] = {{624, 368}, {1520, 368}, {624, 1008}, {1520, 1008}};
constexpr int TOP_LEFT = 0, TOP_RIGHT = 1, BOTTOM_LEFT = 2, BOTTOM_RIGHT = 3;

int64_t Elapsed() { return gameclock - wavestart; }
void Done() { attackmode = 0; }

// Step 0 of every pattern: the clock starts and the pattern's values are set.
void Begin() {
  wavestart = gameclock;
  wavestep = 1;
}

// An offset off a corner, inward up to 128 and outward up to 32 on each axis.
float InwardOffset(float corner, float middle) {
  return corner < middle ? (float)RandInt(-32, 128) : (float)RandInt(-128, 32);
}
void SpawnNearCorner(int kind, int c) {
  float x = corners[c].x + InwardOffset(corners[c].x, 1072);
  float y = corners[c].y + InwardOffset(corners[c].y, 688);
  SpawnKind(kind, x, y);
}

// Patterns 1 to 4: one enemy at a random spot, then a short random wait.
void Single(int kind) {
  if (wavestep == 0) {
    Begin();
    wavewait = RandInt(30, 120) * attackskill;
  } else if (wavestep == 1) {
    SpawnKind(kind, 0, 0);
    wavestep = 2;
  } else if (Elapsed() > wavewait) {
    Done();
  }
}

// Pattern 5: three to thirteen of the four plain kinds at random spots.
void Mixed() {
  if (wavestep == 0) {
    Begin();
    wavewait = RandInt(60, 180) * attackskill;
  } else if (wavestep == 1) {
    int n = RandInt(2, 12);
    static constexpr int plain[4] = {NME_WANDERER, NME_CHASER, NME_DODGER, NME_SPLITTER};
    for (int i = 0; i <= n; i++) SpawnKind(plain[RandInt(0, 3)], 0, 0);
    wavestep = 2;
  } else if (Elapsed() > wavewait) {
    Done();
  }
}

// Patterns 6 to 9: a group at every corner every few ticks, count times,
// each enemy up to 32 off its corner either way.
constexpr int CORNER_SCATTER = 32;
void CornerGroups(int kind, int countlo, int counthi, int multlo, int multhi, int interval) {
  if (wavestep == 0) {
    Begin();
    wavewait = 1;
    wavecount = (float)RandInt(countlo, counthi);
    wavemult = (float)RandInt(multlo, multhi);
  } else if (wavestep == 1) {
    wavewait -= 1;
    if (wavewait == 0) {
      wavewait = (float)interval;
      for (const Corner& c : corners) {
        float dx = (float)RandInt(-CORNER_SCATTER, CORNER_SCATTER);  // x is drawn first, then y
        float dy = (float)RandInt(-CORNER_SCATTER, CORNER_SCATTER);
        SpawnKind(kind, c.x + dx, c.y + dy);
      }
      wavecount -= 1;
      if (wavecount == 0) wavestep = 2;
    }
  } else if (Elapsed() > 60 * wavemult * attackskill) {
    Done();
  }
}

// Patterns 10 to 12: a crowd of one kind at random spots.
void Crowd(int kind, int countlo, int counthi) {
  if (wavestep == 0) {
    Begin();
    wavecount = (float)RandInt(countlo, counthi);
    wavemult = (float)RandInt(1, 2);
  } else if (wavestep == 1) {
    for (int i = 0; i <= (int)wavecount; i++) SpawnKind(kind, 0, 0);
    wavestep = 2;
  } else if (Elapsed() > 60 * wavemult * attackskill) {
    Done();
  }
}

// Pattern 13: a lull until fewer than two enemies are left.
void Lull() {
  if (wavestep == 0) {
    Begin();
  } else if (nmelist.size() < 2) {
    Done();
  }
}

// Patterns 14 to 16, 21 and 22: set up on the first tick, over on the next.
template <typename Setup>
void Quick(Setup setup) {
  if (wavestep == 0) {
    Begin();
    setup();
  } else {
    Done();
  }
}

// Patterns 17 to 20: rings around the ship, every step degrees.
void Rings(int kind, int step, int rings) {
  if (wavestep == 0) {
    Begin();
    wavemult = (float)RandInt(3, 6);
    for (int ring = 0; ring < rings; ring++) {
      float radius = 300.0f + 32 * ring;
      for (int a = 0; a <= 352; a += step) {
        float x = playerx + SinDeg((float)a) * radius;
        float y = playery + CosDeg((float)a) * radius;
        x = x < 576 ? 576 : (x > 1568 ? 1568 : x);
        y = y < 320 ? 320 : (y > 1056 ? 1056 : y);
        SpawnKind(kind, x, y);
      }
    }
  } else if (Elapsed() > 60 * wavemult * attackskill) {
    Done();
  }
}

// Pattern 22's cap: five Holes once the weapon has grown, two before.
bool RoomForAHole() { return CountHoles() < (weaponlevel != 0 ? 5 : 2); }

// Pattern 23: a Hole and its escort at every corner, then 20 ticks.
void HoleCorners() {
  if (wavestep == 0) {
    Begin();
    wavewait = 20;
    for (int c : {TOP_LEFT, BOTTOM_LEFT, TOP_RIGHT, BOTTOM_RIGHT}) {
      if (CountHoles() >= 5) continue;
      float x = corners[c].x, y = corners[c].y;
      SpawnKind(NME_HOLE, x, y);
      SpawnKind(NME_CHASER, x, y);
      SpawnKind(NME_DODGER, x, y);
      SpawnKind(NME_SPLITTER, x, y);
      SpawnKind(NME_CHASER, x, y, c == BOTTOM_LEFT ? 0 : 1);
    }
  } else {
    wavewait -= 1;
    if (wavewait == 0) {
      wavewait = 20;
      Done();
    }
  }
}

using PatternStep = void (*)();
const PatternStep patterns[ATTACK_PATTERNS + 1] = {
    nullptr,
    [] { Single(NME_WANDERER); },
    [] { Single(NME_CHASER); },
    [] { Single(NME_DODGER); },
    [] { Single(NME_SPLITTER); },
    Mixed,
    [] { CornerGroups(NME_CHASER, 15, 25, 2, 3, 10); },
    [] { CornerGroups(NME_DODGER, 5, 10, 5, 8, 10); },
    [] { CornerGroups(NME_SPLITTER, 2, 5, 3, 6, 10); },
    [] { CornerGroups(NME_WEAVER, 30, 50, 2, 4, 8); },
    [] { Crowd(NME_CHASER, 3, 12); },
    [] { Crowd(NME_DODGER, 2, 6); },
    [] { Crowd(NME_SPLITTER, 3, 6); },
    Lull,
    [] { Quick([] {
        int c = RandInt(0, 3);
        for (int i = 0; i < 2; i++) SpawnNearCorner(NME_SNAKE, c);
      }); },
    [] { Quick([] {
        bool falling = RandInt(0, 1) == 0;  // top-left with bottom-right, else top-right with bottom-left
        int pair[2] = {falling ? TOP_LEFT : TOP_RIGHT, falling ? BOTTOM_RIGHT : BOTTOM_LEFT};
        for (int c : pair)
          for (int i = 0; i < 2; i++) SpawnNearCorner(NME_SNAKE, c);
      }); },
    [] { Quick([] {
        int n = RandInt(4, 12);
        for (int i = 0; i < n - 3; i++) SpawnNearCorner(NME_SNAKE, RandInt(0, 3));
      }); },
    [] { Rings(NME_CHASER, 16, 2); },
    [] { Rings(NME_DODGER, 16, 1); },
    [] { Rings(NME_SPLITTER, 24, 1); },
    [] { Rings(NME_SNAKE, 16, 1); },
    [] { Quick([] { SpawnNearCorner(NME_SHIELDSHIP, RandInt(0, 3)); }); },
    [] { Quick([] {
        if (RoomForAHole()) SpawnKind(NME_HOLE, 0, 0);
      }); },
    HoleCorners,
};

}  // namespace

void RunAttackPattern(int pattern) {
  if (pattern < 1 || pattern > ATTACK_PATTERNS) {
    attackmode = 0;
    return;
  }
  patterns[pattern]();
}
