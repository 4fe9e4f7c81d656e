// The program's fixed-step frame loop and the global state dispatcher.
#pragma once
#include <string>

#include "services/services.h"

constexpr int framestep = 16;
extern int lasttime;
extern int ticksdue;
extern int showfps;
extern int f1latch;
extern int fps;
extern int fpsframes;
extern int fpstime;
extern std::string windowtitle;
// 1 when --play skips the intros and menus; 2 when --no-intro skips the intros.
constexpr int SKIP_TO_GAME = 1, SKIP_TO_TITLE = 2;
extern int skipintros;

void FrameDispatch();
void WaitTiming();
void CountFPS();
// One pass of the loop. Returns 0 when it did nothing: no time had passed,
// or (paced, or with the window in the background) no tick was due; 1 when
// it ran its due ticks and presented a picture (none while minimised).
int LoopPass();
// Start-up steps 1..14 (settings, display, seed, lists, bank, grid, scores, media).
struct StartOptions;
void StartUp(const StartOptions& opts);
// The exit code of an error that nothing handled (-1 as a byte).
constexpr int EXIT_UNHANDLED_ERROR = 255;
// The loop until quitflag, then saving; returns the exit code. An error
// thrown out of a tick ends the loop too, but still saves (code 255). Where
// the platform hosts the loop (a browser tab), it returns 0 at once and the
// host runs LoopRound each frame until it says no, then EndLoop.
int RunLoop(const StartOptions& opts);
bool LoopRound();
int EndLoop();
void ShutDownSaves();
