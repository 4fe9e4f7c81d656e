// pfsoak: plays headless games back to back, for hours if asked, to show
// that nothing grows or breaks over a long session.
//   pfsoak [--seed N] [--ticks N | --minutes N] [--datadir DIR]
// Between games a random player wanders the menus. Every fourth game, the
// first among them, is played by the scripted player of the replay tests,
// which lives for minutes and so meets every enemy kind and wave pattern;
// the others by the random player, which dies fast and often. Both are
// seeded, so a failure can be played again with the same seed. Prints games
// played, ticks, the resident memory at the start (after the first game) and
// at the end, and how many of each kind spawned and each pattern ran. A run
// of 200,000 ticks or more in which a kind or a pattern never showed fails.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "app/frame_loop.h"
#include "app/options.h"
#include "app/overlay.h"
#include "app/play_session.h"
#include "app/replay_run.h"
#include "enemies/enemies.h"
#include "enemies/wave_director.h"
#include "enemies/wave_patterns.h"
#include "frontend/frontend.h"
#include "frontend/wizards.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "tools/scripted_player.h"

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
// One game in this many is the scripted player's, and how long it plays
// (ticks of 16 ms) before it quits: long past the 8,700 ticks of play after
// which every pattern can be drawn.
constexpr long kScriptedEvery = 4;
constexpr long kScriptedTicks = 30000;
// A run this long must have met every kind and every pattern.
constexpr long kGuardTicks = 200000;

// The keys the scripted player plays with, slot by slot as the key wizard
// numbers them: the defaults, whatever the wandering redefined.
constexpr int kScriptKeys[KEY_SLOTS] = {VK_A,       VK_D,       VK_W,       VK_S,    VK_NUMPAD4,
                                        VK_NUMPAD6, VK_NUMPAD8, VK_NUMPAD5, VK_SPACE};
// Its control types: keys to steer with the mouse or with keys to aim (the
// soak has no joystick for the other two).
constexpr int kMouseAim = 0, kKeysAim = 2;
constexpr int kScriptControls[] = {kMouseAim, kKeysAim};

// A restless player: keys and mouse buttons go down and up at random, the
// pointer wanders; between games it wanders the menus for a while (every
// screen, setting, wizard and the table's replays are fair game; a QUIT
// only brings it back to the title), then goes to the title and plays, or
// hands the game to the scripted player.
struct RandomPlayer {
  std::mt19937 rng;
  long menuticks = 0;
  long gamesseen = 0;      // gamesstarted when it last looked
  long gamesplayed = 0;    // games of its own (a table's replay watched is none)
  bool scriptnext = false;  // the next game it starts is the scripted player's
  bool scripted = false;    // the running game is
  ScriptedGame script{0, kScriptedTicks};
  long scripttick = 0;
  long scriptedgames = 0, scriptedticks = 0;
  explicit RandomPlayer(unsigned seed) : rng(seed) { PlanNextGame(); }
  int Roll(int n) { return (int)(rng() % (unsigned)n); }
  // Whose the next game is, and for the scripted player its control type.
  void PlanNextGame() {
    scriptnext = gamesplayed % kScriptedEvery == 0;
    if (scriptnext) script.controltype = kScriptControls[Roll((int)std::size(kScriptControls))];
  }
  // A game began on the last tick.
  void GameBegan() {
    scripted = false;
    if (WatchingReplay()) return;
    scripted = scriptnext;
    if (scripted) {
      scriptedgames++;
      scripttick = 0;
      ResetScript();
    }
    gamesplayed++;
    PlanNextGame();
  }
  // Before its game the scripted player has the controls it knows, set
  // again on every tick of the front end: the wandering may redefine them,
  // and may start the game on any tick (a joystick type with no stick, or
  // two actions on one key, would kill it).
  void ScriptControls() {
    controltype = script.controltype;
    for (int slot = 0; slot < KEY_SLOTS; slot++) KeySetting(slot) = kScriptKeys[slot];
  }
  void Menus() {
    if (scripted) {
      scripted = false;
      HeadlessReleaseAll();  // nothing it held lingers in the menus
    }
    if (scriptnext) ScriptControls();
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
    if (gamesstarted != gamesseen) {
      gamesseen = gamesstarted;
      GameBegan();
    }
    if (gamestate == GameState::FrontEnd) {
      Menus();
      return;
    }
    menuticks = 0;
    // Back from the prompt, the game stays paused until every key is let go.
    if (playstate == PlayState::ResumeWait) {
      HeadlessReleaseAll();
      return;
    }
    if (scripted) {
      ScriptTick(script, scripttick++);
      scriptedticks++;
      return;
    }
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

// The patterns the director ran, seen from outside between ticks: a pattern
// is chosen on one tick (attackmode set, wavestep 0) and counted once its
// first step has run (wavestep moved on), so one chosen just before a lost
// life or the end of a game, and never run, is not counted.
struct PatternWatch {
  long ran[ATTACK_PATTERNS + 1] = {};
  int chosen = 0;
  void See() {
    if (attackmode != 0 && wavestep == 0) {
      chosen = attackmode;
    } else if (chosen != 0 && wavestep != 0) {
      if (chosen <= ATTACK_PATTERNS) ran[chosen]++;
      chosen = 0;
    }
  }
};

// The spawned count of every kind and the run count of every pattern, and
// the names of those that never showed.
void PrintCounts(const PatternWatch& watch, std::string* missing) {
  std::printf("soak: spawned");
  for (int t = 0; t < NME_KINDS; t++) {
    if (!IsKind(t)) continue;
    std::printf(" %s=%ld", KindInfo(t).name, nmespawned[t]);
    if (nmespawned[t] == 0) *missing += std::string(" ") + KindInfo(t).name;
  }
  std::printf("\nsoak: patterns_ran");
  for (int p = 1; p <= ATTACK_PATTERNS; p++) {
    std::printf(" %d=%ld", p, watch.ran[p]);
    if (watch.ran[p] == 0) *missing += " pattern " + std::to_string(p);
  }
  std::printf("\n");
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
  PatternWatch watch;
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
    watch.See();
    if (startkb < 0 && gamesstarted >= 2) startkb = ResidentKb();  // after the first game
  }
  ShutDownSaves();
  std::error_code ec;
  std::filesystem::current_path(progdir, ec);
  std::filesystem::remove_all(userdir, ec);
  std::printf(
      "soak: seed=%ld games=%ld scripted_games=%ld scripted_ticks=%ld menu_quits=%ld ticks=%ld lives_lost=%ld "
      "rss_start_kb=%ld rss_end_kb=%ld\n",
      seed, gamesstarted, rp.scriptedgames, rp.scriptedticks, menuquits, t, liveslost, startkb, ResidentKb());
  std::printf("%s\n", StatsLine().c_str());
  std::string missing;
  PrintCounts(watch, &missing);
  std::fflush(stdout);
  if (t >= kGuardTicks && !missing.empty()) {
    std::fprintf(stderr, "soak: FAILED: in %ld ticks (seed %ld) these never appeared:%s\n", t, seed,
                 missing.c_str());
    return 1;
  }
  return 0;
}
