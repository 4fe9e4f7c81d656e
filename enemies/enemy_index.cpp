// A grid of the active enemies by position, built for the bullets' walk of
// one tick (the enemies stand still while the bullets move), so each
// bullet tests only the enemies near it instead of the whole list. Snakes
// are always tested: their trails reach far from their heads. The answer is
// the same as the plain scan's: the candidates come back in list order.
#include <algorithm>
#include <vector>

#include "enemies/kinds.h"
#include "playfield/game.h"

namespace {
constexpr float CELL = 64;
constexpr float GRID_LEFT = ARENA_LEFT - CELL, GRID_TOP = ARENA_TOP - CELL;
constexpr int COLS = 18, ROWS = 14;  // the arena and a cell of margin all round

bool built = false;
float maxcollrad = 0;
std::vector<int> cellstart;  // COLS * ROWS + 1 offsets into members
std::vector<int> members;    // list indices, cell by cell, each cell in list order
std::vector<int> snakes;     // list indices of the active Snakes

// The box around each active Snake's segments, by list index (empty for a
// Snake without segments): a bullet far from it skips the segment tests.
struct Box {
  float left = 0, top = 0, right = -1, bottom = -1;
};
std::vector<Box> trailboxes;

Box TrailBox(const tNME& n) {
  Box b;
  bool any = false;
  for (int i = 1; i <= 24; i++) {
    float x = n.tabx[4 * i], y = n.taby[4 * i];
    if (x == -1) continue;
    if (!any || x < b.left) b.left = x;
    if (!any || x > b.right) b.right = x;
    if (!any || y < b.top) b.top = y;
    if (!any || y > b.bottom) b.bottom = y;
    any = true;
  }
  return b;
}

// The cell column or row of a coordinate, clamped onto the grid.
int CellOf(float v, float origin, int count) {
  int c = (int)((v - origin) / CELL);
  if (!(v - origin >= 0)) c = 0;
  return c < 0 ? 0 : (c >= count ? count - 1 : c);
}
}  // namespace

void IndexEnemiesForBullets() {
  cellstart.assign(COLS * ROWS + 1, 0);
  members.clear();
  snakes.clear();
  maxcollrad = 0;
  for (const tNME& n : nmelist) {
    if (n.mode != NME_ACTIVE) continue;
    cellstart[CellOf(n.y, GRID_TOP, ROWS) * COLS + CellOf(n.x, GRID_LEFT, COLS) + 1]++;
    if (n.collrad > maxcollrad) maxcollrad = n.collrad;
  }
  for (int c = 0; c < COLS * ROWS; c++) cellstart[c + 1] += cellstart[c];
  members.resize(cellstart[COLS * ROWS]);
  static std::vector<int> fill;
  fill.assign(cellstart.begin(), cellstart.end() - 1);
  for (size_t i = 0; i < nmelist.size(); i++) {
    const tNME& n = nmelist[i];
    if (n.mode != NME_ACTIVE) continue;
    members[fill[CellOf(n.y, GRID_TOP, ROWS) * COLS + CellOf(n.x, GRID_LEFT, COLS)]++] = (int)i;
    if (n.t != NME_SNAKE) continue;
    snakes.push_back((int)i);
    if (trailboxes.size() < nmelist.size()) trailboxes.resize(nmelist.size());
    trailboxes[i] = TrailBox(n);
  }
  built = true;
}

void DropEnemyIndex() { built = false; }

bool EnemiesNear(float x, float y, float reach, std::vector<int>& out) {
  if (!built) return false;
  out.clear();
  float r = reach + maxcollrad + 1;
  int c0 = CellOf(x - r, GRID_LEFT, COLS), c1 = CellOf(x + r, GRID_LEFT, COLS);
  int r0 = CellOf(y - r, GRID_TOP, ROWS), r1 = CellOf(y + r, GRID_TOP, ROWS);
  for (int row = r0; row <= r1; row++)
    for (int col = c0; col <= c1; col++) {
      int c = row * COLS + col;
      out.insert(out.end(), members.begin() + cellstart[c], members.begin() + cellstart[c + 1]);
    }
  out.insert(out.end(), snakes.begin(), snakes.end());
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return true;
}

// One more pixel of slack than any segment test needs.
bool TrailMayReach(int index, float x, float y, float reach) {
  if (!built || index < 0 || (size_t)index >= trailboxes.size()) return true;
  const Box& b = trailboxes[index];
  return x > b.left - reach - 1 && x < b.right + reach + 1 && y > b.top - reach - 1 &&
         y < b.bottom + reach + 1;
}
