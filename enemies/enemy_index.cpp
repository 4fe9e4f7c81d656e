// A grid of the active enemies by position, built for the bullets' walk of
// one tick (the enemies stand still while the bullets move), so each
// bullet tests only the enemies near it instead of the whole list. Kinds
// with far-reaching parts (the Snake's trail) are always tested. The answer is
// the same as the plain scan's: the candidates come back in list order.
#include <algorithm>
#include <vector>

#include "enemies/kinds.h"
#include "playfield/playfield.h"

namespace {
constexpr float CELL = 64;
constexpr float GRID_LEFT = ARENA_LEFT - CELL, GRID_TOP = ARENA_TOP - CELL;
constexpr int COLS = 18, ROWS = 14;  // the arena and a cell of margin all round

bool built = false;
float maxcollrad = 0;
std::vector<int> cellstart;  // COLS * ROWS + 1 offsets into members
std::vector<int> members;    // list indices, cell by cell, each cell in list order
std::vector<int> reaching;   // list indices of the active enemies with far-reaching parts

// The box around each active enemy's far-reaching parts, by list index: a
// bullet far from it skips the part tests.
std::vector<NmeBox> partboxes;

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
  reaching.clear();
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
    const NmeParts* parts = Behaviour(n.t).parts;
    if (!parts) continue;
    reaching.push_back((int)i);
    if (partboxes.size() < nmelist.size()) partboxes.resize(nmelist.size());
    partboxes[i] = parts->box(n);
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
  out.insert(out.end(), reaching.begin(), reaching.end());
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return true;
}

// One more pixel of slack than any segment test needs.
bool PartsMayReach(int index, float x, float y, float reach) {
  if (!built || index < 0 || (size_t)index >= partboxes.size()) return true;
  const NmeBox& b = partboxes[index];
  return x > b.left - reach - 1 && x < b.right + reach + 1 && y > b.top - reach - 1 &&
         y < b.bottom + reach + 1;
}
