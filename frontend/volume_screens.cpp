// The two volume screens: a bar and the percentage over the title, raised
// and lowered a step every tick while an input is held, left with a press;
// the effects screen lets the player hear the level being set.
#include <cstdio>
#include <string>

#include "frontend/frontend.h"
#include "frontend/menu_screens.h"
#include "frontend/menus.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/press_latch.h"
#include "services/sfx.h"

// What the pointer is over on a volume screen.
enum class VolumeHover { None, Quieter, Louder, Done };

// The bar is VOLUME_BAR_WIDTH pixels wide at full volume and tall enough to
// carry the percentage printed over it: the plain white picture stretched.
constexpr float VOLUME_BAR_WIDTH = 200;
constexpr float VOLUME_BAR_HEIGHT = 28;
// At or below this the screen says "MUTE" and shows no bar.
constexpr float VOLUME_MUTE = 0.01f;

// Ticks until the effects screen may sound its sample again: while the
// volume changes, an explosion plays at the new level a few times a second.
static int previewwait = 0;

static void OpenVolumePanel(MenuState adjust) {
  previewwait = 0;  // the first change is heard at once
  AddPanel(432, {"Use UP and DOWN to change VOLUME", "", "", ""});
  menustate = adjust;
  buttonlatch = 1;  // the key that chose the entry must be let go first
}

void OpenMusicVolume() { OpenVolumePanel(MenuState::MusicVolumeAdjust); }
void OpenEffectsVolume() { OpenVolumePanel(MenuState::EffectsVolumeAdjust); }

// The scales that stretch the bar's picture to v x 200 pixels by 28.
static float VolumeBarXScale(float v) {
  int width = whiteimg && whiteimg->width > 0 ? whiteimg->width : 1;
  return v * VOLUME_BAR_WIDTH / (float)width;
}
static float VolumeBarYScale() {
  int height = whiteimg && whiteimg->height > 0 ? whiteimg->height : 1;
  return VOLUME_BAR_HEIGHT / (float)height;
}

// The bar with the whole percentage printed on it, or "MUTE" when there is
// next to nothing to show.
static void DrawVolume(float v) {
  if (v > VOLUME_MUTE) {
    AddDraw(whiteimg, 400, 450, 0, 16, 255, 16, 1, 0, VolumeBarXScale(v), VolumeBarYScale(),
            BLEND_LIGHT);
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", (int)(v * 100));
    DrawFontText(text, 400, 438, 8, 64, 8, 1, BLEND_ALPHA, 1, 1, 1);
  } else {
    DrawFontText("MUTE", 400, 438, 32, 192, 32, 1, BLEND_ALPHA, 1, 1, 1);
  }
}

// The two arrows and "done" under the pointer, bounds exclusive.
static VolumeHover PointerOver(int mx, int my) {
  if (136 < mx && mx < 184 && 430 < my && my < 470) return VolumeHover::Quieter;
  if (616 < mx && mx < 664 && 430 < my && my < 470) return VolumeHover::Louder;
  if (360 < mx && mx < 440 && 468 < my && my < 500) return VolumeHover::Done;
  return VolumeHover::None;
}

static void DrawHoverText(const char* text, int x, int y, bool hovered) {
  if (hovered) {
    DrawFontText(text, x, y, 255, 255, 32, 1, BLEND_ALPHA, 1, 1, 1);
  } else {
    DrawFontText(text, x, y, 32, 192, 32, 1, BLEND_ALPHA, 1, 1, 1);
  }
}

// One step louder or quieter while an input is held (no latch: the value
// runs on every tick), kept within 0..1 whatever float stepping leaves.
static void StepVolume(float& v, VolumeHover hover) {
  float s = ReadJoyAxis(JOY_MOVE_Y);
  bool click = MouseDown(MOUSE_LEFT) != 0;
  bool louder = s < -0.5f || KeyDown(keyup) || KeyDown(VK_UP) || (click && hover == VolumeHover::Louder);
  if (louder) {
    if (v < 1) v += VOLUME_STEP;
  } else {
    bool quieter =
        s > 0.5f || KeyDown(keydown) || KeyDown(VK_DOWN) || (click && hover == VolumeHover::Quieter);
    if (quieter && v > 0) v -= VOLUME_STEP;
  }
  v = SafeVolume(v);
}

// Any joystick button, a click on "done", space, Enter or Escape leaves,
// once whatever opened the screen has been let go, and keeps the level.
static void LeaveOnPress(VolumeHover hover) {
  bool leave = AnyJoyButtonDown() || (MouseDown(MOUSE_LEFT) && hover == VolumeHover::Done) ||
               KeyDown(VK_SPACE) || KeyDown(VK_RETURN) || KeyDown(VK_ESCAPE);
  if (!PressedOnce(buttonlatch, leave)) return;
  menustate = MenuState::Audio;
  menulist.clear();
  PlayFX(Sfx::MenuSelect, -1);
  KeepSettings();
}

static void VolumeScreen(float& v, bool music) {
  RunFrontEnd();
  DrawVolume(v);
  VolumeHover hover = PointerOver(MouseX(), MouseY());
  DrawHoverText("<<<<", 160, 438, hover == VolumeHover::Quieter);
  DrawHoverText(">>>>", 640, 438, hover == VolumeHover::Louder);
  DrawHoverText("done", 400, 467, hover == VolumeHover::Done);
  float before = v;
  StepVolume(v, hover);
  // The playing title track follows the music volume as it changes; an
  // effect takes the effects volume when it starts, so the effects screen
  // plays one now and then while the level moves.
  if (music) {
    ApplyMusicVolume();
  } else {
    if (previewwait > 0) previewwait--;
    if (v != before && previewwait == 0) {
      PlayFX(EFFECTS_PREVIEW_SOUND, -1);
      previewwait = EFFECTS_PREVIEW_TICKS;
    }
  }
  LeaveOnPress(hover);
}

void MusicVolumeScreen() { VolumeScreen(musicvolume, true); }
void EffectsVolumeScreen() { VolumeScreen(fxvolume, false); }
