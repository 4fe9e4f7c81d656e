// The fast paths of the enemy pass against their plain references on busy
// random scenes: the bullets' enemy grid must give every bullet the same
// answer as the whole-list scan, and the kind-by-kind crowd separation the
// same positions as the every-pair walk, bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "enemies/kinds.h"
#include "tests/playfield_fixture.h"

namespace {

struct EnemyIndexTest : PlayfieldTest {
  EnemyIndexTest() : PlayfieldTest(99) {}
};

// A crowded arena of every kind, some overlapping, some still spawning in,
// Snakes with trails, Shieldships charging, Holes awake.
std::vector<tNME> BusyScene(int count) {
  std::vector<tNME> scene;
  static const int kinds[] = {NME_WANDERER, NME_CHASER, NME_SPLITTER, NME_DODGER, NME_WEAVER,
                              NME_SNAKE, NME_SHIELDSHIP, NME_HOLE, NME_SPAWNLING, NME_SPLINTER};
  for (int i = 0; i < count; i++) {
    tNME n;
    n.t = kinds[RandInt(0, 9)];
    n.collrad = KindInfo(n.t).collrad;
    n.mode = RandInt(0, 9) == 0 ? NME_SPAWNING : NME_ACTIVE;
    n.x = (float)RandFloat(540, 1604);  // a few just outside the walls
    n.y = (float)RandFloat(284, 1092);
    n.counter4 = n.x + (float)RandFloat(-30, 30);
    n.counter5 = n.y + (float)RandFloat(-30, 30);
    n.energy = (float)RandInt(0, 300);
    n.ang = (float)RandFloat(0, 360);
    n.counter1 = (float)RandInt(0, 1);
    if (n.t == NME_SNAKE) {
      for (int k = 0; k < (int)n.tabx.size(); k++) n.tabx[k] = n.taby[k] = -1;
      for (int k = 0; k < SNAKE_SEGMENT_STEP * RandInt(0, SNAKE_SEGMENTS - 1); k++) {
        n.tabx[k] = n.x + 4.0f * k;
        n.taby[k] = n.y - 3.0f * k;
      }
    }
    scene.push_back(n);
  }
  return scene;
}

std::vector<tBULLET> Bullets(int count) {
  std::vector<tBULLET> shots(count);
  for (tBULLET& b : shots) {
    b.x = (float)RandFloat(520, 1624);
    b.y = (float)RandFloat(264, 1112);
    b.collrad = 12;
    b.damage = (float)RandInt(50, 200);
  }
  return shots;
}

bool SameEnemies(const std::vector<tNME>& a, const std::vector<tNME>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (a[i].mode != b[i].mode || a[i].energy != b[i].energy || a[i].counter1 != b[i].counter1 ||
        a[i].x != b[i].x || a[i].y != b[i].y || a[i].counter4 != b[i].counter4 ||
        a[i].counter5 != b[i].counter5)
      return false;
  return true;
}

// One bullets' walk over the scene, with or without the grid; the answers,
// the enemies after it and the generator's state.
struct Walk {
  std::vector<int> answers;
  std::vector<tNME> after;
  int64_t rand;
};
Walk RunWalk(const std::vector<tNME>& scene, const std::vector<tBULLET>& shots, bool indexed) {
  nmelist = scene;
  partlist.clear();
  SeedRandom(7);
  if (indexed) IndexEnemiesForBullets();
  Walk w;
  for (const tBULLET& b : shots) w.answers.push_back(HitEnemies(b));
  DropEnemyIndex();
  w.after = nmelist;
  w.rand = RandomState();
  return w;
}

}  // namespace

TEST_F(EnemyIndexTest, TheBulletGridAnswersEveryBulletAsTheWholeListScanDoes) {
  int answered[4] = {};
  for (int round = 0; round < 20; round++) {
    SeedRandom(1000 + round);  // each walk reseeds the generator itself
    std::vector<tNME> scene = BusyScene(RandInt(1, 250));
    std::vector<tBULLET> shots = Bullets(300);
    Walk plain = RunWalk(scene, shots, false);
    Walk fast = RunWalk(scene, shots, true);
    ASSERT_EQ(plain.answers, fast.answers) << "round " << round;
    EXPECT_TRUE(SameEnemies(plain.after, fast.after)) << "round " << round;
    EXPECT_EQ(plain.rand, fast.rand);
    for (int a : plain.answers) answered[a]++;
  }
  EXPECT_GT(answered[1], 100);  // the scenes hit, miss and get stopped plenty
  EXPECT_GT(answered[3], 20);
  EXPECT_GT(answered[0], 100);
}

TEST_F(EnemyIndexTest, CrowdSeparationKindByKindMatchesEveryPairBitForBit) {
  for (int round = 0; round < 20; round++) {
    SeedRandom(2000 + round);
    std::vector<tNME> scene = BusyScene(RandInt(2, 200));
    // Pile some of them onto one point, coincident centres included.
    for (size_t i = 0; i < scene.size(); i += 5) {
      scene[i].x = scene[i].counter4 = 1000;
      scene[i].y = scene[i].counter5 = 700;
    }
    nmelist = scene;
    SeparateCrowdEveryPair();
    std::vector<tNME> plain = nmelist;
    EXPECT_FALSE(SameEnemies(plain, scene)) << "nobody was pushed in round " << round;
    nmelist = scene;
    SeparateCrowd();
    EXPECT_TRUE(SameEnemies(plain, nmelist)) << "round " << round;
    for (const tNME& n : nmelist) ASSERT_TRUE(std::isfinite(n.x) && std::isfinite(n.y));
  }
}
