// The heavy scenes the renderer's benchmarks paint, shared with the GL tests
// that hold the regrouped renderer to the in-order one pixel for pixel.
#pragma once
#include <string>

// The playfield at its busiest: 2000 live particles, 200 bullets in flight,
// grid and stars at HIGH, a game in play from a fixed seed. Headless unless
// real is set; then the display must be open with the game's pictures loaded.
void StartHeavyGame(bool real = false);
// Keeps the arena as busy as promised: sparks and bullets fired from random
// points in random directions, topped up to their counts.
void TopUp();
// Keeps 200 enemies of every kind in the arena, active, whatever dies.
void TopUpEnemies();
// Opens the real display and loads the game's own pictures from the
// generated data folder (the pictures once); false, with the reason in
// *why, without an X display or the data folder.
bool OpenDisplayWithGamePictures(std::string* why);
// Reopens the real display with the given renderer unless it already draws
// it (pictures rebuild their textures on their next draw); false, with the
// reason in *why, when it cannot be opened.
struct RenderBackend;
bool UseRenderer(const RenderBackend* renderer, std::string* why);

// The synthetic heavy frame: 3000 sprites of eight soft blobs in the runs a
// busy game frame has, plus 6144 grid lines of width 2 at the grid marker.
// Queues the draw list and sets the grid painter; the blobs are made on
// first use.
void QueueSyntheticGameFrame();
// The worst case of the same: every sprite changes picture and blend mode.
void QueueInterleavedFrame();

// The worst moment of a game: explosion rings, magnified two to six times,
// about the middle of the picture, drawn additively (needs the game's
// pictures: OpenDisplayWithGamePictures). The same rings every time.
void PaintRingBurst(int rings);
