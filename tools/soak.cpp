// pfsoak: plays headless games back to back with a random player, for
// hours if asked, to show that nothing grows or breaks over a long session.
//   pfsoak [--seed N] [--ticks N | --minutes N] [--datadir DIR]
// The player is seeded, so a failure can be played again with the same
// seed. Prints games played, ticks, and the resident memory at the start
// (after the first game) and at the end.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "frontend/frontend.h"
#include "playfield/game.h"
#include "playfield/overlay.h"
#include "shell/frame_loop.h"
#include "shell/options.h"

namespace {

// The resident memory of this process in kilobytes.
long ResidentKb() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = -1;
  std::fclose(f);
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

bool prompt = false;  // the quit prompt was up when the player last looked
long menuquits = 0;   // QUIT chosen while wandering the menus

// Ticks of wandering the menus before the player heads for the next game.
constexpr long kWanderTicks = 1500;

// A restless player: keys and mouse buttons go down and up at random, the
// pointer wanders; between games it wanders the menus for a while (every
// screen, setting, wizard and the table's replays are fair game; a QUIT
// only brings it back to the title), then goes to the title and plays.
struct RandomPlayer {
  std::mt19937 rng;
  long menuticks = 0;
  explicit RandomPlayer(unsigned seed) : rng(seed) {}
  int Roll(int n) { return (int)(rng() % (unsigned)n); }
  void Menus() {
    if (quitflag) {
      quitflag = 0;
      menuquits++;
      ReturnToFrontEnd(MenuState::Enter);
    }
    if (++menuticks < kWanderTicks) {
      static const int keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_RETURN, VK_ESCAPE,
                                 VK_SPACE, VK_A, VK_Z, VK_1, VK_BACK, VK_LSHIFT};
      for (int k : keys) HeadlessSetKey(k, Roll(40) == 0);
      if (Roll(30) == 0) HeadlessSetMouse(Roll(800), Roll(600));
      HeadlessSetMouseButton(MOUSE_LEFT, Roll(60) == 0);
      return;
    }
    HeadlessReleaseAll();
    HeadlessSetMouse(400, 40);  // above every menu
    if (menuticks == kWanderTicks) ReturnToFrontEnd(MenuState::Enter);
    HeadlessSetKey(VK_RETURN, menuticks % 4 == 3);  // PLAY, once its latch is free
  }
  void Tick() {
    if (gamestate == GameState::FrontEnd) {
      Menus();
      return;
    }
    menuticks = 0;
    HeadlessSetKey(VK_RETURN, 0);
    static const int keys[] = {VK_W, VK_A, VK_S, VK_D, VK_NUMPAD8, VK_NUMPAD4, VK_NUMPAD5, VK_NUMPAD6};
    for (int k : keys)
      if (Roll(12) == 0) HeadlessSetKey(k, Roll(2));
    if (Roll(400) == 0) HeadlessSetKey(VK_SPACE, 1);
    if (Roll(4) == 0) HeadlessSetKey(VK_SPACE, 0);
    // Now and then the quit prompt, left again with another key.
    HeadlessSetKey(VK_ESCAPE, Roll(3000) == 0);
    prompt = playstate == PlayState::Prompt;
    HeadlessSetKey(VK_X, prompt && Roll(30) == 0);
    HeadlessSetMouse(Roll(800), Roll(600));
    if (Roll(20) == 0) HeadlessSetMouseButton(MOUSE_LEFT, Roll(4) != 0);
  }
};
RandomPlayer* player = nullptr;
// The prompt's resume waits for every key to be let go: let go at once.
void LetGo() {
  if (prompt && playstate == PlayState::Playing) {
    prompt = false;
    HeadlessReleaseAll();
  }
}

}  // namespace

int main(int argc, char** argv) {
  long ticks = 200000, seed = 1;
  double minutes = 0;
  std::string datadir;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--seed")) seed = std::atol(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--ticks")) ticks = std::atol(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--minutes")) minutes = std::atof(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--datadir")) datadir = argv[i + 1];
  }
  std::string progdir = ProgramFolder();
  SetDataDir(datadir.empty() ? progdir + "/data" : datadir);
  SetProgramDir(progdir);
  std::string userdir = (std::filesystem::temp_directory_path() / ("pfsoak-" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(userdir);
  std::filesystem::current_path(userdir);
  PlatformInit(PlatformKind::Headless);
  HeadlessReleaseAll();
  StartOptions opts;
  opts.headless = true;
  opts.hasseed = true;
  opts.seed = seed;
  StartUp(opts);
  skipintros = SKIP_TO_GAME;
  RandomPlayer rp((unsigned)seed);
  player = &rp;
  static InputBackend soakinput = *HeadlessInputBackend();
  soakinput.pump = LetGo;
  SetInputBackend(&soakinput);
  auto start = std::chrono::steady_clock::now();
  long startkb = -1, t = 0;
  for (;; t++) {
    if (minutes > 0) {
      if (t % 1000 == 0 &&
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > minutes * 60)
        break;
    } else if (t >= ticks) {
      break;
    }
    rp.Tick();
    HeadlessAdvanceClock(framestep);
    LoopPass();
    if (startkb < 0 && gamesstarted >= 2) startkb = ResidentKb();  // after the first game
  }
  ShutDownSaves();
  std::error_code ec;
  std::filesystem::current_path(progdir, ec);
  std::filesystem::remove_all(userdir, ec);
  std::printf("soak: seed=%ld games=%ld menu_quits=%ld ticks=%ld lives_lost=%ld rss_start_kb=%ld rss_end_kb=%ld\n",
              seed, gamesstarted, menuquits, t, liveslost, startkb, ResidentKb());
  std::printf("%s\n", StatsLine().c_str());
  return 0;
}
