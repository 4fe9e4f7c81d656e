// The scripted player: steering, aim, bombs and the quit prompt, read off
// the game's globals a tick at a time.
#include "tools/scripted_player.h"

#include <algorithm>
#include <cmath>

#include "app/frame_loop.h"
#include "frontend/menus.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "playfield/angles.h"
#include "playfield/bullets.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/controls.h"

namespace {

// What the player does on the ticks around the quit prompt and the end.
constexpr long kPromptFrom = 700;  // the prompt opens on the first tick of play from here
constexpr long kPromptWait = 30;   // ticks it stays up before a key resumes
constexpr long kQuitTicks = 100;   // the last ticks tap the quit control
// How the player reads the arena.
constexpr float kDangerReach = 260, kHoleReach = 340, kWallMargin = 150;
constexpr float kCrowdRadius = 140, kCloseRadius = 56;
constexpr int kCrowdCount = 4;
constexpr int kMoveNotches = 16, kFireNotches = 32;  // stick directions the player tells apart
constexpr float kAimSlack = 4;                      // degrees the pointer may be off before it moves
constexpr float kLean = 0.38f;  // a direction this far along an axis (over 22 degrees off the other) presses it
constexpr float kArenaMidX = (ARENA_LEFT + ARENA_RIGHT) / 2, kArenaMidY = (ARENA_TOP + ARENA_BOTTOM) / 2;

// The player's memory between ticks.
struct ScriptMemory {
  long resumeat = -1;  // tick a key resumes from the prompt (-1: not opened yet)
  long bombuntil = -1;
};
ScriptMemory memo;

}  // namespace

bool AwakeHole(const tNME& n) { return n.t == NME_HOLE && n.mode == NME_ACTIVE && n.counter1 == 1; }
bool Joystick(int type) { return type == 1 || type == 3; }

namespace {

// A stick pushed all the way toward (x, y), its direction one of a number
// of notches round the circle: it moves only when the wanted way leaves its
// notch, as a player's thumb does.
void StickAt(float x, float y, int notches, float* sx, float* sy) {
  if (x == 0 && y == 0) {
    *sx = *sy = 0;
    return;
  }
  float step = 360.0f / (float)notches;
  float a = std::round(ATan2(x, y) / step) * step;
  *sx = SinDeg(a);
  *sy = CosDeg(a);
}

// Presses the keys of a direction (x, y), a key per axis where it leans that way.
void PressTowards(float x, float y, int left, int right, int up, int down) {
  float len = std::hypot(x, y);
  if (len == 0) return;
  if (x > kLean * len) HeadlessSetKey(right, 1);
  if (x < -kLean * len) HeadlessSetKey(left, 1);
  if (y > kLean * len) HeadlessSetKey(down, 1);
  if (y < -kLean * len) HeadlessSetKey(up, 1);
}

// The ship's way out: away from each enemy in reach (an awake Hole most of
// all, unless it spares them), off the walls, and round the middle when
// nothing is near.
void Steering(long t, bool spareholes, float* vx, float* vy) {
  float ax = 0, ay = 0;
  for (const tNME& n : nmelist) {
    bool hole = AwakeHole(n);
    if (n.mode == NME_DYING || (hole && spareholes)) continue;
    float reach = hole ? kHoleReach : kDangerReach;
    float dx = playerx - n.x, dy = playery - n.y, d = std::hypot(dx, dy);
    if (d >= reach || d == 0) continue;
    float w = (n.mode == NME_ACTIVE ? 1.0f : 0.4f) * (hole ? 3.0f : 1.0f) * (reach - d) / reach;
    ax += dx / d * w;
    ay += dy / d * w;
  }
  auto wall = [](float gap) { return gap < kWallMargin ? 1.5f * (kWallMargin - gap) / kWallMargin : 0.0f; };
  ax += wall(playerx - ARENA_LEFT) - wall(ARENA_RIGHT - playerx);
  ay += wall(playery - ARENA_TOP) - wall(ARENA_BOTTOM - playery);
  if (std::hypot(ax, ay) < 0.05f) {
    double a = t * 0.6 * 3.14159265358979 / 180.0;
    ax = kArenaMidX + 240 * (float)std::sin(a) - playerx;
    ay = kArenaMidY + 170 * (float)std::cos(a) - playery;
  }
  *vx = ax;
  *vy = ay;
}

// The nearest enemy to shoot at: an active one before one still spawning in;
// a sparing player leaves an awake Hole alone.
const tNME* Target(bool spareholes) {
  const tNME* best = nullptr;
  float bestd = 0;
  for (const tNME& n : nmelist) {
    if (n.mode == NME_DYING || (spareholes && AwakeHole(n))) continue;
    float d = std::hypot(n.x - playerx, n.y - playery) + (n.mode == NME_ACTIVE ? 0 : 400);
    if (!best || d < bestd) {
      best = &n;
      bestd = d;
    }
  }
  return best;
}

// A bomb is worth it when enemies crowd the ship or one is about to touch it.
bool Crowded() {
  int crowd = 0;
  for (const tNME& n : nmelist) {
    if (n.mode != NME_ACTIVE || AwakeHole(n)) continue;
    float d = std::hypot(n.x - playerx, n.y - playery);
    if (d < kCloseRadius + n.collrad) return true;
    crowd += d < kCrowdRadius;
  }
  return crowd >= kCrowdCount;
}

}  // namespace

void ResetScript() {
  memo = ScriptMemory{};
}

void ScriptTick(const ScriptedGame& s, long t) {
  HeadlessReleaseAll();
  int type = s.controltype;
  if (gamestate != GameState::Game) return;
  // The quit control: Escape, or the start button on a joystick.
  auto quitcontrol = [&] {
    if (Joystick(type)) HeadlessSetJoyButton(0, joyaxis[JOY_START], 1);
    else HeadlessSetKey(VK_ESCAPE, 1);
  };
  // Nothing is held round the prompt (any key or button resumes, and the
  // game stays paused until it is let go) but the key that resumes.
  if (playstate == PlayState::OpenPrompt || playstate == PlayState::Prompt) {
    if (t >= s.ticks - kQuitTicks) {
      if (t % 10 < 3) quitcontrol();
    } else if (t >= memo.resumeat && t < memo.resumeat + 3) {
      // A key, for every control type.
      HeadlessSetKey(VK_X, 1);
    }
    return;
  }
  if (playstate != PlayState::Playing) return;
  if (t >= s.ticks - kQuitTicks) {
    if (t % 10 < 3) quitcontrol();
    return;
  }
  if (memo.resumeat < 0 && t >= kPromptFrom) {
    memo.resumeat = t + kPromptWait;
    quitcontrol();
    return;
  }

  float vx, vy;
  Steering(t, s.spareholes, &vx, &vy);
  if (Joystick(type)) {
    float x, y;
    StickAt(vx, vy, kMoveNotches, &x, &y);
    HeadlessSetJoyAxis(0, joyaxis[JOY_MOVE_X], x);
    HeadlessSetJoyAxis(0, joyaxis[JOY_MOVE_Y], y);
  } else {
    PressTowards(vx, vy, keyleft, keyright, keyup, keydown);
  }

  if (const tNME* n = Target(s.spareholes)) {
    float fx = n->x - playerx, fy = n->y - playery, len = std::hypot(fx, fy);
    if (len > 0) {
      switch (type) {
        case 0: {
          // The pointer moves when the aim is off by more than a few degrees.
          float ax = MouseX() + camx - playerx, ay = MouseY() + camy - playery;
          float off = std::fabs(WithinHalfTurn(ATan2(ax, ay), ATan2(fx, fy)) - ATan2(fx, fy));
          if (off > kAimSlack || std::hypot(ax, ay) < 1)
            HeadlessSetMouse(std::clamp((int)(n->x - camx), 0, 799), std::clamp((int)(n->y - camy), 0, 599));
          HeadlessSetMouseButton(MOUSE_LEFT, 1);
          break;
        }
        case 1: {
          float x, y;
          StickAt(fx, fy, kFireNotches, &x, &y);
          HeadlessSetJoyAxis(0, joyaxis[JOY_FIRE_X], x);
          HeadlessSetJoyAxis(0, joyaxis[JOY_FIRE_Y], y);
          break;
        }
        case 2:
          PressTowards(fx, fy, keyfireleft, keyfireright, keyfireup, keyfiredown);
          break;
        default: {
          constexpr int kUp = 0, kDown = 1, kLeft = 2, kRight = 3;  // the order of joyfirebutton
          if (fy < -kLean * len) HeadlessSetJoyButton(0, joyfirebutton[kUp], 1);
          if (fy > kLean * len) HeadlessSetJoyButton(0, joyfirebutton[kDown], 1);
          if (fx < -kLean * len) HeadlessSetJoyButton(0, joyfirebutton[kLeft], 1);
          if (fx > kLean * len) HeadlessSetJoyButton(0, joyfirebutton[kRight], 1);
        }
      }
    }
  }

  if (bombs > 0 && bombstate == BOMB_IDLE && shield == 0 && t > memo.bombuntil && Crowded()) memo.bombuntil = t + 3;
  if (t < memo.bombuntil) {
    if (Joystick(type)) HeadlessSetJoyAxis(0, joyaxis[JOY_BOMB], 1);
    else HeadlessSetKey(keybomb, 1);
  }
}
