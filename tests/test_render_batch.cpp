// The GL renderers' shared core (platform/render_batch.h), without a GL
// context: the regrouping of an additive run, the drop of what lies wholly
// off the picture, and the split of what crosses its edge from what lies on it.
#include <gtest/gtest.h>

#include <vector>

#include "platform/render_batch.h"

namespace {

// A quad upright from (x0, y0) to (x1, y1), corners clockwise from the top left.
std::vector<BatchVertex> Quad(float x0, float y0, float x1, float y1) {
  return {{x0, y0, 0, 0, {}}, {x1, y0, 0, 0, {}}, {x1, y1, 0, 0, {}}, {x0, y1, 0, 0, {}}};
}

Reach At(const std::vector<BatchVertex>& v, float margin = kOffPictureMargin) {
  return Locate(v.data(), (int)v.size(), margin);
}

TEST(RenderBatch, AnAdditiveRunGroupsQuadsByTextureAndSizeAndLinesByWidthInTheOrderEachFirstDrew) {
  AdditiveRun<> run;
  const GroupKey ring{BatchKind::Quads, 7}, spark{BatchKind::Quads, 9}, bigring{BatchKind::Quads, 7, 1, true};
  const GroupKey thin{BatchKind::Lines, 0, 2}, wide{BatchKind::Lines, 0, 3};
  bool fresh;
  std::vector<size_t> got;
  for (const GroupKey& k : {ring, spark, ring, bigring, thin, wide, spark, thin}) got.push_back(run.Find(k, fresh));
  EXPECT_EQ(got, (std::vector<size_t>{0, 1, 0, 2, 3, 4, 1, 3}));
  // A quad's width and a line's texture play no part.
  EXPECT_EQ(run.Find(GroupKey{BatchKind::Quads, 9, 5}, fresh), 1u);
  EXPECT_FALSE(fresh);
  EXPECT_EQ(run.Find(GroupKey{BatchKind::Lines, 4, 3}, fresh), 4u);
  // A run's end empties its groups and keeps their slots for the next run.
  run[0].inside.Add(Quad(0, 0, 1, 1).data(), 4);
  run.Discard();
  EXPECT_EQ(run.count, 0u);
  EXPECT_EQ(run.groups.size(), 5u);
  EXPECT_TRUE(run[0].inside.vertices.empty());
  EXPECT_EQ(run.Find(wide, fresh), 0u);
  EXPECT_TRUE(fresh);
}

TEST(RenderBatch, WhatLiesWhollyBeyondOneSideByMoreThanTheMarginIsDropped) {
  EXPECT_TRUE(At(Quad(-3, 10, -1.5f, 20)).off);
  EXPECT_FALSE(At(Quad(-3, 10, -1, 20)).off);  // a pixel to spare
  EXPECT_TRUE(At(Quad(801.5f, 10, 810, 20)).off);
  EXPECT_FALSE(At(Quad(801, 10, 810, 20)).off);
  EXPECT_TRUE(At(Quad(10, 601.5f, 20, 610)).off);
  EXPECT_TRUE(At(Quad(10, -9, 20, -1.5f)).off);
  // Beyond the left and the top, but not all beyond the same one: kept.
  std::vector<BatchVertex> corner = {{-5, 3, 0, 0, {}}, {3, -5, 0, 0, {}}, {2, -6, 0, 0, {}}, {-6, 2, 0, 0, {}}};
  EXPECT_FALSE(At(corner).off);
  // A line keeps its width and a pixel.
  std::vector<BatchVertex> line = {{10, -3.5f, 0, 0, {}}, {90, -3.5f, 0, 0, {}}};
  EXPECT_TRUE(At(line, LineMargin(2)).off);
  EXPECT_FALSE(At(line, LineMargin(3)).off);
}

TEST(RenderBatch, OnlyWhatCrossesThePicturesEdgeGoesApartAndPiecesSitWhereTheWholeQuadsCornersDo) {
  EXPECT_FALSE(At(Quad(0, 0, PICTURE_W, PICTURE_H)).edge);  // on the edge is on the picture
  EXPECT_TRUE(At(Quad(-0.5f, 10, 20, 20)).edge);
  EXPECT_TRUE(At(Quad(790, 590, 800, 600.5f)).edge);
  std::vector<BatchVertex> off = Quad(-30, 10, -20, 20);
  EXPECT_FALSE(Locate(off.data(), 4, kOffPictureMargin, [](const BatchVertex&) { return false; }).edge);
  RunGroup g;
  EXPECT_EQ(&g.Side(true), &g.edge);
  EXPECT_EQ(&g.Side(false), &g.inside);

  // A frame 6x3 texels (in a texture of 8x4), handle (1, 1), drawn at
  // (100, 50) turned a quarter and doubled; one piece: the triangle through
  // the frame's top left, top right and bottom right corners.
  TImage img;
  img.width = 6;
  img.height = 3;
  img.handle_x = img.handle_y = 1;
  img.texu = {6.0f / 8};
  img.texv = {3.0f / 4};
  RenderState st;
  st.r = 10, st.g = 20, st.b = 30, st.alpha8 = 40;
  st.ix = 0, st.iy = -2, st.jx = 2, st.jy = 0;
  BatchVertex whole[4];
  PlaceQuad(&img, 0, 100, 50, st, whole);
  FlatFrame flat;
  flat.triangles = {{0, 0}, {6, 0}, {6, 3}};
  std::vector<BatchVertex> pieces;
  PlacePieces(flat, &img, 100, 50, st, whole[0].c, pieces);
  ASSERT_EQ(pieces.size(), 4u);
  for (int i = 0; i < 4; i++) {
    const BatchVertex& want = whole[i < 3 ? i : 2];  // the last two corners coincide
    EXPECT_EQ(pieces[i].x, want.x) << i;
    EXPECT_EQ(pieces[i].y, want.y) << i;
    EXPECT_EQ(pieces[i].u, want.u) << i;
    EXPECT_EQ(pieces[i].v, want.v) << i;
    EXPECT_EQ(std::vector<int>(pieces[i].c, pieces[i].c + 4), (std::vector<int>{10, 20, 30, 40})) << i;
  }
  EXPECT_EQ(whole[0].x, 100 + 2);  // (-1, -1) turned and doubled
  EXPECT_EQ(whole[0].y, 50 - 2);
}

}  // namespace
