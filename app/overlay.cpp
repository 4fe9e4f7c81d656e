// The F2 debug overlay and the statistics line of headless runs.
#include "app/overlay.h"

#include <cstdio>

#include "app/frame_loop.h"
#include "app/play_session.h"
#include "enemies/enemies.h"
#include "enemies/wave_director.h"
#include "platform/input.h"
#include "platform/input_replay.h"
#include "platform/keycodes.h"
#include "platform/render.h"
#include "playfield/bullets.h"
#include "playfield/particles.h"
#include "playfield/playfield.h"
#include "services/draw.h"
#include "services/press_latch.h"

int showoverlay = 0;
static int f2latch = 1;

// F2 flips the overlay once per press; a key held from before does nothing.
// It is the keyboard's own F2, so a replay follows its watcher, not the
// player it recorded.
void ToggleOverlay() {
  if (PressedOnce(f2latch, InputDeviceKeyDown(VK_F2))) showoverlay = 1 - showoverlay;
}

// One line of the overlay, small and left-aligned under the score.
static void OverlayLine(int line, const char* label, const std::string& value) {
  DrawFontText(std::string(label) + " " + value, 16, 72 + 14 * line, 255, 255, 128, 0, BLEND_ALPHA,
               0.8f, 0.45f, 0.45f);
}

void DrawOverlay() {
  if (!showoverlay) return;
  char skill[16];
  std::snprintf(skill, sizeof skill, "%.2f", attackskill);
  int line = 0;
  OverlayLine(line++, "attackmode:", std::to_string(attackmode));
  OverlayLine(line++, "attacklimit:", std::to_string(attacklimit));
  OverlayLine(line++, "attackskill:", skill);
  OverlayLine(line++, "Total Killed:", std::to_string(totalkilled));
  OverlayLine(line++, "Killed:", std::to_string(killed));
  OverlayLine(line++, "Enemies:", std::to_string(nmelist.size()));
  OverlayLine(line++, "Particles:", std::to_string(partlist.size()));
  OverlayLine(line++, "Bullets:", std::to_string(bulletlist.size()));
}

std::string StatsLine() {
  std::string s = "stats: ticks=" + std::to_string(tickcount) + " games=" +
                  std::to_string(gamesstarted) + " score=" + std::to_string(score) +
                  " lives_lost=" + std::to_string(liveslost);
  for (int t = 0; t < NME_KINDS; t++) {
    if (!IsKind(t)) continue;
    std::string kind = KindInfo(t).name;
    s += " spawned_" + kind + "=" + std::to_string(nmespawned[t]);
    s += " killed_" + kind + "=" + std::to_string(nmekilled[t]);
  }
  return s;
}
