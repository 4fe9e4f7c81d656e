// What both GL renderers do with a draw before any GL call, as plain records
// and free functions: the quad a picture is drawn as, the drop of what lies
// wholly off the picture, the split of what crosses its edge from what lies
// on it, the regrouping of an additive run per texture (or line width), and
// the pieces a magnified additive picture is cut into. Each renderer keeps
// what its API needs: the buffers, the calls, its pipeline or shaders, and
// (the fixed-function one) its own clip test and the driver's quad cuts.
//
// Why additive draws may be regrouped: blend mode 4 adds source colour x
// source alpha to an 8-bit framebuffer, saturating, and a saturating sum of
// non-negative integers is the same in any order. So a run of consecutive
// additive draws is gathered per group and each group drawn once when the
// run ends, its primitives across the picture's edge (which send the
// rasterizer down its slow clipping path) in a call apart from those on it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gl_common.h"
#include "platform/render.h"

// A corner as both renderers send it: picture pixels, texture coordinates, colour.
struct BatchVertex {
  float x, y, u, v;
  uint8_t c[4];
};

enum class BatchKind { None, Quads, Lines };

// Primitives to be drawn with one texture, blend mode and width; for quads,
// how each is cut into triangles (the fixed-function renderer's; the
// shader renderer cuts every quad alike and leaves cuts empty).
struct Batch {
  std::vector<BatchVertex> vertices;
  std::vector<uint8_t> cuts;
  void Add(const BatchVertex* v, int count) { vertices.insert(vertices.end(), v, v + count); }
  void Clear() {
    vertices.clear();
    cuts.clear();
  }
};

// The drop: a quad wholly off the picture by more than this many pixels is
// not sent; a line, by more than its width and this (a wide line reaches
// past its ends, and drivers differ on whether one just off still shows).
constexpr float kOffPictureMargin = 1;
inline float LineMargin(float width) { return width + kOffPictureMargin; }

// Where a primitive lies: whether it crosses the picture's edge (a corner
// outside), and whether all its corners lie beyond the same side of the
// picture by more than a margin (dropped).
struct Reach {
  bool edge = false, off = false;
};

// Whether a corner lies off the picture, where the rasterizer clips.
inline bool OutsidePicture(const BatchVertex& v) {
  return v.x < 0 || v.x > PICTURE_W || v.y < 0 || v.y > PICTURE_H;
}

// Locates count corners; outside(v) says whether one corner is outside
// (OutsidePicture, or a renderer's own clip test).
template <typename Outside>
Reach Locate(const BatchVertex* v, int count, float margin, Outside outside) {
  Reach r;
  bool left = true, right = true, above = true, below = true;
  for (int i = 0; i < count; i++) {
    r.edge = r.edge || outside(v[i]);
    left = left && v[i].x < -margin;
    right = right && v[i].x > PICTURE_W + margin;
    above = above && v[i].y < -margin;
    below = below && v[i].y > PICTURE_H + margin;
  }
  r.off = left || right || above || below;
  return r;
}
inline Reach Locate(const BatchVertex* v, int count, float margin) {
  return Locate(v, count, margin, [](const BatchVertex& c) { return OutsidePicture(c); });
}

// The regrouping: what a group of the additive run holds, quads of one
// texture (and, where large pictures are drawn apart, size class) or lines
// of one width.
struct GroupKey {
  BatchKind kind = BatchKind::None;
  unsigned texture = 0;  // quads
  float width = 1;       // lines
  bool large = false;    // quads
  bool Fits(const GroupKey& k) const {
    return kind == k.kind && (kind == BatchKind::Quads ? texture == k.texture && large == k.large : width == k.width);
  }
};

// One group: its primitives on the picture, and those across its edge.
struct RunGroup {
  GroupKey key;
  Batch inside, edge;
  Batch& Side(bool crosses) { return crosses ? edge : inside; }
};

// The groups of the current additive run, in the order each first drew;
// G is RunGroup or a renderer's record built on it. Slots keep their
// memory from run to run.
template <typename G = RunGroup>
struct AdditiveRun {
  std::vector<G> groups;
  size_t count = 0;  // slots the current run uses
  size_t last = 0;   // where the last additive draw went

  // The group a key draws in: the last one drawn in when it fits, else the
  // first that fits, else a fresh slot (fresh set, its batches empty, any
  // other record of the renderer's left from an earlier run).
  size_t Find(const GroupKey& key, bool& fresh) {
    fresh = false;
    if (last < count && groups[last].key.Fits(key)) return last;
    for (size_t i = 0; i < count; i++)
      if (groups[i].key.Fits(key)) return last = i;
    if (count == groups.size()) groups.emplace_back();
    groups[count].key = key;
    fresh = true;
    return last = count++;
  }
  size_t Find(const GroupKey& key) {
    bool fresh;
    return Find(key, fresh);
  }
  G& operator[](size_t i) { return groups[i]; }
  // Forgets the run's primitives (drawn, or the context is gone).
  void Discard() {
    for (size_t i = 0; i < count; i++) {
      groups[i].inside.Clear();
      groups[i].edge.Clear();
    }
    count = 0;
  }
};

// A picture's frame as a quad, corners clockwise from the top left, its
// handle at (x, y), turned and scaled by st, in st's colour.
void PlaceQuad(const TImage* img, int frame, float x, float y, const RenderState& st, BatchVertex quad[4]);

// The area a picture covers drawn with st, in picture pixels.
float DrawnArea(const TImage* img, const RenderState& st);

// Magnified: each side of the picture at least as long on the screen as in
// texels, fit the screen pixels per picture pixel.
bool Magnified(const RenderState& st, float fit);

// The pieces of a magnified additive picture wholly on the picture: each of
// flat's triangles as a quad whose last two corners coincide (its second
// triangle covers nothing), placed as the whole quad's corners are (so its
// own corners come out the same), in the colour of colour.
void PlacePieces(const FlatFrame& flat, const TImage* img, float x, float y, const RenderState& st,
                 const uint8_t colour[4], std::vector<BatchVertex>& out);
