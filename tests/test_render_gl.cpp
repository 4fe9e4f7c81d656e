// The real SDL + OpenGL renderer, drawn into an 800x600 window and read back
// pixel by pixel. Needs an X display (run under xvfb-run); skips without one.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "app/play_session.h"
#include "bench/scenes.h"
#include "enemies/arena.h"
#include "enemies/enemies.h"
#include "frontend/frontend.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"

namespace {

struct Pixel {
  int r, g, b;
};

// Of a frame's 480,000 pixels, how many a frame drawn in pieces may put
// apart from the whole quads (a thousandth), and by how many levels at most.
constexpr long kPixelsLevelsApart = 480;
constexpr int kLevelsApart = 2;


class RenderGL : public ::testing::Test {
 protected:
  static bool opened;

  static void SetUpTestSuite() {
    opened = false;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return;
    PlatformInit(PlatformKind::Real);
    // Every frame at full resolution but where a test asks otherwise.
    SetRenderScale(RenderScale::Full);
    std::string why;
    opened = OpenGraphics(800, 600, 0, 60, 0, &why);
    if (!opened) std::fprintf(stderr, "display did not open: %s\n", why.c_str());
  }

  static void TearDownTestSuite() {
    SetRenderScale(RenderScale::Auto);
    if (opened) CloseGraphics();
    PlatformInit(PlatformKind::Headless);
  }

  void SetUp() override {
    if (!opened) GTEST_SKIP() << "no X display to draw on";
    SetCentreHandles(0);  // other suites load images with centred handles
    SetMaskColor(0, 0, 0);
    SetRotation(0);
    SetScale(1, 1);
    SetLineWidth(1);
    Cls();
  }

  void TearDown() override {
    SetRenderBatching(RenderBatching::Regrouped);
    SetRenderScale(RenderScale::Full);
  }

  // Hands the image to the test, which frees it when it ends.
  TImage* Keep(TImage* img) {
    owned.emplace_back(img);
    return img;
  }
  std::vector<std::unique_ptr<TImage>> owned;

  // A plain image of one colour, owned by the test.
  TImage* Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a, bool hasalpha = true,
                       int flags = 0) {
    std::vector<uint8_t> px((size_t)w * h * 4);
    for (size_t i = 0; i < px.size(); i += 4) {
      px[i] = r;
      px[i + 1] = g;
      px[i + 2] = b;
      px[i + 3] = a;
    }
    TImage* img = Keep(CreateImageFromPixels(w, h, px.data(), hasalpha, flags));
    img->handle_x = w * 0.5f;
    img->handle_y = h * 0.5f;
    return img;
  }

  // Fills the picture with one colour through a solid full-screen quad.
  void Background(int r, int g, int b) {
    TImage* white = Solid(8, 8, 255, 255, 255, 255);
    SetBlend(BLEND_SOLID);
    SetColor(r, g, b);
    SetAlpha(1);
    SetScale(100, 75);
    DrawImage(white, 400, 300, 0);
    SetScale(1, 1);
  }

  void Draw(TImage* img, float x, float y, int blend, int r = 255, int g = 255, int b = 255,
            float alpha = 1) {
    SetBlend(blend);
    SetColor(r, g, b);
    SetAlpha(alpha);
    DrawImage(img, x, y, 0);
  }

  std::vector<uint8_t> screen;
  void Read() {
    int w = 0, h = 0;
    ASSERT_TRUE(ReadScreenPixels(screen, w, h));
    ASSERT_EQ(w, 800);
    ASSERT_EQ(h, 600);
  }
  Pixel At(int x, int y) const {
    const uint8_t* p = &screen[((size_t)y * 800 + x) * 4];
    return {p[0], p[1], p[2]};
  }
  bool Lit(int x, int y) const {
    Pixel p = At(x, y);
    return p.r + p.g + p.b > 0;
  }

  // A picture with some of everything a sprite has: a soft round edge, texels
  // of every alpha, an odd size (spare texels in its texture).
  TImage* Sprinkled(int w, int h, int seed, int flags) {
    std::vector<uint8_t> px((size_t)w * h * 4);
    SeedRandom(seed);
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        uint8_t* p = &px[((size_t)y * w + x) * 4];
        float dx = (x + 0.5f) / w - 0.5f, dy = (y + 0.5f) / h - 0.5f;
        float edge = 1 - 2 * std::sqrt(dx * dx + dy * dy);
        p[0] = (uint8_t)RandInt(0, 255);
        p[1] = (uint8_t)RandInt(0, 255);
        p[2] = (uint8_t)RandInt(0, 255);
        p[3] = edge <= 0 ? 0 : (uint8_t)std::min(255.0f, edge * 400 * (float)RandFloat(0.5, 1));
      }
    return Keep(CreateImageFromPixels(w, h, px.data(), true, flags));
  }

  // A frame painted at a render scale (Auto with the threshold given): its
  // pixels and how much of its additive area went to half resolution.
  struct Painted {
    std::vector<uint8_t> pixels;
    long additivearea = 0, halvedarea = 0;
  };
  Painted PaintAt(RenderScale scale, long threshold, const std::function<void()>& paint) {
    long measured = HalfResolutionThreshold();
    SetHalfResolutionThreshold(threshold);
    SetRenderScale(scale);
    Cls();
    paint();
    Read();
    Flip(0);
    SetHalfResolutionThreshold(measured);
    SetRenderScale(RenderScale::Full);
    RenderStats st = LastFrameRenderStats();
    return {screen, st.additivearea, st.halvedarea};
  }

  // A frame painted both ways: in order (the reference) and regrouped.
  struct TwoWays {
    long differing = 0;           // pixels that are not the same
    int firstx = -1, firsty = -1;  // the first of them
    int worst = 0;                 // the largest difference in a channel
    long beyond = 0;               // pixels more than kLevelsApart apart in a channel
    long referencecalls = 0, regroupedcalls = 0;
  };
  TwoWays PaintBothWays(const std::function<void()>& paint, RenderBatching regrouped = RenderBatching::Regrouped) {
    TwoWays t;
    std::vector<uint8_t> reference;
    for (RenderBatching mode : {RenderBatching::InOrder, regrouped}) {
      SetRenderBatching(mode);
      Cls();
      paint();
      Read();
      Flip(0);
      bool inorder = mode == RenderBatching::InOrder;
      (inorder ? t.referencecalls : t.regroupedcalls) = LastFrameRenderStats().flushes;
      if (inorder) reference = screen;
    }
    CompareWith(reference, t);
    return t;
  }

  // Counts where the screen read last differs from a reference picture.
  void CompareWith(const std::vector<uint8_t>& reference, TwoWays& t) const {
    for (size_t i = 0; i < screen.size(); i += 4)
      if (std::memcmp(&screen[i], &reference[i], 4) != 0) {
        if (!t.differing) {
          t.firstx = (int)(i / 4 % 800);
          t.firsty = (int)(i / 4 / 800);
        }
        t.differing++;
        int apart = 0;
        for (int c = 0; c < 4; c++) apart = std::max(apart, std::abs((int)screen[i + c] - (int)reference[i + c]));
        t.worst = std::max(t.worst, apart);
        t.beyond += apart > kLevelsApart;
      }
  }

  // A frame painted by the fixed-function renderer (the reference, its calls
  // counted as the in-order ones) and by the shader renderer; the display is
  // left with the fixed-function one.
  TwoWays PaintOnBothRenderers(const std::function<void()>& paint) {
    TwoWays t;
    std::vector<uint8_t> reference;
    std::string why;
    for (const RenderBackend* renderer : {GLRenderBackend(), GLESRenderBackend()}) {
      if (!UseRenderer(renderer, &why)) {
        ADD_FAILURE() << renderer->name << " did not open: " << why;
        break;
      }
      Cls();
      paint();
      Read();
      Flip(0);
      bool fixed = renderer == GLRenderBackend();
      (fixed ? t.referencecalls : t.regroupedcalls) = LastFrameRenderStats().flushes;
      if (fixed) reference = screen;
      else CompareWith(reference, t);
    }
    EXPECT_TRUE(UseRenderer(GLRenderBackend(), &why)) << why;
    return t;
  }

  // Five pictures of odd and even sizes, every sampling, handles off centre.
  std::vector<TImage*> MixedPictures() {
    std::vector<TImage*> pics = {
        Sprinkled(32, 32, 1, IMG_FILTERED | IMG_MIPMAPPED), Sprinkled(5, 3, 2, IMG_FILTERED),
        Sprinkled(24, 40, 3, 0), Sprinkled(64, 64, 4, IMG_FILTERED | IMG_MIPMAPPED),
        Sprinkled(16, 16, 5, IMG_MIPMAPPED)};
    for (size_t i = 0; i < pics.size(); i++) {
      pics[i]->handle_x = pics[i]->width * (i % 2 ? 0.5f : 0.25f);
      pics[i]->handle_y = pics[i]->height * 0.5f;
    }
    return pics;
  }

  // Additive runs of every length broken by a few draws in the other modes
  // (9 draws solid), sprites and lines strewn over and past the picture,
  // then lines hugging each edge, just on and just off the picture; lines
  // only when asked.
  static void PaintMixedFrame(const std::vector<TImage*>& pics, bool withlines = true) {
    const float widths[] = {1, 2, 3, 4.5f};
    SeedRandom(2024);
    for (int run = 0; run < 60; run++) {
      int additive = RandInt(0, 3) ? RandInt(1, 150) : 0, others = RandInt(1, 4);
      for (int i = 0; i < additive + others; i++) {
        const int modes[] = {BLEND_MASK, BLEND_SOLID, BLEND_ALPHA, BLEND_SHADE, 9};
        SetBlend(i < additive ? BLEND_LIGHT : modes[RandInt(0, 4)]);
        int r = RandInt(0, 255), g = RandInt(0, 255), b = RandInt(0, 255);
        SetColor(r, g, b);
        SetAlpha((float)RandFloat(0, 1));
        SetRotation((float)RandFloat(0, 360));
        float scale = (float)RandFloat(0.2, 4);
        SetScale(scale, scale * (float)RandFloat(0.5, 2));
        float x = (float)RandFloat(-120, 920), y = (float)RandFloat(-120, 720);
        if (RandInt(0, 2) == 0) {
          SetLineWidth(widths[RandInt(0, 3)]);
          float dx = (float)RandFloat(-40, 40), dy = (float)RandFloat(-40, 40);
          if (withlines) DrawLine(x, y, x + dx, y + dy, 0);
        } else {
          DrawImage(pics[RandInt(0, (int)pics.size() - 1)], x, y, 0);
        }
      }
    }
    if (!withlines) return;
    SetBlend(BLEND_LIGHT);
    SetColor(200, 150, 100);
    SetAlpha(0.7f);
    SetRotation(0);
    SetScale(1, 1);
    for (float w : widths) {
      SetLineWidth(w);
      for (float d : {-5.5f, -3.0f, -2.5f, -1.5f, -1.0f, -0.5f, 0.0f, 0.25f}) {
        DrawLine(30, d, 770, d, 0);
        DrawLine(30, 599 - d, 770, 599 - d, 0);
        DrawLine(d, 30, d, 570, 0);
        DrawLine(799 - d, 30, 799 - d, 570, 0);
      }
    }
  }
};
bool RenderGL::opened = false;

// The faintest the rings' edge texels add, in levels (see the rings' test).
constexpr int kRingEdgeLevelsApart = 8;

// What both renderers must draw alike, run on each: the fixed-function
// renderer and the shader one.
class RenderGLEither : public RenderGL, public ::testing::WithParamInterface<const RenderBackend* (*)()> {
 protected:
  void SetUp() override {
    std::string why;
    if (opened && !UseRenderer(GetParam()(), &why)) FAIL() << GetParam()()->name << " did not open: " << why;
    RenderGL::SetUp();
  }
};
INSTANTIATE_TEST_SUITE_P(Renderers, RenderGLEither, ::testing::Values(&GLRenderBackend, &GLESRenderBackend),
                         [](const auto& info) { return std::string(info.param()->name); });

#define EXPECT_PIXEL(px, R, G, B)    \
  do {                               \
    Pixel p_ = (px);                 \
    EXPECT_NEAR(p_.r, (R), 2);       \
    EXPECT_NEAR(p_.g, (G), 2);       \
    EXPECT_NEAR(p_.b, (B), 2);       \
  } while (0)

TEST_P(RenderGLEither, BlendModesCombineWithTheScreenAsTheirTableSays) {
  TImage* sprite = Solid(16, 16, 255, 255, 255, 255);
  TImage* half = Solid(16, 16, 255, 255, 255, 128);
  Background(100, 100, 100);
  Draw(half, 100, 100, BLEND_SOLID, 200, 40, 0);       // solid ignores alpha
  Draw(half, 200, 100, BLEND_ALPHA, 200, 40, 0);       // halfway to the sprite
  Draw(sprite, 300, 100, BLEND_LIGHT, 100, 50, 0, 0.5f);  // adds colour x alpha
  Draw(sprite, 400, 100, BLEND_SHADE, 128, 255, 0);    // multiplies
  Draw(sprite, 500, 100, 9, 10, 20, 30, 0.25f);        // unknown mode acts solid
  Read();
  EXPECT_PIXEL(At(100, 100), 200, 40, 0);
  EXPECT_PIXEL(At(200, 100), 150, 70, 50);
  EXPECT_PIXEL(At(300, 100), 150, 125, 100);
  EXPECT_PIXEL(At(400, 100), 50, 100, 0);
  EXPECT_PIXEL(At(500, 100), 10, 20, 30);
  EXPECT_PIXEL(At(120, 100), 100, 100, 100);  // outside every sprite
}

TEST_P(RenderGLEither, MaskModeKeepsOrReplacesByTexelAlphaAtOneHalf) {
  TImage* below = Solid(16, 16, 255, 0, 0, 120);
  TImage* above = Solid(16, 16, 255, 0, 0, 136);
  TImage* faded = Solid(16, 16, 255, 0, 0, 255);
  Background(0, 0, 255);
  Draw(below, 100, 100, BLEND_MASK);
  Draw(above, 200, 100, BLEND_MASK);
  Draw(faded, 300, 100, BLEND_MASK, 255, 255, 255, 0.45f);  // drawing alpha counts too
  Read();
  EXPECT_PIXEL(At(100, 100), 0, 0, 255);
  EXPECT_PIXEL(At(200, 100), 255, 0, 0);  // replaced completely, not blended
  EXPECT_PIXEL(At(300, 100), 0, 0, 255);
}

TEST_P(RenderGLEither, ColourAndAlphaAreClampedBeforeDrawing) {
  TImage* sprite = Solid(16, 16, 255, 255, 255, 255);
  Background(0, 0, 200);
  Draw(sprite, 100, 100, BLEND_ALPHA, 255, 0, 0, 1.5f);
  Draw(sprite, 200, 100, BLEND_ALPHA, 255, 0, 0, -0.2f);
  Draw(sprite, 300, 100, BLEND_SOLID, 300, -40, 128);
  Read();
  EXPECT_PIXEL(At(100, 100), 255, 0, 0);
  EXPECT_PIXEL(At(200, 100), 0, 0, 200);
  EXPECT_PIXEL(At(300, 100), 255, 0, 128);
}

TEST_P(RenderGLEither, AdditiveTwiceIsBrighterAlphaTwiceIsNot) {
  TImage* sprite = Solid(16, 16, 255, 255, 255, 255);
  Draw(sprite, 100, 100, BLEND_LIGHT, 60, 60, 60);
  Draw(sprite, 200, 100, BLEND_LIGHT, 60, 60, 60);
  Draw(sprite, 200, 100, BLEND_LIGHT, 60, 60, 60);
  Draw(sprite, 300, 100, BLEND_ALPHA, 200, 200, 200, 0.5f);
  Draw(sprite, 300, 100, BLEND_ALPHA, 200, 200, 200, 0.5f);
  Read();
  EXPECT_PIXEL(At(100, 100), 60, 60, 60);
  EXPECT_PIXEL(At(200, 100), 120, 120, 120);
  EXPECT_GT(At(300, 100).r, 100);
  EXPECT_LE(At(300, 100).r, 200);
}

// Bounding box of lit pixels in a region.
struct Box {
  int x0 = 9999, y0 = 9999, x1 = -1, y1 = -1;
};

TEST_P(RenderGLEither, RotationAndScaleTurnClockwiseAboutTheHandle) {
  // Left half red, right half green: after a quarter turn clockwise the
  // green half must be below the red one.
  std::vector<uint8_t> px(20 * 10 * 4);
  for (int y = 0; y < 10; y++)
    for (int x = 0; x < 20; x++) {
      uint8_t* p = &px[(y * 20 + x) * 4];
      p[0] = x < 10 ? 255 : 0;
      p[1] = x < 10 ? 0 : 255;
      p[2] = 0;
      p[3] = 255;
    }
  TImage* img = Keep(CreateImageFromPixels(20, 10, px.data(), true, 0));
  img->handle_x = 10;
  img->handle_y = 5;
  SetRotation(90);
  SetScale(2, 1);
  Draw(img, 400, 300, BLEND_SOLID);
  Read();
  Box box;
  for (int y = 250; y < 350; y++)
    for (int x = 350; x < 450; x++)
      if (Lit(x, y)) {
        box.x0 = std::min(box.x0, x);
        box.x1 = std::max(box.x1, x);
        box.y0 = std::min(box.y0, y);
        box.y1 = std::max(box.y1, y);
      }
  EXPECT_EQ(box.x0, 395);
  EXPECT_EQ(box.x1, 404);  // 10 wide
  EXPECT_EQ(box.y0, 280);
  EXPECT_EQ(box.y1, 319);  // 40 tall: the doubled width now runs down
  EXPECT_PIXEL(At(400, 285), 255, 0, 0);
  EXPECT_PIXEL(At(400, 315), 0, 255, 0);
}

TEST_P(RenderGLEither, MaskColourOnlyClearsPicturesWithoutTheirOwnAlpha) {
  std::vector<uint8_t> px(8 * 8 * 4, 0);
  for (size_t i = 3; i < px.size(); i += 4) px[i] = 255;  // opaque black
  for (int x = 0; x < 4; x++) px[x * 4] = 255;          // a red bit in the top row
  TImage* plain = Keep(CreateImageFromPixels(8, 8, px.data(), false, IMG_MASKED));
  TImage* own = Keep(CreateImageFromPixels(8, 8, px.data(), true, IMG_MASKED));
  Background(0, 0, 255);
  SetBlend(BLEND_MASK);
  SetColor(255, 255, 255);
  SetAlpha(1);
  DrawImage(plain, 100, 100, 0);
  DrawImage(own, 200, 100, 0);
  Read();
  EXPECT_PIXEL(At(104, 104), 0, 0, 255);  // black was the mask: transparent
  EXPECT_PIXEL(At(101, 100), 255, 0, 0);
  EXPECT_PIXEL(At(204, 104), 0, 0, 0);    // own alpha: black stays black
}

TEST_P(RenderGLEither, WideLinesSitOnPixelCentresUntextured) {
  SetBlend(BLEND_SOLID);
  SetColor(255, 255, 0);
  SetAlpha(1);
  SetLineWidth(1);
  DrawLine(100, 100, 200, 100, 0);
  SetLineWidth(4);
  DrawLine(100, 200, 200, 200, 0);
  DrawLine(300, 100, 300, 200, 0);
  Read();
  int thin = 0, wide = 0, across = 0;
  for (int y = 90; y < 110; y++) thin += Lit(150, y);
  for (int y = 190; y < 210; y++) wide += Lit(150, y);
  for (int x = 290; x < 310; x++) across += Lit(x, 150);
  EXPECT_EQ(thin, 1);
  EXPECT_TRUE(Lit(150, 100));
  EXPECT_EQ(wide, 4);
  EXPECT_EQ(across, 4);
  EXPECT_PIXEL(At(150, 100), 255, 255, 0);
  EXPECT_TRUE(Lit(100, 100));
  EXPECT_FALSE(Lit(201, 100));
}

TEST_P(RenderGLEither, ImagesDrawAgainAfterTheDisplayIsReopened) {
  TImage* sprite = Solid(16, 16, 0, 255, 0, 255, true, IMG_FILTERED | IMG_MIPMAPPED);
  Draw(sprite, 100, 100, BLEND_SOLID);
  Read();
  EXPECT_PIXEL(At(100, 100), 0, 255, 0);
  int generation = DisplayGeneration();
  CloseGraphics();
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  EXPECT_EQ(DisplayGeneration(), generation + 1);
  Cls();
  SetRotation(0);
  SetScale(1, 1);
  Draw(sprite, 300, 200, BLEND_SOLID);
  Read();
  EXPECT_PIXEL(At(300, 200), 0, 255, 0);
  EXPECT_EQ(sprite->seqs[0], DisplayGeneration());
}

TEST_P(RenderGLEither, NonPowerOfTwoFramesUseOnlyTheirOwnTexels) {
  // A 5x3 frame in an 8x4 texture: scaled up with filtering the edge must not
  // fade towards empty texels.
  TImage* odd = Solid(5, 3, 255, 255, 255, 255, true, IMG_FILTERED);
  SetScale(20, 20);
  Draw(odd, 400, 300, BLEND_ALPHA);
  Read();
  EXPECT_NEAR(odd->texu[0], 5.0f / 8, 1e-6);
  EXPECT_NEAR(odd->texv[0], 3.0f / 4, 1e-6);
  EXPECT_PIXEL(At(400 + 48, 300 + 28), 255, 255, 255);  // just inside the far corner
  EXPECT_PIXEL(At(400 - 49, 300 - 29), 255, 255, 255);
}

TEST_F(RenderGL, BatchesBreakOnlyWhenTextureBlendOrWidthChange) {
  TImage* a = Solid(8, 8, 255, 255, 255, 255);
  TImage* b = Solid(8, 8, 255, 255, 255, 255);
  SetAlpha(1);
  SetBlend(BLEND_ALPHA);
  for (int i = 0; i < 50; i++) {
    SetColor(i * 5, 255, 0);  // colour changes do not break a batch
    DrawImage(a, 10 + i * 10, 10, 0);
  }
  Flip(0);
  EXPECT_EQ(LastFrameRenderStats().flushes, 1);
  EXPECT_EQ(LastFrameRenderStats().quads, 50);

  Cls();
  for (int i = 0; i < 50; i++) {
    SetBlend(i % 2 ? BLEND_LIGHT : BLEND_ALPHA);
    DrawImage(a, 10 + i * 10, 10, 0);
  }
  Flip(0);
  EXPECT_EQ(LastFrameRenderStats().flushes, 50);

  Cls();
  SetBlend(BLEND_ALPHA);
  DrawImage(a, 10, 10, 0);
  DrawImage(b, 20, 10, 0);                // new texture
  SetLineWidth(2);
  for (int i = 0; i < 100; i++) DrawLine(0, i, 50, i, 0);  // one batch of lines
  SetLineWidth(1);
  DrawLine(0, 0, 5, 5, 0);                // new width
  SetBlend(9);                            // 9 and 2 both mean solid: one batch
  DrawLine(0, 0, 5, 5, 0);
  SetBlend(BLEND_SOLID);
  DrawLine(0, 0, 5, 5, 0);
  DrawImage(a, 10, 10, 0);
  Flip(0);
  RenderStats s = LastFrameRenderStats();
  EXPECT_EQ(s.flushes, 6);
  EXPECT_EQ(s.quads, 3);
  EXPECT_EQ(s.lines, 103);
}

TEST_F(RenderGL, MixedBlendModesPicturesAndWidthsAcrossTheEdgeMatchTheInOrderReference) {
  std::vector<TImage*> pics = MixedPictures();
  auto paint = [&] { PaintMixedFrame(pics); };
  // Drawn whole (magnified additive pictures from their copies without
  // mipmaps), every pixel the same; in pieces, the odd filtered texel a level
  // apart where a piece's triangle interpolates it in the last bit otherwise.
  TwoWays whole = PaintBothWays(paint, RenderBatching::RegroupedWhole);
  EXPECT_EQ(whole.differing, 0) << "first at " << whole.firstx << "," << whole.firsty;
  EXPECT_LT(whole.regroupedcalls, whole.referencecalls);
  TwoWays pieces = PaintBothWays(paint);
  EXPECT_LE(pieces.differing, kPixelsLevelsApart) << "first at " << pieces.firstx << "," << pieces.firsty;
  EXPECT_LE(pieces.worst, kLevelsApart) << "first at " << pieces.firstx << "," << pieces.firsty;
}

// The explosions' rings, the game's own pictures, at the sizes they grow
// to and turned every way: drawn in pieces without their transparent
// texels, each ring is today's but for the odd filtered texel a level or two
// apart (colour and alpha each interpolated a last bit otherwise), and the
// odd pixel centred on the picture's own edge, which the pieces split: it
// may fall to the other side and take or lose that edge texel's faint
// value. A pixel left out or drawn twice where two pieces meet in the
// ring's body would miss or add a whole texel's worth, far more.
TEST_F(RenderGL, MagnifiedRingsDrawnWithoutTheirTransparentTexelsLookTheSame) {
  std::string why;
  if (!OpenDisplayWithGamePictures(&why)) GTEST_SKIP() << why;
  SeedRandom(77);
  for (TImage* ring : {partex01img, partex02img})
    for (float scale : {1.0f, 2.5f, 6.0f, 9.0f})
      for (int turn = 0; turn < 4; turn++) {
        SCOPED_TRACE(testing::Message() << ring->path << " at " << scale << ", turn " << turn);
        int r = RandInt(64, 255), g = RandInt(64, 255), b = RandInt(64, 255);
        float alpha = (float)RandFloat(0.5, 1), rot = (float)RandFloat(0, 360);
        float grow = scale * (float)RandFloat(1, 1.1), x = (float)RandFloat(390, 410), y = (float)RandFloat(290, 310);
        TwoWays t = PaintBothWays([&] {
          SetBlend(BLEND_LIGHT);
          SetColor(r, g, b);
          SetAlpha(alpha);
          SetRotation(rot);
          SetScale(grow, grow);
          DrawImage(ring, x, y, 0);
        });
        EXPECT_LE(t.differing, kPixelsLevelsApart) << "first at " << t.firstx << "," << t.firsty;
        EXPECT_LE(t.worst, kRingEdgeLevelsApart) << "first at " << t.firstx << "," << t.firsty;
      }
  SetRotation(0);
  SetScale(1, 1);
}

// The driver cuts a quad into triangles one way or the other by whether its
// segment of 1024 quads in the in-order call had a vertex outside the clip
// volume; regrouped, each quad keeps the cut it had there.
TEST_F(RenderGL, RegroupedQuadsKeepTheCutOfTheirInOrderSegment) {
  TImage* pic = Sprinkled(32, 32, 7, IMG_FILTERED | IMG_MIPMAPPED);
  pic->handle_x = pic->handle_y = 16;
  auto big = [&] {
    SetRotation((float)RandFloat(0, 360));
    SetScale(3, 3);
    int r = RandInt(0, 255), g = RandInt(0, 255), b = RandInt(0, 255);
    SetColor(r, g, b);
    SetAlpha((float)RandFloat(0.2, 1));
    float x = (float)RandFloat(200, 600), y = (float)RandFloat(150, 450);
    DrawImage(pic, x, y, 0);
  };
  auto plain = [&](float x, float y) {
    SetRotation(0);
    SetScale(1, 1);
    DrawImage(pic, x, y, 0);
  };
  auto paint = [&] {
    SeedRandom(99);
    for (int blend : {BLEND_LIGHT, BLEND_ALPHA}) {
      // One call of 2500 quads: its first and last segments wholly on the
      // picture, its middle one across the edge at a single quad.
      SetBlend(blend);
      for (int i = 0; i < 2500; i++) {
        if (i == 1500)
          plain(5, 300);
        else
          big();
      }
      // Corners on each edge, and a little way past it, each in a call of its own.
      const float past[] = {0, 1e-6f, 6.2e-5f, 1e-4f, 5e-4f};
      for (float d : past)
        for (int side = 0; side < 4; side++) {
          SetBlend(blend);
          for (int i = 0; i < 12; i++) big();
          float x = side == 0 ? 16 - d : side == 1 ? 784 + d : 400;
          float y = side == 2 ? 16 - d : side == 3 ? 584 + d : 300;
          plain(x, y);
          SetLineWidth(1);
          DrawLine(400, 300, 401, 300, 0);  // ends the call
        }
    }
  };
  TwoWays t = PaintBothWays(paint);
  EXPECT_EQ(t.differing, 0) << "first at " << t.firstx << "," << t.firsty << " worst " << t.worst;
}

TEST_F(RenderGL, SyntheticHeavyFramesMatchTheInOrderReference) {
  for (void (*queue)() : {QueueSyntheticGameFrame, QueueInterleavedFrame}) {
    queue();
    TwoWays t = PaintBothWays([] { RenderDrawList(); });
    EXPECT_EQ(t.differing, 0) << "first at " << t.firstx << "," << t.firsty << " worst " << t.worst;
  }
  ClearDrawList();
  gridlinesdrawer = nullptr;
}

// Pictures drawn one to one (neither turned nor scaled, corners on whole
// pixels) sample their nearest texel, the one a linear sample at its centre
// returns: the in-order reference's pixels exactly, at odd sizes and handles,
// in every sampling and blend mode, on the picture and across its edges, and
// in a call longer than the driver's segment. A call that also draws the
// picture turned or scaled draws it all as before, cut as the driver cut it.
TEST_F(RenderGL, PicturesDrawnOneToOneSampleTheirNearestTexelAndMatchTheInOrderReference) {
  const int sizes[][2] = {{1, 1}, {5, 3}, {17, 9}, {32, 32}, {33, 63}, {63, 64}};
  const int samplings[] = {0, IMG_FILTERED, IMG_MIPMAPPED, IMG_FILTERED | IMG_MIPMAPPED};
  // Handles on a texel's corner, on its centre and a quarter of the way in.
  const float handleparts[] = {0, 0.5f, 0.25f};
  std::vector<TImage*> pics;
  int seed = 40;
  for (const auto& size : sizes)
    for (int flags : samplings) {
      TImage* pic = Sprinkled(size[0], size[1], seed, flags);
      pic->handle_x = (float)(size[0] / 2) + handleparts[seed % 3];
      pic->handle_y = (float)(size[1] / 3) + handleparts[seed / 3 % 3];
      pics.push_back(pic);
      seed++;
    }
  const int modes[] = {BLEND_MASK, BLEND_SOLID, BLEND_ALPHA, BLEND_LIGHT, BLEND_SHADE};
  long onetoone = 0;
  // One draw with its top left corner at (left, top), in a random colour.
  auto draw = [&](TImage* pic, float left, float top, bool nearest) {
    int r = RandInt(0, 255);
    int g = RandInt(0, 255);
    int b = RandInt(0, 255);
    SetColor(r, g, b);
    SetAlpha((float)RandFloat(0.3, 1));
    DrawImage(pic, left + pic->handle_x, top + pic->handle_y, 0);
    onetoone += nearest && (pic->flags & (IMG_FILTERED | IMG_MIPMAPPED));  // else sampled so already
  };
  // Ends the call (and the additive run) with a solid line.
  auto endcall = [] {
    SetBlend(BLEND_SOLID);
    SetColor(0, 0, 0);
    DrawLine(0, 0, 1, 0, 0);
  };
  auto paint = [&] {
    SeedRandom(5);
    onetoone = 0;
    Background(60, 90, 120);
    for (int mode : modes)
      for (TImage* pic : pics) {
        SetBlend(mode);
        SetRotation(0);
        SetScale(1, 1);
        int w = pic->width, h = pic->height;
        int x = RandInt(40, 700);
        int y = RandInt(40, 500);
        const int spots[][2] = {{x, y},      {-w / 2, y},        {800 - w / 2, y},        {x, -h / 2},
                                {x, 600 - h / 2}, {-w / 2, -h / 2}, {800 - w / 2, 600 - h / 2}};
        for (const auto& spot : spots) draw(pic, (float)spot[0], (float)spot[1], true);
        endcall();
        // One call: one to one, turned, one to one again, enlarged across the edge.
        SetBlend(mode);
        for (int i = 0; i < 3; i++) draw(pic, (float)x + 3 * i, (float)y + 5, false);
        // Turned but not enlarged: additive ones stay small pictures, in
        // the group of the rest.
        SetScale(1, 1);
        for (int i = 0; i < 3; i++) {
          SetRotation((float)RandFloat(0, 360));
          draw(pic, (float)x + 7 * i, (float)y + 9, false);
        }
        SetRotation(0);
        SetScale(1, 1);
        for (int i = 0; i < 2; i++) draw(pic, (float)x + 2 * i, (float)y + 11, false);
        SetScale(2, 2);
        draw(pic, -1.5f, (float)y, false);
        endcall();
      }
    // One to one in a call longer than the driver's segment of 1024 quads.
    TImage* filtered = pics[3 * 4 + 1];  // 32x32
    SetBlend(BLEND_ALPHA);
    SetScale(1, 1);
    for (int i = 0; i < 1100; i++) draw(filtered, (float)(i % 790 - 16), (float)(i % 590 - 16), true);
  };
  TwoWays t = PaintBothWays(paint);
  EXPECT_EQ(t.differing, 0) << "first at " << t.firstx << "," << t.firsty << " worst " << t.worst;
  EXPECT_EQ(LastFrameRenderStats().nearest, onetoone);
  EXPECT_GT(onetoone, 1600);
}

// Anything short of one to one is drawn as before: half a pixel or less off,
// the least scale or turn, a mirror, a large additive picture (its run may go
// to lower resolution), the in-order reference itself and a window that
// scales the picture. Bars alone about an unscaled picture change nothing.
TEST_F(RenderGL, OnlyPicturesDrawnExactlyOneToOneSampleTheirNearestTexel) {
  TImage* pic = Sprinkled(16, 16, 9, IMG_FILTERED | IMG_MIPMAPPED);
  TImage* large = Sprinkled(64, 64, 10, IMG_FILTERED);
  pic->handle_x = pic->handle_y = 8;
  large->handle_x = large->handle_y = 32;
  struct Case {
    const char* name;
    TImage* img;
    float x, y, rot, sx, sy;
    int blend;
    long nearest;
  };
  const Case cases[] = {
      {"one to one", pic, 100, 100, 0, 1, 1, BLEND_ALPHA, 1},
      {"one to one, additive", pic, 100, 100, 0, 1, 1, BLEND_LIGHT, 1},
      {"large, one to one", large, 400, 300, 0, 1, 1, BLEND_ALPHA, 1},
      {"half a pixel across", pic, 100.5f, 100, 0, 1, 1, BLEND_ALPHA, 0},
      {"half a pixel down", pic, 100, 100.5f, 0, 1, 1, BLEND_SOLID, 0},
      {"a thousandth of a pixel across", pic, 100.001f, 100, 0, 1, 1, BLEND_ALPHA, 0},
      {"scaled 1.0001 across", pic, 100, 100, 0, 1.0001f, 1, BLEND_ALPHA, 0},
      {"scaled 1.0001 down", pic, 100, 100, 0, 1, 1.0001f, BLEND_LIGHT, 0},
      {"mirrored", pic, 100, 100, 0, -1, 1, BLEND_ALPHA, 0},
      {"turned a hundredth of a degree", pic, 100, 100, 0.01f, 1, 1, BLEND_ALPHA, 0},
      {"turned half way", pic, 100, 100, 180, 1, 1, BLEND_MASK, 0},
      {"large, one to one, additive", large, 400, 300, 0, 1, 1, BLEND_LIGHT, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Cls();
    SetRotation(c.rot);
    SetScale(c.sx, c.sy);
    Draw(c.img, c.x, c.y, c.blend);
    Flip(0);
    EXPECT_EQ(LastFrameRenderStats().quads, 1);
    EXPECT_EQ(LastFrameRenderStats().nearest, c.nearest);
  }
  SetRotation(0);
  SetScale(1, 1);
  auto plain = [&] {
    Background(30, 60, 90);
    for (int blend : {BLEND_ALPHA, BLEND_LIGHT}) Draw(pic, 200, 150, blend, 250, 200, 150, 0.75f);
  };
  SetRenderBatching(RenderBatching::InOrder);
  Cls();
  plain();
  Flip(0);
  EXPECT_EQ(LastFrameRenderStats().nearest, 0) << "the in-order reference";
  SetRenderBatching(RenderBatching::Regrouped);

  // A window of 1000x750 shows the picture scaled; one of 1000x600 between bars, unscaled.
  for (int height : {750, 600}) {
    SCOPED_TRACE(testing::Message() << "a window of 1000x" << height);
    CloseGraphics();
    ASSERT_TRUE(OpenGraphics(1000, height, 0, 60, 0));
    TwoWays t = PaintBothWays(plain);
    EXPECT_EQ(t.differing, 0) << "first at " << t.firstx << "," << t.firsty << " worst " << t.worst;
    EXPECT_EQ(LastFrameRenderStats().nearest, height == 600 ? 2 : 0);
  }
  CloseGraphics();
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
}

// The benchmarks' busiest game scenes with the game's own pictures: the full
// playfield, then 200 enemies of every kind on top. On some frames the odd
// quad is cut the other way than the driver cut it in order, so a handful of
// pixels may come out one level apart; nothing more is allowed. (The frame
// itself differs between machines, as the C library's sine differs in its
// last bit between processors.)
TEST_F(RenderGL, HeavyPlayfieldAndEnemyFramesMatchTheInOrderReference) {
  std::string why;
  if (!OpenDisplayWithGamePictures(&why)) GTEST_SKIP() << why;
  StartHeavyGame(true);
  for (int withenemies = 0; withenemies < 2; withenemies++) {
    for (int i = 0; i < 60; i++) {
      TopUp();
      if (withenemies) TopUpEnemies();
      UpdateGame();
    }
    TwoWays t = PaintBothWays([] { RenderDrawList(); });
    EXPECT_LE(t.differing, 100) << "first at " << t.firstx << "," << t.firsty;
    EXPECT_LE(t.worst, 2) << "first at " << t.firstx << "," << t.firsty;
    EXPECT_LT(t.regroupedcalls, t.referencecalls);
  }
  ClearArena(ClearFor::NewGame);
  ClearDrawList();
}

// The title screen with the game's own pictures, as a player leaves it
// standing: its logo, menu and text drawn one to one sample their nearest
// texel, the letters from one sheet of the font so that a line of text
// goes out in one call, and not one pixel differs from the in-order
// reference.
TEST_F(RenderGL, TheTitleScreenMatchesTheInOrderReferenceToThePixel) {
  std::string why;
  if (!OpenDisplayWithGamePictures(&why)) GTEST_SKIP() << why;
  StartHeavyGame(true);
  SetDefaultConfig();
  explosionsetting = 0;
  DeriveStarCount();
  ReturnToFrontEnd(MenuState::Enter);
  for (int i = 0; i < 300; i++) {
    attracttimer = attractdelay;
    FrontEndFrame();
  }
  TwoWays t = PaintBothWays([] { RenderDrawList(); });
  RenderStats s = LastFrameRenderStats();
  EXPECT_EQ(t.differing, 0) << "first at " << t.firstx << "," << t.firsty << " worst " << t.worst;
  EXPECT_GT(s.nearest, s.quads / 4);
  long letters = std::count_if(drawlist.begin(), drawlist.end(), [](const tDRAW& d) { return d.img == fontimg; });
  EXPECT_GT(letters, 40);
  EXPECT_LT(s.flushes * 4, letters) << "letters go out a line at a time, not one a call";
  ClearArena(ClearFor::NewGame);
  ClearDrawList();
  SetDefaultConfig();
}

// The worst moments: a burst of explosion rings, magnified, over the busy
// playfield. Above the threshold the rings go to half resolution and the
// rest stays sharp; below it, or at Full, the frame is drawn as before.
TEST_F(RenderGL, HeavyGlowGoesToHalfResolutionOnlyAboveTheThresholdAndReadsTheSame) {
  std::string why;
  if (!OpenDisplayWithGamePictures(&why)) GTEST_SKIP() << why;
  StartHeavyGame(true);
  for (int i = 0; i < 30; i++) {
    TopUp();
    UpdateGame();
  }
  TImage* sprite = Solid(16, 16, 255, 255, 255, 255);
  bool playfield = true;
  int rings = 120;
  auto paint = [&] {
    if (playfield) RenderDrawList();
    PaintRingBurst(rings);
    // A small sprite and a ring just born in the same run, in a corner the
    // rings do not reach: both stay sharp.
    SetColor(255, 255, 255);
    SetAlpha(1);
    DrawImage(sprite, 40, 560, 0);
    SetScale(0.5f, 0.5f);
    DrawImage(partex01img, 50, 480, 0);
    SetScale(1, 1);
  };
  Painted full = PaintAt(RenderScale::Full, 1, paint);
  long drawn = full.additivearea;
  ASSERT_GT(drawn, 10L * 480000) << "the burst should cover many screens";
  EXPECT_EQ(full.halvedarea, 0) << "Full never halves";

  Painted under = PaintAt(RenderScale::Auto, drawn + 1, paint);
  EXPECT_EQ(under.halvedarea, 0);
  EXPECT_EQ(under.pixels, full.pixels) << "a frame under the threshold is drawn exactly as at full resolution";
  // Behind the menus the same glow is over its smaller share.
  SetGlowBudget(GlowBudget::Idle);
  Painted idle = PaintAt(RenderScale::Auto, drawn + 1, paint);
  SetGlowBudget(GlowBudget::Play);
  EXPECT_GT(idle.halvedarea, drawn / 2) << "an idle screen's glow goes to lower resolution sooner";

  Painted over = PaintAt(RenderScale::Auto, drawn / 4, paint);
  EXPECT_GT(over.halvedarea, drawn / 2) << "the rings go to half resolution";
  EXPECT_LT(over.halvedarea, drawn);
  if (const char* dump = std::getenv("PULSEFIELD_DUMP_HALF")) {
    std::string w;
    SavePNG(std::string(dump) + "-full.png", full.pixels, 800, 600, &w);
    SavePNG(std::string(dump) + "-half.png", over.pixels, 800, 600, &w);
  }
  Painted again = PaintAt(RenderScale::Auto, drawn / 4, paint);
  EXPECT_EQ(again.halvedarea, over.halvedarea) << "the same draw list takes the same decision";
  EXPECT_EQ(again.pixels, over.pixels);

  // To a player the rings read the same: a level or two apart on average
  // where they shine, no broad change of brightness; everything else (the
  // text, the sparks, the sprite) is untouched where the rings do not reach.
  long differing = 0, sum = 0, large = 0;
  for (size_t i = 0; i < full.pixels.size(); i += 4)
    for (int c = 0; c < 3; c++) {
      int d = std::abs((int)over.pixels[i + c] - (int)full.pixels[i + c]);
      sum += d;
      differing += d > 0;
      large += d > 48;
    }
  double meanlevels = (double)sum / (800.0 * 600 * 3);
  EXPECT_LT(meanlevels, 1.0);
  EXPECT_LT(large, 800 * 600 * 3 / 1000) << "at most a thousandth of channels visibly apart";
  // Without the playfield (which has large glows of its own, in runs too
  // small for Auto to halve, that Half halves all the same) Half halves
  // what Auto would, whatever the threshold, and the picture is the same
  // wherever the rings do not reach, the sprite's edges included.
  playfield = false;
  Painted alone = PaintAt(RenderScale::Full, 1, paint);
  Painted alonehalved = PaintAt(RenderScale::Half, LONG_MAX, paint);
  EXPECT_GT(alonehalved.halvedarea, 0);
  EXPECT_EQ(alonehalved.halvedarea, PaintAt(RenderScale::Auto, 1, paint).halvedarea)
      << "Half halves what Auto would, whatever the threshold";
  for (int y = 0; y < 600; y++)
    for (int x = 0; x < 800; x++) {
      if (x >= 100 && x < 700 && y < 560) continue;  // where the rings reach
      size_t i = ((size_t)y * 800 + x) * 4;
      ASSERT_EQ(std::memcmp(&alonehalved.pixels[i], &alone.pixels[i], 3), 0) << "at " << x << "," << y;
    }
  // A ring or two are not worth a pass of their own: Auto draws them at
  // full resolution whatever the threshold; Half still halves them.
  rings = 2;
  EXPECT_EQ(PaintAt(RenderScale::Auto, 1, paint).halvedarea, 0);
  EXPECT_GT(PaintAt(RenderScale::Half, 1, paint).halvedarea, 0);
  std::fprintf(stderr, "drawn %.1f screens, halved %.1f; mean %.2f levels, %ld channels apart, %ld by more than 48\n",
               drawn / 480000.0, over.halvedarea / 480000.0, meanlevels, differing, large);
  SetRotation(0);
  SetScale(1, 1);
  ClearArena(ClearFor::NewGame);
  ClearDrawList();
}

// A frame of everything the renderers must agree on: a picture in each
// blend mode over a coloured ground, mask mode's alpha test on every alpha,
// pictures turned and scaled up and down (filtered, mipmapped, neither), and
// lines of every width the game uses and more, every way, in every mode.
void PaintShowcase(const std::vector<TImage*>& pics) {
  SeedRandom(31);
  SetRotation(0);
  SetScale(100, 75);
  SetBlend(BLEND_SOLID);
  SetColor(70, 110, 150);
  SetAlpha(1);
  DrawImage(pics[3], 400, 300, 0);
  const int modes[] = {BLEND_MASK, BLEND_SOLID, BLEND_ALPHA, BLEND_LIGHT, BLEND_SHADE};
  for (int m = 0; m < 5; m++)
    for (size_t p = 0; p < pics.size(); p++) {
      SetBlend(modes[m]);
      SetColor(255 - m * 30, 128 + m * 20, 60 + (int)p * 30);
      SetAlpha(0.3f + 0.15f * (float)p);
      SetRotation(m * 37.0f + (float)p * 11);
      float scale = p % 2 ? 0.6f + m * 0.9f : 3.5f - m * 0.6f;
      SetScale(scale, scale * (p % 3 ? 1.0f : 0.7f));
      DrawImage(pics[p], 80 + m * 160.0f, 70 + p * 100.0f, 0);
    }
  SetRotation(0);
  SetScale(1, 1);
  const float widths[] = {1, 2, 3, 4.5f, 7};
  for (int w = 0; w < 5; w++)
    for (int m = 0; m < 5; m++) {
      SetLineWidth(widths[w]);
      SetBlend(modes[m]);
      SetColor(255, 200 - m * 40, 40 * w);
      SetAlpha(0.8f);
      float x = 40 + w * 150.0f + m * 25, y = 380 + m * 40.0f;
      DrawLine(x, y, x + 60, y, 0);          // across
      DrawLine(x, y + 5, x + 60, y + 25, 0);  // more across than down
      DrawLine(x + 60, y + 10, x, y + 35, 0);  // right to left
      DrawLine(x + 70, y, x + 75, y + 38, 0);  // more down than across
      DrawLine(x + 80, y + 38, x + 80, y, 0);  // straight up
    }
}

// How far the shader renderer's frames may be from the fixed-function
// renderer's: of a frame's 480,000 pixels, a quarter of a percent a level or
// two apart (a quad the fixed-function renderer cut into triangles the other
// way, a filtered texel a last bit apart), and of sprites alone a handful
// more than that (the alpha test of a texel a level from one half).
constexpr long kShaderPixelsApart = 1200;
constexpr long kShaderSpritePixelsBeyond = 10;

// The shader renderer paints what the fixed-function one paints. Lines
// alone may put up to kPixelsLevelsApart pixels further apart: a pixel
// centre exactly on the edge of a sloping line's band falls to either side
// by each renderer's own rounding, and a line across the picture's edge is
// cut there by the desktop's clipper before it is placed, which moves its
// end by a pixel.
TEST_F(RenderGL, TheShaderRendererPaintsTheFixedFunctionRenderersFrames) {
  std::vector<TImage*> pics = MixedPictures();
  struct Scene {
    const char* name;
    std::function<void()> paint;
    bool lines;
  };
  auto drawlist = [](void (*queue)()) {
    return [queue] {
      SeedRandom(11);
      queue();
      RenderDrawList();
    };
  };
  // The game's frames are played once and painted by each renderer (the
  // player steers by the real pointer, which is not the game's to keep still).
  auto game = [](bool withenemies) {
    StartHeavyGame(true);
    for (int i = 0; i < 60; i++) {
      TopUp();
      if (withenemies) TopUpEnemies();
      UpdateGame();
    }
    return [] { RenderDrawList(); };
  };
  QueueSyntheticGameFrame();  // makes its pictures, drawing from the generator
  std::vector<Scene> scenes = {
      {"showcase", [&] { PaintShowcase(pics); }, true},
      {"mixed sprites", [&] { PaintMixedFrame(pics, false); }, false},
      {"mixed sprites and lines", [&] { PaintMixedFrame(pics); }, true},
      {"synthetic game frame", drawlist(QueueSyntheticGameFrame), true},
      {"interleaved frame", drawlist(QueueInterleavedFrame), true},
  };
  std::string why;
  bool gamepictures = OpenDisplayWithGamePictures(&why);
  RenderScale scale = CurrentRenderScale();
  if (gamepictures) {
    // Magnified rings, which the shader renderer draws in pieces from
    // copies without mipmaps, at full resolution on both.
    scenes.push_back({"a burst of explosion rings", [] {
                        SetRenderScale(RenderScale::Full);
                        PaintRingBurst(40);
                      }, false});
    scenes.push_back({"busiest playfield", nullptr, true});
    scenes.push_back({"busiest playfield with enemies", nullptr, true});
  }
  for (Scene& scene : scenes) {
    SCOPED_TRACE(scene.name);
    if (!scene.paint) scene.paint = game(&scene == &scenes.back());
    TwoWays t = PaintOnBothRenderers(scene.paint);
    EXPECT_LE(t.differing, kShaderPixelsApart) << "first at " << t.firstx << "," << t.firsty;
    EXPECT_LE(t.beyond, scene.lines ? kPixelsLevelsApart : kShaderSpritePixelsBeyond)
        << "first at " << t.firstx << "," << t.firsty << " worst " << t.worst;
  }
  SetRenderScale(scale);
  ClearDrawList();
  gridlinesdrawer = nullptr;
  if (gamepictures) ClearArena(ClearFor::NewGame);
  if (!gamepictures) GTEST_SKIP() << "the game's frames: " << why;
}

// What the regrouped additive draws must not be drawn after.
TEST_F(RenderGL, PendingAdditiveDrawsGoOutBeforeAReadbackAnotherModeAClearOrAFlip) {
  TImage* sprite = Solid(16, 16, 255, 255, 255, 255);
  TImage* other = Solid(16, 16, 255, 255, 255, 255);
  Draw(sprite, 100, 100, BLEND_LIGHT, 200, 0, 0);
  Read();
  EXPECT_PIXEL(At(100, 100), 200, 0, 0);  // a readback sees it
  Draw(other, 100, 100, BLEND_LIGHT, 0, 0, 50);
  Draw(sprite, 100, 100, BLEND_SOLID, 0, 90, 0);  // another mode covers it
  Draw(sprite, 200, 100, BLEND_LIGHT, 200, 0, 0);
  Draw(sprite, 200, 100, BLEND_ALPHA, 0, 90, 0, 0.5f);  // blends over it
  Read();
  EXPECT_PIXEL(At(100, 100), 0, 90, 0);
  EXPECT_PIXEL(At(200, 100), 100, 45, 0);

  // The grid marker's lines, when not additive, cover the sprites before them.
  ClearDrawList();
  AddDraw(sprite, 300, 100, 0, 200, 0, 0, 1, 0, 1, 1, BLEND_LIGHT);
  AddDraw(nullptr, 0, 0, 0, GRID_MARKER, 0, 0, 0, 0, 1, 1, 0);
  gridlinesdrawer = [] {
    SetBlend(BLEND_SOLID);
    SetColor(0, 0, 255);
    SetLineWidth(3);
    DrawLine(280, 100, 320, 100, 0);
  };
  RenderDrawList();
  Read();
  EXPECT_PIXEL(At(300, 100), 0, 0, 255);
  EXPECT_PIXEL(At(300, 105), 200, 0, 0);
  gridlinesdrawer = nullptr;
  ClearDrawList();

  SetLineWidth(1);
  Draw(sprite, 400, 100, BLEND_LIGHT, 200, 0, 0);
  Cls();  // the clear wipes it
  Draw(sprite, 500, 100, BLEND_LIGHT, 0, 200, 0);
  Flip(0);  // drawn into the frame it was queued in
  EXPECT_EQ(LastFrameRenderStats().flushes, 1);
  Cls();
  Read();
  EXPECT_FALSE(Lit(400, 100));
  EXPECT_FALSE(Lit(500, 100));
}

// An additive run goes out once per picture and per line width, what
// crosses the picture's edge in calls of its own, what lies off it not at all.
TEST_F(RenderGL, AnAdditiveRunIsDrawnOncePerPictureAndWidthWithItsEdgeApart) {
  std::vector<TImage*> pics;
  for (int i = 0; i < 8; i++) pics.push_back(Solid(8, 8, 255, 255, 255, 255));
  SetBlend(BLEND_LIGHT);
  SetAlpha(0.1f);
  for (int i = 0; i < 800; i++) {
    SetLineWidth(1 + i % 3);
    DrawImage(pics[i % 8], 20 + i % 760, 20 + i % 560, 0);
    DrawLine(20, 20 + i % 560, 780, 20 + i % 560, 0);
  }
  Flip(0);
  RenderStats s = LastFrameRenderStats();
  EXPECT_EQ(s.flushes, 8 + 3);
  EXPECT_EQ(s.quads, 800);
  EXPECT_EQ(s.lines, 800);
  EXPECT_EQ(s.edge, 0);

  Cls();
  for (int i = 0; i < 800; i++) {
    SetLineWidth(1 + i % 3);
    DrawImage(pics[i % 8], 20 + i % 760, 20 + i % 560, 0);
    DrawLine(20, 20 + i % 560, 780, 20 + i % 560, 0);
  }
  DrawImage(pics[0], 2, 300, 0);          // across the left edge
  DrawLine(400, 300, 400, 700, 0);        // across the bottom
  DrawImage(pics[1], 850, 300, 0);        // wholly off
  SetLineWidth(3);
  DrawLine(-10, -5, 810, -5, 0);          // off, beyond its margin
  DrawLine(-10, -4, 810, -4, 0);          // within its width and a pixel: kept
  Flip(0);
  s = LastFrameRenderStats();
  EXPECT_EQ(s.flushes, 8 + 3 + 3);
  EXPECT_EQ(s.edge, 3);
  EXPECT_EQ(s.offscreen, 2);
}

// Full screen fills the desktop through the window manager; a bare X server
// leaves the window at its size, so only what holds either way is checked:
// the mode opens, the picture stays centred, and the window comes back.
TEST_P(RenderGLEither, FullScreenOpensAndSwitchesBackToAWindow) {
  CloseGraphics();
  bool full = OpenGraphics(800, 600, 32, 60, 0);
  if (full) {
    Cls();
    SetRotation(0);
    SetScale(1, 1);
    TImage* sprite = Solid(20, 20, 255, 128, 0, 255);
    Draw(sprite, 400, 300, BLEND_SOLID);
    Read();
  }
  CloseGraphics();
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  ASSERT_TRUE(full);
  EXPECT_PIXEL(At(400, 300), 255, 128, 0);
  EXPECT_PIXEL(At(405, 295), 255, 128, 0);
  Cls();
  TImage* sprite = Solid(20, 20, 0, 0, 255, 255);
  Draw(sprite, 10, 10, BLEND_SOLID);
  Read();
  EXPECT_PIXEL(At(1, 1), 0, 0, 255);
  EXPECT_PIXEL(At(22, 22), 0, 0, 0);
}

}  // namespace

// Full screen is the window manager's to grant; without one (a bare X
// server) the picture stays whole in the window, every corner of it shown,
// never fitted to a screen the window does not cover.
TEST_P(RenderGLEither, FullScreenShowsTheWholePictureWithOrWithoutAWindowManager) {
  CloseGraphics();
  ASSERT_TRUE(OpenGraphics(800, 600, 32, 60, 0));
  Cls();
  SetRotation(0);
  SetScale(1, 1);
  TImage* sprite = Solid(20, 20, 255, 128, 0, 255);
  for (int x : {10, 790})
    for (int y : {10, 590}) Draw(sprite, (float)x, (float)y, BLEND_SOLID);
  Read();
  for (int x : {2, 797})
    for (int y : {2, 597}) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      EXPECT_PIXEL(At(x, y), 255, 128, 0);
    }
  EXPECT_PIXEL(At(400, 300), 0, 0, 0);
  CloseGraphics();
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
}
