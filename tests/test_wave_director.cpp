// The attack-wave director driven tick by tick: the opening pattern of a
// game, the choice that keeps away from the last four, the difficulty
// clock, what each family of patterns sends in and when it hands back, and
// how a bomb and a lost life cut a pattern short.
#include <gtest/gtest.h>

#include "app/play_session.h"
#include "tests/playfield_fixture.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "app/frame_loop.h"
#include "enemies/enemies.h"
#include "enemies/wave_director.h"
#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "platform/files.h"
#include "playfield/angles.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/random.h"

namespace {

// Table index to pattern, as the director draws from it.
constexpr int TABLE[30] = {1, 2, 3, 4, 1, 5, 1, 2, 3, 22, 10, 11, 4, 5, 12,
                           6, 7, 8, 23, 14, 15, 16, 13, 23, 17, 18, 19, 20, 9, 21};

// The four corner points, 64 pixels inside the arena's corners.
struct Point {
  float x, y;
};
constexpr Point TOP_LEFT{624, 368}, TOP_RIGHT{1520, 368}, BOTTOM_LEFT{624, 1008},
    BOTTOM_RIGHT{1520, 1008};
constexpr Point CORNERS[4] = {TOP_LEFT, TOP_RIGHT, BOTTOM_LEFT, BOTTOM_RIGHT};

constexpr int64_t NEVER = 1000000000;  // an attackperiod that keeps the skill still

// The last four patterns, newest first.
std::vector<int> History() {
  return {attackhistory[0], attackhistory[1], attackhistory[2], attackhistory[3]};
}

// The director on its own, with the ship alive in the middle of the arena.
struct DirectorTest : PlayfieldTest {
  DirectorTest() : PlayfieldTest(11) {}
  void SetUp() override {
    PlayfieldTest::SetUp();
    nmelist.reserve(128);
    ResetAttackDirector();
    gameclock = 0;
    weaponlevel = 0;
    bombstate = BOMB_IDLE;
  }
  void TearDown() override {
    ResetAttackDirector();
    nmelist.clear();
    weaponlevel = 0;
    bombstate = BOMB_IDLE;
    PlayfieldTest::TearDown();
  }
  // One tick of play as the game runs it: the clock, then the director.
  static void DirectorTick() {
    gameclock += 1;
    RunAttackDirector();
  }
  // The pattern as a fresh choice leaves it.
  static void Start(int pattern) {
    attackmode = pattern;
    wavestep = 0;
  }
  // Ticks until the pattern hands back; returns the ticks it ran, counting
  // the one that ended it (-1 if it never did).
  static int RunToEnd(int most = 5000) {
    for (int t = 1; t <= most; t++) {
      DirectorTick();
      if (attackmode == 0) return t;
    }
    return -1;
  }
  // Two enemies and a lull that therefore never ends: the clock runs with
  // no pattern spawning or drawing random numbers.
  static void HoldInALull() {
    AddEnemy(700, 400);
    AddEnemy(1400, 1000);
    Start(13);
  }
  // Pairs every expected point with its own enemy within 0.05 pixels;
  // returns how many found none.
  static int Unmatched(const std::vector<Point>& expected, int kind) {
    std::vector<bool> used(nmelist.size(), false);
    int missing = 0;
    for (const Point& p : expected) {
      bool found = false;
      for (size_t i = 0; i < nmelist.size() && !found; i++) {
        if (used[i] || nmelist[i].t != kind) continue;
        if (std::fabs(nmelist[i].x - p.x) < 0.05f && std::fabs(nmelist[i].y - p.y) < 0.05f) {
          used[i] = true;
          found = true;
        }
      }
      missing += !found;
    }
    return missing;
  }
};

// The whole game tick: start, rez-in, play, a death and the next life.
struct DirectorGameTest : WholeGameTest {
  void TearDown() override {
    WholeGameTest::TearDown();
    nmelist.clear();
    ResetAttackDirector();
  }
  // Runs game ticks until playstate becomes want; the ticks it took (-1 if never).
  static int TicksUntil(PlayState want) {
    for (int n = 1; n <= 1000; n++) {
      UpdateGame();
      if (playstate == want) return n;
    }
    return -1;
  }
};

}  // namespace

TEST_F(DirectorGameTest, ANewGameResetsTheDirectorAndAlwaysOpensWithOneWanderer) {
  for (int64_t seed : {1, 7, 42, 1234, 99991, 2147480000}) {
    SCOPED_TRACE(seed);
    SeedRandom(seed);
    playstate = PlayState::Start;
    attackmode = 7;
    attackmin = 3;
    attacklimit = 12;
    attacktimer = 77;
    attackperiod = 5;
    attackskill = 0.5f;
    for (int& h : attackhistory) h = 9;
    UpdateGame();
    EXPECT_EQ(attackmode, 0);
    EXPECT_EQ(attackmin, 0);
    EXPECT_EQ(attacklimit, 0);
    EXPECT_EQ(attacktimer, 0);
    EXPECT_EQ(attackperiod, 300);
    EXPECT_EQ(attackskill, 1.0f);
    EXPECT_EQ(History(), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_TRUE(std::equal(TABLE, TABLE + 30, attacktable));

    ASSERT_GT(TicksUntil(PlayState::Playing), 0);
    EXPECT_EQ(attackmode, 0);  // nothing is chosen during the rez-in
    shield = 0;
    UpdateGame();
    EXPECT_EQ(attackmode, 1);
    EXPECT_EQ(History(), (std::vector<int>{1, 0, 0, 0}));
    EXPECT_EQ(attacktimer, 1);  // the choosing tick counts
    UpdateGame();
    UpdateGame();
    ASSERT_EQ(nmelist.size(), 1u);
    EXPECT_EQ(nmelist[0].t, NME_WANDERER);
  }
}

TEST_F(DirectorGameTest, ANewLifeKeepsTheDifficultyAndHistoryButDropsThePatternAndTheEnemies) {
  UpdateGame();
  ASSERT_GT(TicksUntil(PlayState::Playing), 0);
  shield = 0;
  for (int t = 0; t < 30; t++) UpdateGame();
  ASSERT_EQ(playstate, PlayState::Playing);
  AddEnemy(playerx, playery);  // on the ship
  UpdateGame();
  ASSERT_EQ(playstate, PlayState::Dying);

  attackmode = 9;
  wavestep = 1;
  attacklimit = 17;
  attackskill = 0.6f;
  attacktimer = 123;
  attackhistory[0] = 9;
  attackhistory[1] = 6;
  attackhistory[2] = 7;
  attackhistory[3] = 8;
  AddEnemy(700, 400);
  ASSERT_GT(TicksUntil(PlayState::NextLife), 0);
  EXPECT_EQ(attacktimer, 123);  // no director while the ship dies
  UpdateGame();
  ASSERT_EQ(playstate, PlayState::RezIn);
  EXPECT_EQ(attackmode, 0);
  EXPECT_TRUE(nmelist.empty());
  EXPECT_EQ(attacklimit, 17);
  EXPECT_EQ(attackskill, 0.6f);
  EXPECT_EQ(attacktimer, 123);
  EXPECT_EQ(History(), (std::vector<int>{9, 6, 7, 8}));

  // The first tick of the new life draws afresh, still away from the last four.
  ASSERT_GT(TicksUntil(PlayState::Playing), 0);
  shield = 0;
  UpdateGame();
  EXPECT_NE(attackmode, 0);
  for (int p : {9, 6, 7, 8}) EXPECT_NE(attackmode, p);
  EXPECT_EQ(History(), (std::vector<int>{attackmode, 9, 6, 7}));
  EXPECT_EQ(attacktimer, 124);
}

TEST_F(DirectorTest, AChoiceAvoidsTheLastFourOnlyOnceTheTableIsOpenedPastIndexFour) {
  // Up to index 4 only four patterns are open, so redrawing there would never end.
  for (int limit = 0; limit <= 29; limit++) {
    SCOPED_TRACE(limit);
    ResetAttackDirector();
    attackperiod = NEVER;
    attacklimit = limit;
    std::set<int> open(TABLE, TABLE + limit + 1), seen;
    int repeats = 0;
    for (int n = 0; n < 300; n++) {
      std::vector<int> before = History();
      attackmode = 0;
      wavestep = 5;
      RunAttackDirector();
      int chosen = attackmode;
      ASSERT_TRUE(open.count(chosen)) << chosen;
      EXPECT_EQ(wavestep, 0);
      EXPECT_EQ(History(), (std::vector<int>{chosen, before[0], before[1], before[2]}));
      bool recent = std::find(before.begin(), before.end(), chosen) != before.end();
      if (limit > 4) {
        EXPECT_FALSE(recent) << chosen;
      }
      repeats += recent;
      seen.insert(chosen);
    }
    EXPECT_EQ(seen, open);  // every pattern the limit opens comes up
    if (limit <= 4) {
      EXPECT_GT(repeats, 0);
    }
  }
  EXPECT_TRUE(nmelist.empty());  // choosing spawns nothing
}

TEST_F(DirectorTest, DifficultyStepsEvery300TicksAndTheTableLimitStopsAt29) {
  HoldInALull();
  for (int t = 0; t < 299; t++) DirectorTick();
  EXPECT_EQ(attacklimit, 0);
  EXPECT_EQ(attacktimer, 299);
  EXPECT_EQ(attackskill, 1.0f);
  for (int step = 1; step <= 75; step++) {
    SCOPED_TRACE(step);
    for (int t = 0; t < (step == 1 ? 1 : 300); t++) DirectorTick();
    ASSERT_EQ(attacktimer, 0);
    EXPECT_EQ(attacklimit, std::min(step, 29));
    EXPECT_NEAR(attackskill, 1.0 - 0.01 * step, 1e-4);
  }
  EXPECT_EQ(attackperiod, 300);
  EXPECT_EQ(attackmode, 13);  // the clock ran under a pattern throughout
}

// 75 float steps of 0.01 would leave 0.2500007 and a 76th would take the skill to 0.24.
TEST_F(DirectorTest, TheSkillStopsAtAQuarterAfterSeventyFiveSteps) {
  HoldInALull();
  for (int t = 0; t < 75 * 300; t++) DirectorTick();
  EXPECT_EQ(attackskill, 0.25f);
  for (int t = 0; t < 10 * 300; t++) DirectorTick();
  EXPECT_EQ(attackskill, 0.25f);
  EXPECT_EQ(attacklimit, 29);
}

TEST_F(DirectorTest, SinglesMixesAndCrowdsSendTheirNumberAndWaitByTheSkill) {
  attackperiod = NEVER;
  const int single[5] = {-1, NME_WANDERER, NME_CHASER, NME_DODGER, NME_SPLITTER};
  for (float skill : {1.0f, 0.5f, 0.25f}) {
    for (int p = 1; p <= 4; p++) {
      for (int rep = 0; rep < 6; rep++) {
        SCOPED_TRACE(testing::Message() << "skill " << skill << " pattern " << p);
        nmelist.clear();
        attackskill = skill;
        Start(p);
        int ticks = RunToEnd();
        ASSERT_EQ(nmelist.size(), 1u);
        EXPECT_EQ(nmelist[0].t, single[p]);
        // The game clock since the set-up when it handed back.
        int elapsed = ticks - 1;
        EXPECT_GE(elapsed, 30 * skill);
        EXPECT_LE(elapsed, 120 * skill + 1);
      }
    }
  }

  // The wait is play time: with the game clock held, a single never ends.
  nmelist.clear();
  attackskill = 1;
  Start(2);
  for (int t = 0; t < 1000; t++) RunAttackDirector();
  EXPECT_EQ(attackmode, 2);
  EXPECT_EQ(nmelist.size(), 1u);

  // Pattern 5: n + 1 of the four plain kinds, n from 2 to 12.
  std::set<size_t> sizes;
  for (int rep = 0; rep < 150; rep++) {
    nmelist.clear();
    Start(5);
    ASSERT_GT(RunToEnd(), 0);
    sizes.insert(nmelist.size());
    for (const tNME& n : nmelist)
      EXPECT_TRUE(n.t == NME_WANDERER || n.t == NME_CHASER || n.t == NME_DODGER ||
                  n.t == NME_SPLITTER)
          << n.t;
  }
  EXPECT_EQ(*sizes.begin(), 3u);
  EXPECT_EQ(*sizes.rbegin(), 13u);

  // Patterns 10 to 12: a crowd of wavecount + 1 of one kind.
  for (int p = 10; p <= 12; p++) {
    for (int rep = 0; rep < 10; rep++) {
      SCOPED_TRACE(p);
      nmelist.clear();
      Start(p);
      DirectorTick();
      int count = (int)wavecount;
      ASSERT_GT(RunToEnd(), 0);
      ASSERT_EQ((int)nmelist.size(), count + 1);
      for (const tNME& n : nmelist) EXPECT_EQ(n.t, nmelist[0].t);
    }
  }
}

TEST_F(DirectorTest, CornerGroupsArriveEveryIntervalAndThePatternEndsOnceItsGroupsAndWaitAreDone) {
  attackperiod = NEVER;
  for (float skill : {1.0f, 0.4f}) {
    for (int p = 6; p <= 9; p++) {
      for (int rep = 0; rep < 3; rep++) {
        SCOPED_TRACE(testing::Message() << "skill " << skill << " pattern " << p);
        nmelist.clear();
        attackskill = skill;
        Start(p);
        DirectorTick();  // set-up
        int count = (int)wavecount;
        float wait = 60 * wavemult * attackskill;
        ASSERT_GT(count, 0);
        const int interval = p == 9 ? 8 : 10;
        std::vector<int> groups;  // the ticks the groups came in
        int tick = 1;
        while (attackmode == p && tick < 3000) {
          size_t before = nmelist.size();
          int64_t drawn = RandomState();
          DirectorTick();
          tick++;
          if (nmelist.size() == before) continue;
          ASSERT_EQ(nmelist.size(), before + 4);
          groups.push_back(tick);
          // The first corner's offsets are the tick's first two draws, x then
          // y, whichever way the compiler orders a call's arguments.
          int64_t after = RandomState();
          SeedRandom(drawn);
          int dx = RandInt(-32, 32);
          int dy = RandInt(-32, 32);
          SeedRandom(after);
          EXPECT_EQ(nmelist[before].x, TOP_LEFT.x + dx);
          EXPECT_EQ(nmelist[before].y, TOP_LEFT.y + dy);
          for (const Point& c : CORNERS) {
            int near = 0;
            for (size_t i = before; i < nmelist.size(); i++)
              near += std::fabs(nmelist[i].x - c.x) <= 32 && std::fabs(nmelist[i].y - c.y) <= 32;
            EXPECT_EQ(near, 1) << c.x << "," << c.y;
          }
          for (size_t i = before; i < nmelist.size(); i++) {
            EXPECT_EQ(nmelist[i].t, nmelist[0].t);
            if (p == 9) {
              EXPECT_EQ(nmelist[i].t, NME_WEAVER);
            }
          }
        }
        ASSERT_EQ(attackmode, 0);
        ASSERT_EQ((int)groups.size(), count);
        EXPECT_LE(groups[0] - 1, interval);
        for (size_t g = 1; g < groups.size(); g++) EXPECT_EQ(groups[g] - groups[g - 1], interval);
        EXPECT_GT(tick, groups.back());
        EXPECT_GT(tick - 1, wait);  // never before its wait has passed
        EXPECT_LE(tick, groups.back() + wait + 2);
      }
    }
  }
}

TEST_F(DirectorTest, SnakeShieldshipAndHolePatternsSetUpInOneTickAndHandBackOnTheNext) {
  for (int p : {14, 15, 16, 21, 22}) {
    SCOPED_TRACE(p);
    nmelist.clear();
    Start(p);
    DirectorTick();
    EXPECT_EQ(attackmode, p);
    size_t spawned = nmelist.size();
    EXPECT_GT(spawned, 0u);
    DirectorTick();
    EXPECT_EQ(attackmode, 0);
    EXPECT_EQ(nmelist.size(), spawned);
    DirectorTick();
    EXPECT_NE(attackmode, 0);  // the next tick chooses again
    EXPECT_EQ(attackhistory[0], attackmode);
  }
}

TEST_F(DirectorTest, SnakesAndShieldshipsEnterWithinTheirCornersInwardOffsets) {
  struct Case {
    int pattern, kind;
  };
  for (Case c : {Case{14, NME_SNAKE}, Case{15, NME_SNAKE}, Case{16, NME_SNAKE},
                 Case{21, NME_SHIELDSHIP}}) {
    SCOPED_TRACE(c.pattern);
    // The inward offsets seen on each side: left, right, top, bottom.
    float lowest[4] = {1000, 1000, 1000, 1000}, highest[4] = {-1000, -1000, -1000, -1000};
    std::set<int> corners;
    for (int rep = 0; rep < 150; rep++) {
      nmelist.clear();
      Start(c.pattern);
      DirectorTick();
      DirectorTick();
      ASSERT_FALSE(nmelist.empty());
      if (c.pattern == 21) {
        EXPECT_EQ(nmelist.size(), 1u);
      }
      for (const tNME& n : nmelist) {
        EXPECT_EQ(n.t, c.kind);
        bool left = n.x < 1072, top = n.y < 688;
        const Point& k = left ? (top ? TOP_LEFT : BOTTOM_LEFT) : (top ? TOP_RIGHT : BOTTOM_RIGHT);
        // Offsets measured toward the middle of the arena.
        float inx = left ? n.x - k.x : k.x - n.x;
        float iny = top ? n.y - k.y : k.y - n.y;
        EXPECT_GE(inx, -32);
        EXPECT_LE(inx, 128);
        EXPECT_GE(iny, -32);
        EXPECT_LE(iny, 128);
        int sx = left ? 0 : 1, sy = top ? 2 : 3;
        lowest[sx] = std::min(lowest[sx], inx);
        highest[sx] = std::max(highest[sx], inx);
        lowest[sy] = std::min(lowest[sy], iny);
        highest[sy] = std::max(highest[sy], iny);
        corners.insert(left * 2 + top);
      }
    }
    for (int side = 0; side < 4; side++) {
      EXPECT_LE(lowest[side], -24) << side;   // each side uses its whole range,
      EXPECT_GE(highest[side], 120) << side;  // outward and inward
    }
    EXPECT_EQ(corners.size(), 4u);
  }
}

TEST_F(DirectorTest, ALullHoldsUntilFewerThanTwoEnemiesAreLeft) {
  attackperiod = NEVER;
  for (int i = 0; i < 3; i++) AddEnemy(700 + 100 * i, 400);
  Start(13);
  for (int t = 0; t < 600; t++) DirectorTick();
  EXPECT_EQ(attackmode, 13);
  EXPECT_EQ(nmelist.size(), 3u);  // a lull sends nothing
  nmelist.pop_back();
  for (int t = 0; t < 100; t++) DirectorTick();
  EXPECT_EQ(attackmode, 13);  // two is not yet fewer than two
  nmelist.pop_back();
  DirectorTick();
  EXPECT_EQ(attackmode, 0);

  // An empty arena: the set-up tick, then it hands back.
  nmelist.clear();
  Start(13);
  DirectorTick();
  EXPECT_EQ(attackmode, 13);
  DirectorTick();
  EXPECT_EQ(attackmode, 0);
}

TEST_F(DirectorTest, TheHolePatternAddsAHoleOnlyBelowTwoOrWithAGrownWeaponBelowFive) {
  for (int level : {0, 1, 2}) {
    int cap = level != 0 ? 5 : 2;
    for (int holes = 0; holes <= 6; holes++) {
      SCOPED_TRACE(testing::Message() << "weapon " << level << " holes " << holes);
      nmelist.clear();
      weaponlevel = level;
      AddEnemy(700, 900).t = NME_CHASER;  // other kinds do not count
      AddEnemy(1400, 900).t = NME_CHASER;
      AddEnemy(1300, 900).t = NME_CHASER;
      for (int i = 0; i < holes; i++) {
        tNME& h = AddEnemy(600 + 60 * i, 400, i % 3);  // a Hole in any mode counts
        h.t = NME_HOLE;
      }
      Start(22);
      DirectorTick();
      DirectorTick();
      EXPECT_EQ(attackmode, 0);
      int added = holes < cap ? 1 : 0;
      EXPECT_EQ(CountHoles(), holes + added);
      EXPECT_EQ((int)nmelist.size(), 3 + holes + added);
    }
  }
}

TEST_F(DirectorTest, RingsSurroundTheShipAndClampToTheInnerArenaNearAWall) {
  attackperiod = NEVER;
  struct Ring {
    int pattern, kind, step, rings;
    size_t count;
  };
  // The points of the rings around (px, py), every step degrees from 0,
  // radius 300 then 332, held inside 576..1568 by 320..1056.
  auto expected = [](const Ring& r, float px, float py) {
    std::vector<Point> pts;
    for (int ring = 0; ring < r.rings; ring++)
      for (int a = 0; a < 360; a += r.step) {
        float radius = 300.0f + 32 * ring;
        float x = px + SinDeg((float)a) * radius, y = py + CosDeg((float)a) * radius;
        pts.push_back({std::clamp(x, 576.0f, 1568.0f), std::clamp(y, 320.0f, 1056.0f)});
      }
    return pts;
  };
  const Ring rings[] = {{17, NME_CHASER, 16, 2, 2 * 23}, {18, NME_DODGER, 16, 1, 23},
                        {19, NME_SPLITTER, 24, 1, 15}, {20, NME_SNAKE, 16, 1, 23}};
  for (const Ring& r : rings) {
    SCOPED_TRACE(r.pattern);
    nmelist.clear();
    Start(r.pattern);
    DirectorTick();
    EXPECT_EQ(nmelist.size(), r.count);
    EXPECT_EQ(Unmatched(expected(r, playerx, playery), r.kind), 0);
    ASSERT_GT(RunToEnd(), 0);
    EXPECT_EQ(nmelist.size(), r.count);  // the rings come once
  }

  // Near the top-left wall the rings flatten against the inner arena.
  playerx = 600;
  playery = 340;
  nmelist.clear();
  Start(17);
  DirectorTick();
  ASSERT_EQ(nmelist.size(), 46u);
  EXPECT_EQ(Unmatched(expected(rings[0], playerx, playery), NME_CHASER), 0);
  int onleft = 0, ontop = 0;
  for (const tNME& n : nmelist) {
    EXPECT_GE(n.x, 576);
    EXPECT_LE(n.x, 1568);
    EXPECT_GE(n.y, 320);
    EXPECT_LE(n.y, 1056);
    onleft += n.x == 576;
    ontop += n.y == 320;
  }
  EXPECT_GT(onleft, 0);
  EXPECT_GT(ontop, 0);
}

TEST_F(DirectorTest, HoleCornersSendAnEscortedHoleToEachCornerInTurnUntilFiveHoles) {
  const Point order[4] = {TOP_LEFT, BOTTOM_LEFT, TOP_RIGHT, BOTTOM_RIGHT};
  const int group[5] = {NME_HOLE, NME_CHASER, NME_DODGER, NME_SPLITTER, NME_CHASER};
  for (int before = 0; before <= 6; before++) {
    SCOPED_TRACE(before);
    nmelist.clear();
    for (int i = 0; i < before; i++) AddEnemy(900 + 40 * i, 700).t = NME_HOLE;
    Start(23);
    DirectorTick();
    int corners = std::clamp(5 - before, 0, 4);
    ASSERT_EQ((int)nmelist.size(), before + 5 * corners);
    for (int c = 0; c < corners; c++) {
      for (int k = 0; k < 5; k++) {
        const tNME& n = nmelist[before + 5 * c + k];
        EXPECT_EQ(n.t, group[k]) << c << " " << k;
        EXPECT_EQ(n.x, order[c].x);
        EXPECT_EQ(n.y, order[c].y);
        // Only the bottom-left corner's second Chaser skips its spawn-in.
        EXPECT_EQ(n.mode, c == 1 && k == 4 ? NME_ACTIVE : NME_SPAWNING) << c << " " << k;
      }
    }
    // Then 20 more ticks before it hands back.
    for (int t = 0; t < 19; t++) DirectorTick();
    EXPECT_EQ(attackmode, 23);
    DirectorTick();
    EXPECT_EQ(attackmode, 0);
    EXPECT_EQ((int)nmelist.size(), before + 5 * corners);
  }
}

TEST_F(DirectorTest, ABombRingEndingMidPatternForcesANewChoiceButAChoiceNotYetSetUpStands) {
  attackperiod = NEVER;
  attacklimit = 20;
  auto endring = [] {
    bombstate = BOMB_RUNNING;
    bombx = playerx;
    bomby = playery;
    bombradius = 790;  // passes 800 in this update
    bombspeed = 16;
    UpdateBomb();
    ASSERT_EQ(bombstate, BOMB_IDLE);
  };
  // Chosen this tick: the ring ending keeps the choice and its set-up runs next.
  RunAttackDirector();
  int chosen = attackmode;
  ASSERT_NE(chosen, 0);
  ASSERT_EQ(wavestep, 0);
  endring();
  EXPECT_EQ(attackmode, chosen);
  DirectorTick();
  EXPECT_EQ(attackmode, chosen);
  EXPECT_NE(wavestep, 0);
  EXPECT_EQ(attackhistory[0], chosen);

  // Set up: the ring ending hands back and the next tick draws another.
  endring();
  EXPECT_EQ(attackmode, 0);
  DirectorTick();
  EXPECT_NE(attackmode, 0);
  EXPECT_NE(attackmode, chosen);
  EXPECT_EQ(attackhistory[1], chosen);

  // A lull that could never end on its own ends with a whole bomb, not sooner.
  nmelist.clear();
  HoldInALull();
  DirectorTick();
  bombs = 3;
  bombstate = BOMB_REQUESTED;
  int ticks = 0;
  do {
    DirectorTick();
    UpdateBomb();
    ticks++;
    if (bombstate != BOMB_IDLE) {
      ASSERT_EQ(attackmode, 13) << ticks;
    }
  } while (bombstate != BOMB_IDLE && ticks < 200);
  EXPECT_EQ(attackmode, 0);
  DirectorTick();
  EXPECT_NE(attackmode, 0);
  EXPECT_EQ(attackhistory[0], attackmode);
}
