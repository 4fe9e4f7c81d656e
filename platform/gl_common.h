// What the fixed-function and the shader renderer share: a frame's texture
// levels built from its kept pixels, the picture's place in the drawable,
// and the picture read back from it.
#pragma once
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "platform/render.h"
#include "platform/sdl_display.h"

int NextPowerOfTwo(int v);

// Any blend mode outside 1..5 behaves as solid.
constexpr int EffectiveBlend(int mode) { return mode >= BLEND_MASK && mode <= BLEND_SHADE ? mode : BLEND_SOLID; }

// Halves an RGBA picture (each side down to no less than 1), averaging blocks.
std::vector<uint8_t> Halve(const std::vector<uint8_t>& src, int w, int h, int& nw, int& nh);

// Hands over a frame's texture levels, top level first: its kept pixels on
// power-of-two sides, the last column and row repeated into the spare
// texels, then (when mipmapped) each level halved down to 1x1.
void ForEachTextureLevel(const TImage* img, int frame, bool mipmapped,
                         const std::function<void(int level, int w, int h, const uint8_t* rgba)>& take);

// Samples a readback of the letterboxed picture (rows bottom up, as GL reads
// them) down to the 800x600 picture, rows top to bottom.
void PictureFromReadback(const std::vector<uint8_t>& raw, const Letterbox& box, std::vector<uint8_t>& rgba);

// A point of a frame in texels from its top left.
struct TexelPoint {
  float x, y;
};

// What a frame is drawn from when magnified and additive: its copy without
// mipmaps (its own texture when it has none) and the triangles covering the
// texels a sample that adds anything can fall in.
struct FlatFrame {
  unsigned int texture = 0;
  std::vector<TexelPoint> triangles;  // three points each
  long keptarea = 0, wholearea = 0;   // texels the triangles cover, in the frame
};

// A picture is drawn in pieces only when it leaves out at least this part of its texels...
constexpr float kTrimLeavesOut = 0.1f;
// ...and the screen pixels it leaves out pay for the extra triangles (the
// rasterizer's cost of one is about that of this many pixels).
constexpr float kPixelsPerTriangle = 50;

// Fills flat's triangles and areas (not its texture): the rectangles of a
// frame's texels that a linearly filtered sample adding anything can fall
// in, as fans of triangles whose neighbours share whole edges.
void TrimFrame(const TImage* img, int frame, FlatFrame& flat);

// Whether a picture covering area screen pixels is drawn in its pieces.
bool PiecesPay(const FlatFrame& flat, float area);

// The frames' copies for magnified additive draws, by the frame's own texture.
using FlatFrames = std::unordered_map<unsigned, FlatFrame>;

// A frame's copy for magnified additive draws, made on its first such draw:
// a mipmapped frame's copy made by copy(img, frame) (the frame uploaded
// without mipmaps), any other frame's its own texture; and its triangles.
const FlatFrame& FlatOf(FlatFrames& cache, const TImage* img, int frame, unsigned (*copy)(const TImage*, int));
