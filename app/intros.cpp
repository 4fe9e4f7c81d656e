// The two logo sequences before the title: the group logo (its name fading
// in, an arc uncovered by a sliding mask, a tagline) and the engine splash
// (two words easing together, a light line throwing sparks, a white shine).
// Each fades out to black; a key, a joystick button or a mouse button jumps
// to the fade-out. Each plays once a run, from the values EnterIntros sets.
#include "app/intros.h"

#include "app/frame_loop.h"
#include "frontend/frontend.h"
#include "platform/audio.h"
#include "platform/input.h"
#include "playfield/particles.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/press_latch.h"
#include "services/random.h"

// The group-logo intro (grouplatch is set while skip input is held).
int groupphase, grouplatch;
float groupfade, groupmaskx, grouptextalpha, groupoutfade;
int grouploadstarted, groupvoicestarted;
TChannel grouploadchannel, groupvoicechannel;

// The engine-logo splash.
int splashphase, splashlatch, splashfade, splashsoundstarted;
TChannel splashchannel;
float splashalpha, splashtopy, splashbottomy, splashlinex, splashlinealpha;
float splashsparkalpha, splashsparkscale, splashshine, splashshinealpha;

// Both intros from their first tick; input held as they start does not skip.
void EnterIntros() {
  groupphase = GROUP_FADE_IN;
  grouplatch = 1;
  groupfade = 0;
  groupmaskx = 64;
  grouptextalpha = 0;
  groupoutfade = 383;
  grouploadstarted = groupvoicestarted = 0;
  splashphase = SPLASH_FADE_IN;
  splashlatch = 1;
  splashfade = -64;
  splashsoundstarted = 0;
  splashalpha = 0;
  splashtopy = 172;
  splashbottomy = 428;
  splashlinex = 144;
  splashlinealpha = 0;
  splashsparkalpha = 0;
  splashsparkscale = 4;
  splashshine = 384;
  splashshinealpha = 0;
  SetGameState(GameState::GroupIntro);
}

// A picture at brightness v (cut to an integer; the renderer clamps it).
static void Bright(TImage* img, float x, float y, float v, float alpha, int blend, float sx = 1,
                   float sy = 1) {
  int c = (int)v;
  AddDraw(img, x, y, 0, c, c, c, alpha, 0, sx, sy, blend);
}

// True while any key, joystick button or mouse button 1 or 2 is held.
static bool SkipInputHeld() {
  return AnyKeyDown() || AnyJoyButtonDown() || MouseDown(MOUSE_LEFT) || MouseDown(MOUSE_RIGHT);
}

// Skip input before the fade-out jumps to it, once per press.
static void SkipTest(int& phase, int& latch, int fadeout) {
  if (PressedOnce(latch, SkipInputHeld() && phase < fadeout)) phase = fadeout;
}

// The name fades in while the loading sound plays.
static void GroupFadeIn() {
  Bright(kelvaneimg, 412, 300, groupfade, 1, BLEND_ALPHA);
  if (grouploadstarted == 0) {
    grouploadchannel = PlaySound(kelvloadsnd);
    grouploadstarted = 1;
  }
  groupfade += 1.5f;
  if (groupfade > 255) groupphase = GROUP_WIPE;
}

// A multiplied mask slides left over the arc, uncovering it.
static void GroupWipe() {
  Bright(kelvarcimg, 328, 308, 255, 1, BLEND_ALPHA);
  Bright(kelvarcmaskimg, 328 + groupmaskx, 308, 255, 1, BLEND_SHADE, 2, 1);
  Bright(kelvaneimg, 412, 300, groupfade, 1, BLEND_ALPHA);
  groupmaskx -= 15;
  if (groupmaskx < -128) groupphase = GROUP_TAGLINE;
}

// The tagline fades in under the name with the voice.
static void GroupTagline() {
  Bright(kelvarcimg, 328, 308, 255, 1, BLEND_ALPHA);
  Bright(kelvaneimg, 412, 300, groupfade, 1, BLEND_ALPHA);
  Bright(kelvtextimg, 412, 324, 255, grouptextalpha, BLEND_ALPHA);
  if (groupvoicestarted == 0) {
    groupvoicechannel = PlaySound(kelvvoicesnd);
    groupvoicestarted = 1;
  }
  grouptextalpha += 0.01f;
  if (grouptextalpha > 1) groupphase = GROUP_FADE_OUT;
}

// Everything at once, holding full brightness for 32 ticks, then to black;
// the sounds stop.
static void GroupFadeOut() {
  Bright(kelvarcimg, 328, 308, groupoutfade, 1, BLEND_ALPHA);
  Bright(kelvaneimg, 412, 300, groupoutfade, 1, BLEND_ALPHA);
  Bright(kelvtextimg, 412, 324, groupoutfade, 1, BLEND_ALPHA);
  groupoutfade -= 4;
  if (groupoutfade < 0) groupphase = GROUP_END;
  StopChannel(grouploadchannel);
  StopChannel(groupvoicechannel);
}

void GroupIntro() {
  ClearDrawList();
  switch (groupphase) {
    case GROUP_FADE_IN: GroupFadeIn(); break;
    case GROUP_WIPE: GroupWipe(); break;
    case GROUP_TAGLINE: GroupTagline(); break;
    case GROUP_FADE_OUT: GroupFadeOut(); break;
    default: SetGameState(GameState::Splash); break;
  }
  SkipTest(groupphase, grouplatch, GROUP_FADE_OUT);
}

// The background fades in from black; the sound starts once it shows.
static void SplashFadeIn() {
  Bright(qvobgimg, 400, 300, (float)splashfade, 1, BLEND_ALPHA);
  splashfade += 5;
  if (splashfade > 0 && splashsoundstarted == 0) {
    splashchannel = PlaySound(qvosoundsnd);
    splashsoundstarted = 1;
  }
  if (splashfade > 255) splashphase = SPLASH_SLIDE;
}

// The two words ease together onto the centre line.
static void SplashSlide() {
  Bright(qvobgimg, 400, 300, 255, 1, BLEND_ALPHA);
  Bright(qvozarqimg, 400, splashtopy, 255, splashalpha, BLEND_ALPHA);
  Bright(qvozorvimg, 400, splashbottomy, 255, splashalpha, BLEND_ALPHA);
  if (splashalpha < 1) splashalpha += 0.01f;
  if (splashtopy < 300) splashtopy += (301 - splashtopy) / 32;
  if (splashbottomy > 300) {
    splashbottomy += (299 - splashbottomy) / 32;
  } else {
    splashphase = SPLASH_LINE;
  }
}

// Three sparks off the tip of the light line.
static void EmitSparks() {
  for (int i = 0; i < 3; i++) {
    tPART& p = NewParticle();
    p.t = PART_SINK;
    p.x = splashlinex + 108;
    p.y = 356;
    p.accel = (float)RandFloat(1, 3);
    p.accelchange = -0.05f;
    p.ang = (float)RandFloat(0, 359);
    p.alpha = splashsparkalpha;
    p.alphachange = -0.1f;
    p.xscale = p.yscale = splashsparkscale;
    p.xscalechange = p.yscalechange = -0.1f;
    p.img = star02img;
    p.blend = BLEND_LIGHT;
    p.r = 255;
    p.g = RandInt(128, 255);
    p.b = 32;
  }
}

// The light line eases across under its cover, throwing sparks; near the
// end the shine comes up.
static void SplashLine() {
  Bright(qvobgimg, 400, 300, 255, 1, BLEND_ALPHA);
  Bright(qvozarqimg, 400, 300, 255, 1, BLEND_ALPHA);
  Bright(qvozorvimg, 400, 300, 255, 1, BLEND_ALPHA);
  Bright(qvolineimg, splashlinex, 300, 255, splashlinealpha, BLEND_ALPHA);
  Bright(qvocoverimg, 180, 300, 255, 1, BLEND_ALPHA);
  Bright(qvoshineimg, 400, 300, splashshine, splashshinealpha, BLEND_LIGHT);
  if (splashlinealpha < 1) {
    splashlinealpha += 0.01f;
    splashsparkalpha += 0.05f;
  }
  if (splashlinex >= 400) {
    splashphase = SPLASH_FADE_OUT;
    return;
  }
  splashlinex += (401 - splashlinex) / 32;
  if (splashlinex > 392) splashshinealpha += 0.01f;
  if (splashlinex < 392) EmitSparks();
}

// Full white for 32 ticks, to black over 64, then 40 ticks of black.
static void SplashFadeOut() {
  Bright(qvobgimg, 400, 300, splashshine, 1, BLEND_ALPHA);
  Bright(qvozarqimg, 400, 300, splashshine, 1, BLEND_ALPHA);
  Bright(qvozorvimg, 400, 300, splashshine, 1, BLEND_ALPHA);
  Bright(qvolineimg, 400, 300, splashshine, 1, BLEND_ALPHA);
  Bright(qvoshineimg, 400, 300, splashshine, splashshinealpha, BLEND_LIGHT);
  splashshinealpha -= 0.01f;
  if (splashshine > -160) {
    splashshine -= 4;
  } else {
    splashphase = SPLASH_END;
  }
}

void SplashIntro() {
  ClearDrawList();
  switch (splashphase) {
    case SPLASH_FADE_IN: SplashFadeIn(); break;
    case SPLASH_SLIDE: SplashSlide(); break;
    case SPLASH_LINE: SplashLine(); break;
    case SPLASH_FADE_OUT: SplashFadeOut(); break;
    default:
      StopChannel(splashchannel);
      ReturnToFrontEnd(MenuState::Enter);
      break;
  }
  SkipTest(splashphase, splashlatch, SPLASH_FADE_OUT);
  UpdateParticles();
}
