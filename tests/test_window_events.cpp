// What the window system tells the game through the SDL back end: a close
// request ends the game in order, a key or button tapped between two ticks
// still counts for one tick, and a window without focus lets the loop sleep.
// These need a display; without one they are skipped.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/frame_loop.h"
#include "app/play_session.h"
#include "app/screenshot.h"
#include "frontend/menus.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "playfield/playfield.h"
#include "services/draw.h"
#include "tests/run_helpers.h"

namespace {

struct WindowEvents : ::testing::Test {
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no display";
    PlatformInit(PlatformKind::Real);
    if (!OpenGraphics(800, 600, 0, 60, 0)) GTEST_SKIP() << "the display did not open";
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    InputClearKeysAndButtons();
    TakeCloseRequest();
  }
  void TearDown() override {
    CloseGraphics();
    PlatformInit(PlatformKind::Headless);
  }
  static void Key(SDL_Scancode pos, SDL_Keycode sym, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.scancode = pos;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
  }
  static void Button(bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 400;
    e.button.y = 300;
    SDL_PushEvent(&e);
  }
  // Another test's window on the shared display can take the focus, which
  // lets go of every key; tests of held keys do not hear it.
  struct IgnoreFocusChanges {
    IgnoreFocusChanges() {
      SDL_PumpEvents();
      SDL_FlushEvent(SDL_WINDOWEVENT);
      SDL_EventState(SDL_WINDOWEVENT, SDL_IGNORE);
    }
    ~IgnoreFocusChanges() { SDL_EventState(SDL_WINDOWEVENT, SDL_ENABLE); }
  };
  static void Window(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    SDL_PushEvent(&e);
  }
};

}  // namespace

TEST_F(WindowEvents, TheCloseButtonAsksTheGameToEndOnce) {
  EXPECT_EQ(TakeCloseRequest(), 0);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  EXPECT_EQ(TakeCloseRequest(), 1);
  EXPECT_EQ(TakeCloseRequest(), 0);
  Window(SDL_WINDOWEVENT_CLOSE);
  EXPECT_EQ(TakeCloseRequest(), 1);
}

TEST_F(WindowEvents, AKeyTappedBetweenTicksIsDownForOneTick) {
  Key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, true);
  Key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, false);  // let go within 12 ms, before the tick
  EXPECT_EQ(KeyDown(VK_ESCAPE), 1);  // the tick sees the press
  EXPECT_EQ(KeyDown(VK_ESCAPE), 1);  // for all of that tick
  InputTickDone();
  EXPECT_EQ(KeyDown(VK_ESCAPE), 0);  // then the key as it really is
  // A held key stays down across ticks and goes when let go.
  Key(SDL_SCANCODE_A, SDLK_a, true);
  EXPECT_EQ(KeyDown(VK_A), 1);
  InputTickDone();
  EXPECT_EQ(KeyDown(VK_A), 1);
  Key(SDL_SCANCODE_A, SDLK_a, false);
  EXPECT_EQ(KeyDown(VK_A), 0);
  // A tap of the mouse button, the same way.
  Button(true);
  Button(false);
  EXPECT_EQ(MouseDown(MOUSE_LEFT), 1);
  InputTickDone();
  EXPECT_EQ(MouseDown(MOUSE_LEFT), 0);
  // A wait for a key to be let go sees only what is really held.
  Key(SDL_SCANCODE_X, SDLK_x, true);
  Key(SDL_SCANCODE_X, SDLK_x, false);
  EXPECT_EQ(KeyDown(VK_X), 1);
  InputDropTaps();
  EXPECT_EQ(KeyDown(VK_X), 0);
}

TEST_F(WindowEvents, AWindowWithoutFocusOrMinimisedIsNotActive) {
  Window(SDL_WINDOWEVENT_FOCUS_GAINED);
  EXPECT_EQ(WindowActive(), 1);
  Window(SDL_WINDOWEVENT_FOCUS_LOST);
  EXPECT_EQ(WindowActive(), 0);
  EXPECT_EQ(TakeFocusLost(), 1);
  Window(SDL_WINDOWEVENT_FOCUS_GAINED);
  EXPECT_EQ(WindowActive(), 1);
  EXPECT_EQ(WindowHidden(), 0);
  Window(SDL_WINDOWEVENT_MINIMIZED);
  EXPECT_EQ(WindowActive(), 0);
  EXPECT_EQ(WindowHidden(), 1);
  Window(SDL_WINDOWEVENT_RESTORED);
  EXPECT_EQ(WindowActive(), 1);
  EXPECT_EQ(WindowHidden(), 0);
}

// F12 saves the picture on screen as a PNG in screenshots/, without the
// frame-rate readout or its own notice, and the game goes on.
TEST_F(WindowEvents, F12SavesThePictureOnScreenAsAPng) {
  ScratchDir dir("screenshot");
  std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  static const uint8_t orange[4] = {255, 128, 0, 255};
  TImage* dot = CreateImageFromPixels(1, 1, orange, true, 0);
  gamestate = static_cast<GameState>(50);  // a state that keeps its picture
  ClearDrawList();
  SetCentreHandles(1);
  AddDraw(dot, 400, 300, 0, 255, 255, 255, 1, 0, 200, 200, BLEND_SOLID);
  showfps = 1;
  // Let go for a pass, then pressed for one. Another test's window on the
  // shared display can take the focus meanwhile, which lets go of every key:
  // then the press is made again.
  for (int attempt = 0; attempt < 5 && !std::filesystem::exists(dir / "screenshots"); attempt++) {
    for (int press = 0; press < 2; press++) {
      if (press) InputPressKey(VK_F12);
      else InputSetKey(VK_F12, 0);
      lasttime = ClockMs() - framestep;  // one tick due
      LoopPass();
    }
    FinishScreenshots();
  }
  showfps = 0;
  std::filesystem::current_path(was);
  std::vector<std::filesystem::path> shots;
  for (const auto& e : std::filesystem::directory_iterator(dir / "screenshots")) shots.push_back(e.path());
  ASSERT_EQ(shots.size(), 1u);
  EXPECT_EQ(shots[0].filename().string().rfind("pulsefield-", 0), 0u);
  EXPECT_EQ(shots[0].extension(), ".png");
  SetCentreHandles(0);
  TImage* shot = LoadImage(shots[0].string(), 0);
  ASSERT_TRUE(shot && shot->FrameCount() == 1);
  EXPECT_EQ(shot->width, 800);
  EXPECT_EQ(shot->height, 600);
  const uint8_t* middle = &shot->pixmaps[0][(300 * 800 + 400) * 4];
  EXPECT_EQ(middle[0], 255);
  EXPECT_EQ(middle[1], 128);
  EXPECT_EQ(middle[2], 0);
  const uint8_t* corner = &shot->pixmaps[0][(580 * 800 + 780) * 4];  // where the readout is painted
  EXPECT_EQ(corner[1], 0);
  delete shot;
}

// The quit prompt through the window system's own events: a movement key
// held when the prompt opens keeps it open, another key resumes, the game
// stays paused tick after tick (not inside one) until every key is let go,
// and a close request made meanwhile is heard.
TEST_F(WindowEvents, TheQuitPromptWaitsTickByTickForKeysLetGoAndHearsTheCloseButton) {
  IgnoreFocusChanges ignore;
  InitFontWidths();
  menulist.clear();
  gamestate = GameState::Game;
  playstate = PlayState::OpenPrompt;
  esclatch = joylatch = 1;
  Key(SDL_SCANCODE_W, SDLK_w, true);  // moving when Escape was pressed
  Key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, true);
  FrameDispatch();
  ASSERT_EQ(playstate, PlayState::Prompt);
  Key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, false);
  for (int i = 0; i < 5; i++) FrameDispatch();
  EXPECT_EQ(playstate, PlayState::Prompt);  // W was held before: it does not resume
  Key(SDL_SCANCODE_SPACE, SDLK_SPACE, true);  // tapped, W still held
  Key(SDL_SCANCODE_SPACE, SDLK_SPACE, false);
  FrameDispatch();
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  for (int i = 0; i < 5; i++) FrameDispatch();
  EXPECT_EQ(playstate, PlayState::ResumeWait);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  EXPECT_EQ(TakeCloseRequest(), 1);  // what the loop checks before every pass
  Key(SDL_SCANCODE_W, SDLK_w, false);
  FrameDispatch();
  EXPECT_EQ(playstate, PlayState::Playing);
  gamestate = static_cast<GameState>(50);
  menulist.clear();
}

// Two presses of a menu key reported before one tick runs (a slow pass)
// reach two ticks, with the key seen up in between.
TEST_F(WindowEvents, TwoPressesBeforeATickAreTwoPressesForTheGame) {
  IgnoreFocusChanges ignore;
  for (int i = 0; i < 2; i++) {
    Key(SDL_SCANCODE_DOWN, SDLK_DOWN, true);
    Key(SDL_SCANCODE_DOWN, SDLK_DOWN, false);
  }
  std::vector<int> seen;
  for (int t = 0; t < 5; t++) {
    InputBeginTick();
    seen.push_back(KeyDown(VK_DOWN));
    InputTickDone();
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 0, 1, 0, 0}));
}
