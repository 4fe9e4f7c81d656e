// A minimal front end until the menus land: the title logo, Enter to play,
// Escape to quit.
#include "frontend/frontend.h"

#include "platform/input.h"
#include "shell/draw.h"
#include "shell/frame_loop.h"
#include "shell/media.h"

int menustate = 0;
int lastjoyport = -1;
int attracttimer = attractdelay;
static int frontlatch = 1;

// One tick of the front end.
void FrontEndFrame() {
  ClearDrawList();
  AddDraw(titlelogoimg, 400, 200, 0, 255, 255, 255, 1, 0, 1, 1, BLEND_LIGHT);
  DrawFontText("PRESS ESCAPE TO QUIT", 400, 400, 255, 255, 255, 1, BLEND_ALPHA, 1, 1, 1);
  DrawFontText(version, 400, 560, 128, 128, 128, 1, BLEND_ALPHA, 1, 0.5f, 0.5f);
  if (KeyDown(27)) {
    if (!frontlatch) quitflag = 1;
  } else {
    frontlatch = 0;
  }
}
