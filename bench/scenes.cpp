// The heavy scenes of the renderer's benchmarks and GL tests.
#include "bench/scenes.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/frame_loop.h"
#include "app/play_session.h"
#include "enemies/enemies.h"
#include "enemies/kinds.h"
#include "frontend/frontend.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"

namespace {
constexpr size_t kParticles = 2000;
constexpr size_t kBullets = 200;
TBank bordermap;

// A border map that frames the arena: a ring of tiles just outside it.
void BuildBorderMap() {
  bordermap.data.assign(1700, 0);
  for (int i = 0; i < 34; i++)
    for (int j = 0; j < 50; j++) {
      int wx = 32 * j + 32, wy = 32 * i + 64;
      bool ring = (wx >= 528 && wx <= 1616 && wy >= 272 && wy <= 1104) &&
                  (wx < 560 || wx > 1584 || wy < 304 || wy > 1072);
      if (ring) bordermap.data[50 * i + j] = (uint8_t)(1 + (i + j) % 6);
    }
}

}  // namespace

// Long-lived bouncing sparks and bullets fired from random points in random
// directions.
void TopUp() {
  while (partlist.size() < kParticles) {
    tPART& p = partlist.emplace_back();
    p.t = PART_BOUNCE;
    p.x = (float)RandFloat(600, 1540);
    p.y = (float)RandFloat(340, 1030);
    p.accel = (float)RandFloat(0.5, 3);
    p.ang = (float)RandInt(0, 359);
    p.alpha = 1;
    p.xscale = p.yscale = 1;
    p.img = part01img;
    p.blend = BLEND_LIGHT;
    p.r = 255;
    p.g = 200;
    p.b = 64;
    p.collrad = 8;
  }
  while (bulletlist.size() < kBullets) {
    tBULLET& b = bulletlist.emplace_back();
    b.x = (float)RandFloat(620, 1520);
    b.y = (float)RandFloat(360, 1010);
    b.speed = 12;
    b.ang = (float)RandInt(0, 359);
    b.rot = 180 - b.ang;
    b.collrad = 12;
    b.damage = 100;
    b.alpha = b.scale = 1;
    b.blend = BLEND_LIGHT;
    b.r = 255;
    b.g = 200;
    b.b = 64;
    b.img = playerbulletimg;
  }
}

// Start-up of just what the playfield needs, then a game in play; headless
// unless the real window (with the game's own pictures) is asked for.
void StartHeavyGame(bool real) {
  if (!real) {
    PlatformInit(PlatformKind::Headless);
    HeadlessReleaseAll();
    OpenGraphics(800, 600, 0, 60, 0);
  }
  SetDefaultConfig();
  gridsetting = 2;
  starsetting = 2;
  hitscoresetting = 1;
  explosionsetting = 2;
  DeriveStarCount();
  SeedRandom(1234);
  InitFontWidths();
  drawlist.reserve(4096);
  BuildBorderMap();
  SetupGrid(&bordermap);
  lastjoyport = JoystickCount() - 1;
  HeadlessSetMouse(600, 200);
  BeginGame();
  for (int i = 0; i < 400 && playstate != PlayState::Playing; i++) UpdateGame();
  // Warm-up: the lists reach their working size and keep their memory.
  for (int i = 0; i < 300; i++) {
    TopUp();
    UpdateGame();
  }
}

// Keeps 200 enemies of every kind in the arena, active: Snakes with full
// trails, two awake Holes (held below bursting), a Shieldship, Splinters, and
// the plain kinds; whatever dies (shot, swallowed, rammed) comes back.
void TopUpEnemies() {
  constexpr size_t kEnemies = 200;
  int holes = 0, shieldships = 0, snakes = 0, splinters = 0;
  for (tNME& n : nmelist) {
    holes += n.t == NME_HOLE;
    shieldships += n.t == NME_SHIELDSHIP;
    snakes += n.t == NME_SNAKE;
    splinters += n.t == NME_SPLINTER;
    if (n.t == NME_HOLE && n.mode == NME_ACTIVE) {
      n.counter1 = 1;  // awake
      if (n.energy > 4000) n.energy = 2000;
    }
  }
  while (nmelist.size() < kEnemies) {
    float x = (float)RandFloat(600, 1540), y = (float)RandFloat(340, 1030);
    size_t first = nmelist.size();
    if (holes < 2) {
      SpawnHole(x, y);
      holes++;
    } else if (shieldships < 1) {
      SpawnShieldship(x, y);
      shieldships++;
    } else if (snakes < 20) {
      SpawnSnake(x, y);
      snakes++;
    } else if (splinters < 30) {
      SpawnSplinter(x, y);
      splinters++;
    } else {
      switch (RandInt(0, 4)) {
        case 0: SpawnWanderer(x, y); break;
        case 1: SpawnChaser(x, y, 0); break;
        case 2: SpawnDodger(x, y, 0); break;
        case 3: SpawnWeaver(x, y); break;
        default: SpawnSpawnling(x, y, 0); break;
      }
    }
    for (size_t i = first; i < nmelist.size(); i++) {
      tNME& n = nmelist[i];
      if (n.mode == NME_SPAWNING && n.t != NME_SPLINTER && n.t != NME_SPAWNLING) {
        n.mode = NME_ACTIVE;
        n.alpha = 1;
        n.counter1 = n.t == NME_HOLE ? 1 : 0;
        n.counter2 = 0;
      }
      if (n.t == NME_SNAKE)
        for (int k = 0; k < 96; k++) {
          n.tabx[k] = n.x + (float)(k % 24);
          n.taby[k] = n.y + (float)k;
        }
    }
  }
  shield = 200;  // the ship rams what touches it and lives on
}

// The pictures stay loaded for the rest of the run.
bool OpenDisplayWithGamePictures(std::string* why) {
  std::string data = std::string(PULSEFIELD_BINARY_DIR) + "/data";
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display || !std::filesystem::is_directory(data + "/gfx")) {
    *why = "needs an X display and the generated data folder";
    return false;
  }
  static bool loaded = false;
  if (CurrentPlatform() != PlatformKind::Real || !GraphicsOpen()) {
    PlatformInit(PlatformKind::Real);
    if (!OpenGraphics(800, 600, 0, 60, 0, why)) return false;
  }
  if (!loaded) {
    SetDataDir(data);
    SetCentreHandles(1);
    SetMaskColor(0, 0, 0);
    LoadImages();
    loaded = true;
  }
  return true;
}

bool UseRenderer(const RenderBackend* renderer, std::string* why) {
  if (CurrentRenderBackend() == renderer && GraphicsOpen()) return true;
  CloseGraphics();
  SetRenderBackend(renderer);
  return OpenGraphics(800, 600, 0, 60, 0, why);
}

namespace {
std::vector<std::unique_ptr<TImage>> images;

// A soft round blob of one colour, 32x32, filtered and mipmapped like the game's.
TImage* Blob(int r, int g, int b) {
  std::vector<uint8_t> px(32 * 32 * 4);
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 32; x++) {
      float d = std::hypot(x - 15.5f, y - 15.5f) / 16.0f;
      float a = d >= 1 ? 0 : 1 - d;
      uint8_t* p = &px[(y * 32 + x) * 4];
      p[0] = (uint8_t)r;
      p[1] = (uint8_t)g;
      p[2] = (uint8_t)b;
      p[3] = (uint8_t)(a * 255);
    }
  TImage* img = CreateImageFromPixels(32, 32, px.data(), true, IMG_FILTERED | IMG_MIPMAPPED);
  img->handle_x = img->handle_y = 16;
  return img;
}

// The eight test pictures, made once (seeded, so every run draws the same ones).
void EnsureImages() {
  if (!images.empty()) return;
  SeedRandom(1234);
  for (int i = 0; i < 8; i++) {
    int r = RandInt(64, 255), g = RandInt(64, 255), b = RandInt(64, 255);
    images.emplace_back(Blob(r, g, b));
  }
}

// 6144 grid lines of width 2: a 64 x 48 lattice, gently bent.
void DrawLattice() {
  SetRotation(0);
  SetScale(1, 1);
  SetLineWidth(2);
  SetBlend(BLEND_LIGHT);
  SetAlpha(0.5f);
  int n = 0;
  for (int row = 0; row < 48 && n < 6144; row++)
    for (int col = 0; col < 64 && n < 6144; col++) {
      float x = col * 12.5f, y = row * 12.5f + std::sin(col * 0.3f) * 3;
      SetColor(32, 64 + row, 255 - col);
      DrawLine(x, y, x + 12.5f, y + std::sin(col * 0.3f + 0.3f) * 3 - std::sin(col * 0.3f) * 3, 0);
      DrawLine(x, y, x, y + 12.5f, 0);
      n += 2;
    }
}

void Sprites(int count, int image, int blend, float scale) {
  for (int i = 0; i < count; i++) {
    float x = (float)RandFloat(0, 800), y = (float)RandFloat(0, 600);
    int r = RandInt(64, 255), g = RandInt(64, 255), b = RandInt(64, 255);
    float alpha = (float)RandFloat(0.3f, 1), rot = (float)RandFloat(0, 360);
    AddDraw(images[image].get(), x, y, 0, r, g, b, alpha, rot, scale, scale, blend);
  }
}

}  // namespace

// A busy frame: each group shares one picture and one blend mode.
void QueueSyntheticGameFrame() {
  EnsureImages();
  gridlinesdrawer = DrawLattice;
  ClearDrawList();
  Sprites(256, 0, BLEND_LIGHT, 0.1f);             // stars
  AddDraw(nullptr, 0, 0, 0, GRID_MARKER, 0, 0, 0, 0, 1, 1, 0);
  for (int kind = 1; kind <= 4; kind++) Sprites(60, kind, BLEND_ALPHA, 0.8f);  // enemies
  Sprites(2000, 5, BLEND_LIGHT, 0.25f);           // particles
  Sprites(400, 6, BLEND_LIGHT, 0.3f);             // bullets
  Sprites(104, 7, BLEND_ALPHA, 0.5f);             // score sprites and HUD
}

// The worst case: every sprite changes picture and blend mode.
void QueueInterleavedFrame() {
  EnsureImages();
  gridlinesdrawer = DrawLattice;
  ClearDrawList();
  AddDraw(nullptr, 0, 0, 0, GRID_MARKER, 0, 0, 0, 0, 1, 1, 0);
  for (int i = 0; i < 3000; i++) Sprites(1, i % 8, i % 2 ? BLEND_LIGHT : BLEND_ALPHA, 0.3f);
}


void PaintRingBurst(int rings) {
  SeedRandom(41);
  SetBlend(BLEND_LIGHT);
  for (int i = 0; i < rings; i++) {
    TImage* ring = i % 2 ? partex02img : partex01img;
    float grow = (float)RandFloat(2, 6);
    float rot = (float)RandFloat(0, 360);
    float x = (float)RandFloat(300, 500);
    float y = (float)RandFloat(250, 350);
    int r = RandInt(64, 255);
    int g = RandInt(64, 255);
    int b = RandInt(64, 255);
    float alpha = (float)RandFloat(0.2, 0.8);
    SetColor(r, g, b);
    SetAlpha(alpha);
    SetRotation(rot);
    SetScale(grow, grow);
    DrawImage(ring, x, y, 0);
  }
  SetRotation(0);
  SetScale(1, 1);
}
