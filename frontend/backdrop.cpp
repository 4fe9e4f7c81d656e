// The title backdrop: the logo over a drifting star field and the arena's
// grid, decorative explosions going off behind the menus.
#include "frontend/backdrop.h"

#include "frontend/menus.h"
#include "platform/input.h"
#include "playfield/particles.h"
#include "playfield/stars.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"
#include "services/services.h"
#include "services/sfx.h"

const std::string kCreditLine = "pulsefield - a game of light and springs";

void BeginBackdropTick() {
  ClearDrawList();
  ClearFX();
  UpdateStars();
  UpdateParticles();
}

void DrawCreditAndVersion() {
  DrawFontText(kCreditLine, 400, 552, 32, 255, 32, 1, BLEND_ALPHA, 1, 1, 1);
  DrawFontText(version, 760, 576, 32, 255, 32, 1, BLEND_ALPHA, 0.25f, 0.5f, 0.5f);
}

void DrawPointer() {
  AddDraw(playersightimg, (float)MouseX(), (float)MouseY(), 0, 64, 255, 64, 1, 0, 1, 1,
          BLEND_ALPHA);
}

// The y position is drawn before the x, so the pair comes out of the
// generator in that order.
void ExplosionCountdown() {
  explosiontimer -= 1;
  if (explosiontimer < 0) {
    float y = (float)RandFloat(304, 1072);
    float x = (float)RandFloat(560, 1584);
    SpawnExplosion(x, y);
    explosiontimer = 2;
  }
}

void TitleBackdrop() {
  BeginBackdropTick();
  AddDraw(titlelogoimg, 400, 150, 0, 32, 255, 32, 1, 0, 1, 1, BLEND_ALPHA);
  DrawFontText("kelv ashfall", 664, 204, 32, 255, 32, 1, BLEND_ALPHA, 1, 1, 1);
  DrawCreditAndVersion();
  DrawPointer();
  UpdateMenus();
  ExplosionCountdown();
}
