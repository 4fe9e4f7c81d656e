// The twinkling starfield behind the arena, scrolled with parallax.
#pragma once
#include <vector>

class tSTAR {
 public:
  float x = 0, y = 0;  // position in the star layer
  float s = 0;         // depth 2..7: moves by 1/s of the camera; picks the image
  int r = 0, g = 0, b = 0;
  int tw = 0;          // twinkle counter
};

extern std::vector<tSTAR> starlist;
extern const float twinklescale[16];

// Fills starlist by the STARS setting (callers clear it first).
void CreateStars();
// The stars made again from nothing (a new STARS setting).
void RemakeStars();
// Twinkles every star and queues the visible ones.
void UpdateStars();
