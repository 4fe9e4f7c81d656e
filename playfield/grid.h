// The spring grid behind the arena and the arena's border tiles.
// Grid coordinates are arena-relative: node (x, y) lies at world (x + 560, y + 304).
#pragma once
#include <string>

#include "platform/files.h"

constexpr int GRID_COLS = 67;  // columns 0..66; the arena spans 0..64
constexpr int GRID_ROWS = 51;  // rows 0..50; the arena spans 0..48

// One spring node of the lattice.
class gridpoint {
 public:
  float ox = 0, oy = 0;  // rest position
  float x = 0, y = 0;    // current position
  float dx = 0, dy = 0;  // velocity per tick

  // One tick of this node's spring, (tx, ty) being its neighbours' average.
  void Update(float tx, float ty);
  // Adds a kick to the velocity; very fast results are folded back down.
  void disrupt(float ax, float ay);

  // Attracts the nodes within radius cells of a point (rez-in, death, bomb, Hole).
  static void Pull(float x, float y, int radius, float strength);
  // Ploughs the nodes around a point away from it (every player bullet, every tick).
  static void Push(float x, float y, int radius, float strength);
  // One tick of spring physics over the interior nodes, in place.
  static void UpdateGrid();
  // A short outward kick over a disc of 29 nodes (kills, shields).
  static void Shockwave(int x, int y);
  // Paints the lattice straight away; run by the renderer at the grid marker.
  static void DrawGridLines();
};

// The lattice, indexed [column][row]; rest position of (c, r) is (16c, 16r).
extern gridpoint grid[GRID_COLS][GRID_ROWS];

// The border tile map (50 columns by 34 rows, one code a byte).
extern TBank* bgmap;
// Pulse phase of all border tiles, degrees.
extern float borderphase;

// Loads "data\misc\BGmap.bnk" and builds the grid at rest (start-up); a missing
// map ends the program with a message.
void CreateGrid();
// Reads the border map's 1700 bytes from "data\misc\BGmap.bnk"; null (with
// *why naming the file) when it is missing, not a regular file or short.
TBank* LoadBorderMap(std::string* why);
// Builds the grid at rest over a given border map and hooks the grid marker
// to DrawGridLines (start-up, and tests without the map file).
void SetupGrid(TBank* map);
// Puts every node back at rest (new game, new life, front-end entry).
void ResetGrid();
// Queues the border tiles and, when the grid is on, the grid marker.
void DrawBorder();

// Callers may also use the class functions without the class name.
inline void Pull(float x, float y, int radius, float strength) { gridpoint::Pull(x, y, radius, strength); }
inline void Push(float x, float y, int radius, float strength) { gridpoint::Push(x, y, radius, strength); }
inline void UpdateGrid() { gridpoint::UpdateGrid(); }
inline void Shockwave(int x, int y) { gridpoint::Shockwave(x, y); }
inline void DrawGridLines() { gridpoint::DrawGridLines(); }
