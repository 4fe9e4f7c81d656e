// The program's start-up, its fixed 16 ms tick loop and the state dispatcher.
#include "app/frame_loop.h"

#include <cstdio>
#include <exception>
#include <string>

#include "app/app.h"
#include "app/intros.h"
#include "app/options.h"
#include "app/play_session.h"
#include "app/replay_run.h"
#include "app/screenshot.h"
#include "app/timedemo.h"
#include "frontend/frontend.h"
#include "frontend/highscores.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/input_replay.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "playfield/grid.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/draw.h"
#include "services/fatal.h"
#include "services/media.h"
#include "services/press_latch.h"
#include "services/random.h"
#include "services/sfx.h"

int lasttime = 0;
int ticksdue = 0;
int showfps = 0;
int f1latch = 1;
int fps = 0;
int fpsframes = 0;
int fpstime = 0;
std::string windowtitle;
int skipintros = 0;

static bool vsyncloop = false, headlessloop = false;

// One tick: the handler of the current state, the F1 toggle of the readout.
void FrameDispatch() {
  CountTick();
  InputBeginTick();
  ReplayBeforeTick();
  switch (gamestate) {
    case GameState::FrontEnd: FrontEndFrame(); break;
    case GameState::Game: UpdateGame(); break;
    case GameState::GroupIntro: GroupIntro(); break;
    case GameState::Splash: SplashIntro(); break;
    case GameState::WaitTiming: WaitTiming(); break;
  }
  // The watcher's own key, not the recording's: a replay never turns the
  // readout on or off.
  if (PressedOnce(f1latch, InputDeviceKeyDown(VK_F1))) showfps = (showfps + 1) % 2;
  CheckScreenshotKey();
  ReplayAfterTick();
  InputTickDone();
}

// Paints the picture the ticks queued with the frame-rate readout on top.
// What a replay's watcher is told along the foot of the picture, light on a
// dark box so that it reads over the grid.
static const std::string kReplayNotice = "REPLAY  -  escape leaves, hold tab for 4x";
// Half-size text fills 16 lines from 8 below its y: the notice ends four
// lines above the picture's foot, clear below the readout (560..576).
static constexpr int kReplayNoticeY = 572, kReadoutX = 760, kReadoutY = 552;
static constexpr float kSmallText = 0.5f;

// The readout is painted, never kept: a state that keeps its picture (the
// quit prompt) would otherwise gather one more readout every tick.
static void PaintPicture() {
  size_t kept = DrawListSize();
  SetGlowBudget(gamestate == GameState::Game ? GlowBudget::Play : GlowBudget::Idle);
  RenderDrawList();
  TakeAskedScreenshot();  // the game's picture, without the readout or the notice
  if (WatchingReplay()) DrawBackedText(kReplayNotice, 400, kReplayNoticeY, 128, 255, 128, kSmallText);
  if (showfps == 1)
    DrawFontText("fps:" + std::to_string(fps), kReadoutX, kReadoutY, 32, 255, 32, 1, BLEND_ALPHA, kSmallText,
                 kSmallText, kSmallText);
  PaintScreenshotNotice();
  RenderDrawList(kept);
  CutDrawList(kept);
}

// The tick of state 100: leaves for the intros on the first pass that has
// exactly one tick due (the long first pass that pays back loading does not).
void WaitTiming() {
  if (ticksdue != 1) return;
  if (skipintros == SKIP_TO_GAME) {
    BeginGame();
  } else if (skipintros == SKIP_TO_TITLE) {
    ReturnToFrontEnd(MenuState::Enter);
  } else {
    EnterIntros();
  }
}

// Counts presented frames and samples the rate once a second.
void CountFPS() {
  int now = ClockMs();
  if ((int)((uint32_t)fpstime - (uint32_t)now) < 0) {
    fpstime = now + 1000;
    fps = fpsframes;
    fpsframes = 0;
  } else {
    fpsframes++;
  }
}

// One pass of the loop: run the ticks due, then draw and present once.
int LoopPass() {
  int elapsed = (int)((uint32_t)ClockMs() - (uint32_t)lasttime);
  if (elapsed == 0) return 0;
  ticksdue = elapsed / framestep;
  if (ticksdue > 1000) ticksdue = 1;
  // Paced, or with the window in the background, a pass with no tick due
  // would only draw the same picture again.
  if (ticksdue == 0 && (vsyncloop || !WindowActive())) return 0;
  int speed = ReplaySpeed();
  for (int i = 0; i < ticksdue; i++) {
    lasttime += framestep;
    // Each tick takes in the presses made by its time; the last, all of them.
    for (int k = 0; k < speed && !quitflag; k++) {
      if (i < ticksdue - 1) InputTickAt((uint32_t)lasttime);
      FrameDispatch();
    }
  }
  // Minimised, the game goes on (the music, the menus' clocks) unseen.
  if (WindowHidden()) return 1;
  Cls();
  PaintPicture();
  CountFPS();
  Flip(0);
  return 1;
}

// Start-up, in order: settings, display, seed, image defaults, lists, the
// border map and grid, high scores, effect tables, media.
void StartUp(const StartOptions& opts) {
  HandDown();
  windowtitle = "Pulsefield " + version + " - " + author;
  SetWindowTitle(windowtitle);
  LoadConfig();
  DeriveStarCount();
  SelectGraphicsDriver(graphicsdriver == 0 ? RenderDriver::OpenGL : RenderDriver::DirectX7, 2);
  int depth = screenmode;
  if (opts.screenoverride >= 0) depth = opts.screenoverride;
  if (depth != 0 && depth != 16 && depth != 24 && depth != 32) depth = 0;
  // A headless clock has nothing to wait for; a timedemo never waits.
  bool paced = opts.vsync && !RunningTimedemo();
  vsyncloop = paced && !opts.headless;
  headlessloop = opts.headless;
  SetVSync(paced);
  std::string why;
  if (!OpenGraphics(800, 600, depth, 60, 0, &why)) FatalError("cannot open the display: " + why);
  SetWindowIcon(ResolveMediaPath("data\\icons\\pulsefield-64.png"));
  SetMouseVisible(0);
  SeedRandom(opts.hasseed ? opts.seed : ClockMs());
  SetCentreHandles(1);
  SetMaskColor(0, 0, 0);
  lasttime = ClockMs() - framestep;
  // The first frame takes a sample. The clock counts from boot, so a fixed 0
  // would lie "ahead" of it for half of every 49.7-day wrap and freeze the
  // readout at 0 for days.
  fpstime = lasttime + framestep;
  InitFontWidths();
  ReserveDrawList(4096);
  ProbeJoysticks();
  RestartAttractCountdown();
  CreateGrid();
  LoadHighScores();
  ClearFX();
  OpenAudio(!opts.nosound && !opts.headless);
  LoadMedia();
  skipintros = opts.play || WatchingReplay() ? SKIP_TO_GAME : (opts.nointro ? SKIP_TO_TITLE : 0);
}

// Writes the settings and the high scores at the orderly end.
void ShutDownSaves() {
  FinishScreenshots();
  SaveConfig();
  SaveHighScores();
}

// The loop's run: whether it is headless and where it then stops, and how it is going.
static bool loopheadless = false;
static long endtick = -1;
static int loopfailed = 0;
static bool hostedloop = false;  // the host calls the rounds (a browser's animation frames)

// One round of the loop: false once it is over. A headless run advances its
// own clock one tick per round and stops after the asked number of ticks.
bool LoopRound() {
  if (quitflag) return false;
  // The window's close button ends the game in order, as a signal does.
  if (TakeCloseRequest()) {
    RequestQuit();
    return false;
  }
  // A watcher leaves a replay with Escape.
  if (WatchingWholeRun() && InputDeviceKeyDown(VK_ESCAPE)) return false;
  if (loopheadless) {
    if (endtick >= 0 && tickcount >= endtick) return false;
    HeadlessAdvanceClock(framestep);
  }
  // A timedemo runs exactly one tick a pass, however long the last took.
  bool timed = RunningTimedemo(), logged = TimingFrames();
  if (timed) lasttime = ClockMs() - framestep;
  if (logged) TimedemoPassStart();
  // An error no tick handled still ends the program in order: the
  // player's settings, table and recording are saved before it stops.
  try {
    if (LoopPass() && logged) TimedemoPassEnd(tickcount);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pulsefield: error: %s; saving and stopping\n", e.what());
    loopfailed = EXIT_UNHANDLED_ERROR;
    return false;
  }
  // Paced (the default), and always while the window is unfocused or
  // minimised: rather than spinning until the next tick is due, sleep
  // through all but its last millisecond. A host that calls the rounds
  // paces them itself, and nothing may sleep in it.
  if (!hostedloop && (vsyncloop || (!headlessloop && !timed && !WindowActive()))) {
    int owed = framestep - (int)((uint32_t)ClockMs() - (uint32_t)lasttime);
    if (owed > 1) SleepMs(owed - 1);
  }
  return true;
}

// The end of the loop: replays finished, then saving; returns the exit code.
int EndLoop() {
  FinishReplays();
  // A watched replay changed the settings and played a game of someone
  // else's: neither is saved.
  if (WatchingWholeRun()) {
    FinishScreenshots();
    int outcome = ReplayOutcome();
    // A timedemo's figures stand only for a replay that played back exactly.
    if (TimingFrames() && !loopfailed && outcome == 0 && !FinishTimedemo()) outcome = 1;
    return loopfailed ? loopfailed : outcome;
  }
  ShutDownSaves();
  return loopfailed;
}

// What a closed browser tab keeps: what the end of the loop saves (a
// watched replay's settings and table are not the player's).
static void SaveNow() {
  if (!WatchingWholeRun()) ShutDownSaves();
}

// The loop until quitflag, then the end. Where the host calls the rounds
// (the browser), this returns at once and the host ends the loop itself.
int RunLoop(const StartOptions& opts) {
  loopheadless = opts.headless;
  endtick = opts.ticks >= 0 ? tickcount + opts.ticks : -1;
  loopfailed = 0;
  hostedloop = !opts.headless;
  if (hostedloop && PlatformHostsLoop(LoopRound, EndLoop, SaveNow)) return 0;
  hostedloop = false;
  while (LoopRound()) {
  }
  return EndLoop();
}
