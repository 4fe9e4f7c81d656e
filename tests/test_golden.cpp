// Whole-game golden runs: the real start-up and frame loop on the headless
// back end, a fixed seed and a scripted player (start from the title, move,
// fire in circles, bomb, open the quit prompt, resume, quit to the title and
// start again). At set ticks a checksum of the game's state must match the
// one recorded here; any change that alters play fails, and what differs is
// printed. A rule change that means to alter play records new checksums
// (run with PULSEFIELD_GOLDEN_PRINT=1 and paste the table; =all also
// prints what each checkpoint holds).
#include <gtest/gtest.h>

#include <fcntl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "app/options.h"
#include "app/overlay.h"
#include "app/replay.h"
#include "app/replay_run.h"
#include "enemies/enemies.h"
#include "frontend/frontend.h"
#include "frontend/highscore_screens.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "frontend/table_replays.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "playfield/bullets.h"
#include "playfield/grid.h"
#include "playfield/particles.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "playfield/scoring.h"
#include "playfield/stars.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"
#include "tests/run_helpers.h"

namespace {

// FNV-1a over the bytes of plain values.
struct Hasher {
  uint64_t h = 1469598103934665603ull;
  void Bytes(const void* p, size_t n) {
    const unsigned char* c = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; i++) h = (h ^ c[i]) * 1099511628211ull;
  }
  template <typename T>
  void Add(const T& v) {
    Bytes(&v, sizeof v);
  }
  void Add(const std::string& s) { Bytes(s.data(), s.size()); }
};

// The picture's file name without its folder ("" for none), so the checksum
// does not depend on where the data folder lies.
std::string Stem(const TImage* img) {
  if (!img) return "";
  size_t slash = img->path.find_last_of("/\\");
  return slash == std::string::npos ? img->path : img->path.substr(slash + 1);
}

// What a checkpoint records: readable values, and checksums of the draw
// list and the grid.
struct Snapshot {
  long tick;
  int gamestate, playstate, menustate, playermode;
  long long score, lives, bombs, multiplier;
  float playerx, playery, playerrot, aimang;
  size_t enemies, bullets, parts, scoresprs, multiplies, stars, menus, draws;
  long long rand;
  uint64_t drawsum, gridsum;

  uint64_t Sum() const {
    Hasher h;
    h.Add(tick);
    for (long long v : {(long long)gamestate, (long long)playstate, (long long)menustate,
                        (long long)playermode, score, lives, bombs, multiplier, rand})
      h.Add(v);
    for (float v : {playerx, playery, playerrot, aimang}) h.Add(v);
    for (size_t v : {enemies, bullets, parts, scoresprs, multiplies, stars, menus, draws}) h.Add(v);
    h.Add(drawsum);
    h.Add(gridsum);
    return h.h;
  }
  std::string Describe() const {
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "tick %ld: states %d/%d/%d mode %d score %lld lives %lld bombs %lld multi %lld "
                  "ship %.3f,%.3f rot %.3f aim %.3f lists nme %zu bul %zu part %zu spr %zu mul %zu star %zu "
                  "menu %zu draw %zu rand %lld drawsum %016llx gridsum %016llx",
                  tick, gamestate, playstate, menustate, playermode, score, lives, bombs,
                  multiplier, playerx, playery, playerrot, aimang, enemies, bullets, parts, scoresprs,
                  multiplies, stars, menus, draws, rand, (unsigned long long)drawsum,
                  (unsigned long long)gridsum);
    return buf;
  }
};

Snapshot Take(long tick) {
  Snapshot s{};
  s.tick = tick;
  s.gamestate = (int)gamestate;
  s.playstate = (int)playstate;
  s.menustate = (int)menustate;
  s.playermode = (int)playermode;
  s.score = score;
  s.lives = lives;
  s.bombs = bombs;
  s.multiplier = multiplier;
  s.playerx = playerx;
  s.playery = playery;
  s.playerrot = playerrot;
  s.aimang = aimang;
  s.enemies = nmelist.size();
  s.bullets = bulletlist.size();
  s.parts = partlist.size();
  s.scoresprs = scoresprlist.size();
  s.multiplies = multiplylist.size();
  s.stars = starlist.size();
  s.menus = menulist.size();
  s.draws = drawlist.size();
  s.rand = RandomState();
  Hasher d;
  for (const tDRAW& c : drawlist) {
    d.Add(Stem(c.img));
    for (float v : {c.x, c.y, c.rot, c.alpha, c.xscale, c.yscale}) d.Add(v);
    for (int v : {c.blend, c.frame, c.r, c.g, c.b}) d.Add(v);
  }
  s.drawsum = d.h;
  Hasher g;
  for (auto& col : grid)
    for (const gridpoint& p : col) {
      g.Add(p.x);
      g.Add(p.y);
    }
  s.gridsum = g.h;
  return s;
}

// Virtual-key codes the script presses (the game's defaults).
constexpr int kEnter = 13, kEscape = 27, kSpace = 32, kA = 65, kD = 68, kS = 83, kW = 87, kX = 88;
constexpr int kPad8 = 104, kPad4 = 100, kPad5 = 101, kPad6 = 102;

// One run's player: which keys are held on a tick, where the pointer is.
struct Script {
  int controltype;
  // Keys held on this tick of the run (the run counts from the first pass).
  std::vector<int> (*keys)(long t);
  long firefrom = 150, fireto = 700;  // ticks of each game with the fire held
  bool firing(long p) const { return p >= firefrom && p < fireto; }
};

// Where the run has got to, as the player sees it: the tick the title came
// back after the first game, and the tick the second game was started.
long titleat = -1, secondgame = -1;

// Ticks into the current game's script (the first game counts from the
// start of the run, the second from its Enter).
long GameTick(long t) { return secondgame >= 0 ? t - secondgame : t; }

// The shared outline of every run: the title, a game, a bomb, the prompt
// (opened, resumed, opened and quit), a second game from the title.
void CommonKeys(long t, std::vector<int>& k) {
  if (t >= 20 && t < 24) k.push_back(kEnter);      // start a game
  if (t >= 450 && t < 453) k.push_back(kSpace);    // a bomb
  if (t >= 800 && t < 803) k.push_back(kEscape);   // the quit prompt
  if (t >= 830 && t < 833) k.push_back(kX);        // resume
  // Quit to the title: Escape tapped every 10 ticks while the game is on,
  // so a ship that is dying when the taps begin still gets its prompt.
  if (t >= 900 && secondgame < 0 && gamestate == GameState::Game && t % 10 < 3)
    k.push_back(kEscape);
  if (t >= 900 && titleat < 0 && gamestate == GameState::FrontEnd) titleat = t;
  if (titleat >= 0 && t >= titleat + 20 && t < titleat + 24) {
    k.push_back(kEnter);  // the second game
    if (secondgame < 0) secondgame = t;
  }
}

// Steering: right, down, left, up, 60 ticks each, from tick 100 to 580 of
// each game.
void SteerKeys(long t, std::vector<int>& k) {
  long p = GameTick(t);
  if (p < 100 || p >= 580) return;
  static const int order[4] = {kD, kS, kA, kW};
  k.push_back(order[((p - 100) / 60) % 4]);
}

std::vector<int> MouseRunKeys(long t) {
  std::vector<int> k;
  CommonKeys(t, k);
  SteerKeys(t, k);
  return k;
}

// The two-handed keyboard fires round the compass, one direction for 30
// ticks, then a diagonal pair, while steering.
std::vector<int> TwoHandedKeys(long t) {
  std::vector<int> k;
  CommonKeys(t, k);
  SteerKeys(t, k);
  long p = GameTick(t);
  if (p >= 150 && p < 700) {
    static const int dirs[6][2] = {{kPad4, 0}, {kPad8, 0}, {kPad6, 0},
                                   {kPad5, 0}, {kPad5, kPad4}, {kPad8, kPad6}};
    const int* d = dirs[((p - 150) / 30) % 6];
    k.push_back(d[0]);
    if (d[1]) k.push_back(d[1]);
  }
  return k;
}

// Applies the script's levels for this tick.
void ApplyInput(const Script& s, long t) {
  HeadlessReleaseAll();
  for (int key : s.keys(t)) HeadlessSetKey(key, 1);
  // The pointer circles the middle of the screen, once every 90 ticks; in
  // the menus it rests above them, so Enter chooses the highlighted line.
  double a = t * 4.0 * 3.14159265358979 / 180.0;
  if (gamestate == GameState::FrontEnd)
    HeadlessSetMouse(400, 40);
  else
    HeadlessSetMouse(400 + (int)(150 * std::cos(a)), 300 + (int)(150 * std::sin(a)));
  long p = GameTick(t);
  HeadlessSetMouseButton(1, s.controltype == 0 && s.firing(p));
  if (s.controltype == 1) {
    // One stick steers the same square as the keys, the other circles and
    // fires; the bomb is the Z axis pushed.
    static const float steer[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    if (p >= 100 && p < 580) {
      const float* d = steer[((p - 100) / 60) % 4];
      HeadlessSetJoyAxis(0, JOYAXIS_X, d[0]);
      HeadlessSetJoyAxis(0, JOYAXIS_Y, d[1]);
    }
    if (s.firing(p)) {
      HeadlessSetJoyAxis(0, JOYAXIS_U, (float)std::cos(a));
      HeadlessSetJoyAxis(0, JOYAXIS_R, (float)std::sin(a));
    }
    if (p >= 450 && p < 453) HeadlessSetJoyAxis(0, JOYAXIS_Z, 1);
  }
}

// Starts the real game headless in a scratch user folder with the script's
// player; every tick runs watch(t), which returns false to stop the run.
template <typename Watch>
void RunGame(const Script& s, long ticks, const ScratchDir& dir, Watch watch) {
  std::filesystem::current_path(dir.path());
  SetDataDir(std::string(PULSEFIELD_BINARY_DIR) + "/data");
  SetProgramDir(dir.string());
  PlatformInit(PlatformKind::Headless);
  HeadlessReleaseAll();
  HeadlessSetJoystickCount(s.controltype == 1 ? 1 : 0);
  StartOptions opts;
  opts.headless = true;
  opts.hasseed = true;
  opts.seed = 20261207;
  opts.nosound = true;
  opts.nointro = true;  // the intros have tests of their own
  StartUp(opts);
  controltype = s.controltype;
  for (long t = 0; t < ticks; t++) {
    ApplyInput(s, t);
    HeadlessAdvanceClock(framestep);
    LoopPass();
    if (!watch(t)) break;
  }
}

// Writes the records to a pipe and ends this process.
template <typename T>
[[noreturn]] void SendAndExit(int fd, const std::vector<T>& got) {
  size_t n = got.size() * sizeof(T);
  const char* p = reinterpret_cast<const char*>(got.data());
  while (n > 0) {
    ssize_t w = write(fd, p, n);
    if (w <= 0) _exit(1);
    p += w;
    n -= (size_t)w;
  }
  _exit(0);
}

// Runs a game in a fresh copy of this test program, started for this test
// alone, so that nothing an earlier test left in the game's globals can
// change it; hands back the records the copy made (none if it failed). The
// copy runs the test again and, at this same call, plays and reports. T is
// a plain record.
template <typename T, typename Play>
std::vector<T> InChild(Play play) {
  // Calls are counted within the running test, as the copy counts them.
  static const ::testing::TestInfo* counting = nullptr;
  static int calls = 0;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (test != counting) {
    counting = test;
    calls = 0;
  }
  int call = ++calls;
  const char* childfd = std::getenv("PULSEFIELD_GOLDEN_FD");
  const char* childcall = std::getenv("PULSEFIELD_GOLDEN_CALL");
  if (childfd && childcall) {
    if (std::atoi(childcall) != call) return {};  // an earlier call of the test
    std::vector<T> got;
    {
      ScratchDir dir("golden");  // removed before the copy ends
      got = play(dir);
    }
    SendAndExit(std::atoi(childfd), got);
  }
  int fds[2];
  if (pipe(fds) != 0) return {};
  std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    setenv("PULSEFIELD_GOLDEN_FD", std::to_string(fds[1]).c_str(), 1);
    setenv("PULSEFIELD_GOLDEN_CALL", std::to_string(call).c_str(), 1);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);  // the copy's own test report is not wanted
    char* argv[] = {const_cast<char*>("pulsefield_tests"), filter.data(), nullptr};
    execv("/proc/self/exe", argv);
    _exit(127);
  }
  close(fds[1]);
  std::vector<T> out;
  T rec;
  size_t have = 0;
  for (;;) {
    ssize_t r = read(fds[0], reinterpret_cast<char*>(&rec) + have, sizeof rec - have);
    if (r <= 0) break;
    have += (size_t)r;
    if (have == sizeof rec) {
      out.push_back(rec);
      have = 0;
    }
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out.clear();
  return out;
}

// The script's run with a snapshot every 100 ticks.
std::vector<Snapshot> RunGolden(const Script& s, long ticks) {
  return InChild<Snapshot>([&](const ScratchDir& dir) {
    std::vector<Snapshot> out;
    RunGame(s, ticks, dir, [&](long t) {
      if (t % 100 == 99) out.push_back(Take(t + 1));
      return true;
    });
    return out;
  });
}

// Compares a run with its recorded checksums, printing every snapshot that
// differs (or the whole table when asked to print).
void Check(const std::vector<Snapshot>& got, const std::vector<uint64_t>& want) {
  bool print = std::getenv("PULSEFIELD_GOLDEN_PRINT") != nullptr;
  if (print) {
    for (const Snapshot& s : got) std::printf("      0x%016llxull,  // tick %ld\n", (unsigned long long)s.Sum(), s.tick);
    if (std::string(std::getenv("PULSEFIELD_GOLDEN_PRINT")) == "all")
      for (const Snapshot& s : got) std::printf("%s\n", s.Describe().c_str());
  }
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); i++)
    EXPECT_EQ(got[i].Sum(), want[i]) << got[i].Describe();
}

}  // namespace

TEST(Golden, MouseAndKeysGameMatchesItsRecording) {
  Script s{0, MouseRunKeys};
  std::vector<Snapshot> got = RunGolden(s, 2000);
  Check(got, {
      0x801d322428667e15ull,  // tick 100
      0x197f7cb89cf95c24ull,  // tick 200
      0x11bc131d18e3ef3aull,  // tick 300
      0x16abbe606c603ddcull,  // tick 400
      0x0db3624b6dd5288bull,  // tick 500
      0xef2a17dbc6d06f5full,  // tick 600
      0x651dafa3a92416b1ull,  // tick 700
      0x2d1125ce4714f755ull,  // tick 800
      0x5ef3df9faddb8edcull,  // tick 900
      0x80decb8a95631a7bull,  // tick 1000
      0xe34e6998b4d94f7eull,  // tick 1100
      0xfe08607eb46eef0aull,  // tick 1200
      0xfbf72d7cc9afab04ull,  // tick 1300
      0x0b450801d7d3b48bull,  // tick 1400
      0x5d5d47d5923ebc37ull,  // tick 1500
      0xdb56d527ed6cdf50ull,  // tick 1600
      0x57c1873bebc9e609ull,  // tick 1700
      0x571398a0859f4b55ull,  // tick 1800
      0xdb50a7311ef458d3ull,  // tick 1900
      0xdb6dce24b3f08942ull,  // tick 2000
  });
}

TEST(Golden, DualStickGameMatchesItsRecording) {
  Script s{1, MouseRunKeys};
  std::vector<Snapshot> got = RunGolden(s, 2000);
  Check(got, {
      0xd8757d55fe1302e2ull,  // tick 100
      0x0bf64e5a50ca87d7ull,  // tick 200
      0x69f789b6bfaafcdeull,  // tick 300
      0xe8db58dcbfc50eccull,  // tick 400
      0x0fa5fbcf9c1be8b8ull,  // tick 500
      0x3e9ca2d13c3167b0ull,  // tick 600
      0x348fedcf3d877f99ull,  // tick 700
      0x225c0caf2116c217ull,  // tick 800
      0xc4fbc5e042922088ull,  // tick 900
      0x24ccecf244b906d5ull,  // tick 1000
      0x9909338076f9b280ull,  // tick 1100
      0x2a671e429087f2b9ull,  // tick 1200
      0xd5561e1019ff7c8full,  // tick 1300
      0x63cb6cf52bf4baf8ull,  // tick 1400
      0x1a0a382c64083bfaull,  // tick 1500
      0xb2ea2b82ac4643a6ull,  // tick 1600
      0xfb422a72ffb1a6b4ull,  // tick 1700
      0xfc9ad4791abcfc0bull,  // tick 1800
      0xf890c35ddc984095ull,  // tick 1900
      0xef74a90fa01098e1ull,  // tick 2000
  });
}

TEST(Golden, TwoHandedKeyboardGameMatchesItsRecording) {
  Script s{2, TwoHandedKeys};
  std::vector<Snapshot> got = RunGolden(s, 2000);
  Check(got, {
      0xd8757d55fe1302e2ull,  // tick 100
      0x7b700ed78048ade7ull,  // tick 200
      0x2b981f60584a8228ull,  // tick 300
      0xe7f5fd2784552a68ull,  // tick 400
      0x222389e548238d23ull,  // tick 500
      0x7162eb55a0b71056ull,  // tick 600
      0x6efd9c0b98383af4ull,  // tick 700
      0xd0b61b44ebd9b417ull,  // tick 800
      0x0e866fc23e20dc06ull,  // tick 900
      0x4ba2d1767642474full,  // tick 1000
      0x1ead2aa034d6750eull,  // tick 1100
      0x59ae331e290473b2ull,  // tick 1200
      0xc069abd27b6af1bdull,  // tick 1300
      0x56d654f7bdeead5eull,  // tick 1400
      0x4e510230bab724ddull,  // tick 1500
      0x45f2d2bf8c372976ull,  // tick 1600
      0x4a7ca6c3c0611094ull,  // tick 1700
      0xf2560fcd448799dbull,  // tick 1800
      0x74d92347c9adeb9dull,  // tick 1900
      0x0939d583dafc567cull,  // tick 2000
  });
}

// How a whole game ended.
struct GameEnd {
  long tick;
  long long score, clock, totalkilled;
  int kills[NME_KINDS];
  bool operator==(const GameEnd& o) const {
    if (tick != o.tick || score != o.score || clock != o.clock || totalkilled != o.totalkilled)
      return false;
    for (int t = 0; t < NME_KINDS; t++)
      if (kills[t] != o.kills[t]) return false;
    return true;
  }
};

// A player who circles and fires and never stops to quit: the game must
// run to its end, and the same seed and input end it the same way.
std::vector<int> CircleAndFireKeys(long t) {
  std::vector<int> k;
  if (t >= 20 && t < 24) k.push_back(kEnter);
  static const int order[4] = {kD, kS, kA, kW};
  if (t >= 100) k.push_back(order[((t - 100) / 45) % 4]);
  return k;
}

std::vector<GameEnd> PlayToGameOver() {
  Script s{0, CircleAndFireKeys, 30, 1000000};
  return InChild<GameEnd>([&](const ScratchDir& dir) {
    std::vector<GameEnd> out;
    RunGame(s, 200000, dir, [&](long t) {
      if (t < 100 || gamestate != GameState::FrontEnd) return true;
      GameEnd e{t, score, gameclock, totalkilled, {}};
      for (int k = 0; k < NME_KINDS; k++) e.kills[k] = killsbykind[k];
      out.push_back(e);
      return false;
    });
    return out;
  });
}

TEST(Golden, AWholeGameRunsToGameOverTheSameWayTwice) {
  std::vector<GameEnd> first = PlayToGameOver();
  std::vector<GameEnd> second = PlayToGameOver();
  ASSERT_EQ(first.size(), 1u) << "the game never ended";
  ASSERT_EQ(second.size(), 1u);
  EXPECT_TRUE(first[0] == second[0]);
  EXPECT_GT(first[0].score, 0);
  EXPECT_GT(first[0].totalkilled, 0);
  std::printf("game over at tick %ld: score %lld, clock %lld, %lld kills\n", first[0].tick,
              first[0].score, first[0].clock, first[0].totalkilled);
}

// Passes of the real loop on the headless clock, one tick each; and a key
// held for two of them and let go for two.
static void tick(int n = 1) {
  for (int i = 0; i < n; i++) {
    HeadlessAdvanceClock(framestep);
    LoopPass();
  }
}
static void tap(int key) {
  HeadlessSetKey(key, 1);
  tick(2);
  HeadlessSetKey(key, 0);
  tick(2);
}

// After a game that makes the high-score table: the game-over screen, the
// name typed in, the table with its row; the replay kept under its date and
// score, marked in the viewer, and a click on the row plays it back to the
// same score, leaving the table and the player's own settings as they were;
// and the file written at the end holds the name.
struct TableGameRun {
  long long score, replayedscore, tablescore;
  int highrank, highrankafter, marked, controltypeafter, backinviewer;
  char savedname[16];
};

TEST(TableGame, AGameThatMakesTheTableIsNamedSavedAndWatchedFromTheViewer) {
  Script s{0, CircleAndFireKeys, 30, 1000000};
  std::vector<TableGameRun> got = InChild<TableGameRun>([&](const ScratchDir& dir) {
    TableGameRun run{};
    RunGame(s, 200000, dir, [&](long t) { return t < 100 || gamestate != GameState::FrontEnd; });
    run.score = score;
    run.highrank = highrank;
    HeadlessReleaseAll();
    HeadlessSetMouse(400, 40);
    tick(3);
    tap(kEnter);  // CONTINUE
    for (int key : {'A', 'C', 'E'}) tap(key);
    tap(kEnter);  // done
    std::string rows[HS_ROWS];
    FindTableReplays(rows);
    run.marked = highrank > 0 && !rows[highrank - 1].empty();
    // HIGHSCORES, the pointer on the new row, a click.
    controltype = 2;  // the player's own setting, whatever the replay's
    tap(VK_DOWN);
    tap(kEnter);
    HeadlessSetMouse(300, 120 + 32 * ((highrank - 1) % 10));
    tick(2);
    HeadlessSetMouseButton(1, 1);
    tick();
    HeadlessSetMouseButton(1, 0);
    for (long i = 0; i < 200000 && gamestate == GameState::Game; i++) tick();
    run.replayedscore = score;
    tick(3);
    run.backinviewer = menustate == MenuState::HighScoreViewer;
    run.tablescore = hsscore[highrank > 0 ? highrank - 1 : 0];
    run.highrankafter = highrank;
    run.controltypeafter = controltype;
    ShutDownSaves();
    hsname[0] = "?";
    LoadHighScores();
    std::snprintf(run.savedname, sizeof run.savedname, "%s",
                  hsname[highrank > 0 ? highrank - 1 : 0].c_str());
    return std::vector<TableGameRun>{run};
  });
  ASSERT_EQ(got.size(), 1u);
  const TableGameRun& r = got[0];
  ASSERT_GT(r.highrank, 0) << "the game did not make the table";
  EXPECT_STREQ(r.savedname, "ace");
  EXPECT_TRUE(r.marked);
  EXPECT_EQ(r.replayedscore, r.score);
  EXPECT_EQ(r.tablescore, r.score);
  EXPECT_EQ(r.highrankafter, r.highrank);
  EXPECT_EQ(r.controltypeafter, 2);
  EXPECT_TRUE(r.backinviewer);
}

// A game that dies without quitting (a crash, power lost, a closed tab)
// still leaves the files paired: after the game over that pushes a row out
// of a full table, and again after the name is typed, the table on disk has
// a replay for every row, the new game's among them, and no replay lies
// there that no row holds.
struct DiskTable {
  int missing, orphans, newrow;
  char name[16];
};
struct DiedRun {
  long long score;
  int highrank;
  DiskTable atgameover, afterentry;
};

// The table as the next start-up would read it, and how its replays pair.
static DiskTable DieAndLookOnDisk(long long newscore, int row) {
  LoadHighScores();
  std::vector<TableReplayFile> files;
  for (const auto& e : std::filesystem::directory_iterator("replays")) {
    int64_t s;
    if (TableReplayScore(e.path().filename().string(), &s)) files.push_back({e.path().filename().string(), s});
  }
  std::string rows[HS_ROWS];
  DiskTable t{};
  t.orphans = (int)MatchTableReplays(files, hsscore, HS_ROWS, rows).size();
  for (int r = 0; r < HS_ROWS; r++) t.missing += hsscore[r] > 0 && rows[r].empty();
  t.newrow = row >= 0 && hsscore[row] == newscore;
  std::snprintf(t.name, sizeof t.name, "%s", row >= 0 ? hsname[row].c_str() : "");
  return t;
}

TEST(TableGame, AGameThatDiesBeforeQuittingLeavesEveryRowOnDiskWithItsReplay) {
  Script s{0, CircleAndFireKeys, 30, 1000000};
  std::vector<DiedRun> got = InChild<DiedRun>([&](const ScratchDir& dir) {
    // A full table of small scores, each row with its replay.
    std::filesystem::current_path(dir.path());
    std::filesystem::create_directories("replays");
    constexpr std::time_t kLongAgo = 1600000000;
    for (int r = 0; r < HS_ROWS; r++) {
      hsscore[r] = HS_ROWS - r;
      hsname[r] = "old";
      std::ofstream(TableReplayPath(hsscore[r], kLongAgo)) << "x";
    }
    SaveHighScores();
    DiedRun run{};
    RunGame(s, 200000, dir, [&](long t) { return t < 100 || gamestate != GameState::FrontEnd; });
    run.score = score;
    run.highrank = highrank;
    run.atgameover = DieAndLookOnDisk(score, highrank - 1);
    HeadlessReleaseAll();
    HeadlessSetMouse(400, 40);
    tick(3);
    tap(kEnter);  // CONTINUE
    for (int key : {'A', 'C', 'E'}) tap(key);
    tap(kEnter);  // done
    run.afterentry = DieAndLookOnDisk(run.score, run.highrank - 1);
    return std::vector<DiedRun>{run};
  });
  ASSERT_EQ(got.size(), 1u);
  const DiedRun& r = got[0];
  ASSERT_GT(r.score, HS_ROWS) << "the game did not beat the table's smallest scores";
  ASSERT_GT(r.highrank, 0);
  for (const DiskTable* died : {&r.atgameover, &r.afterentry}) {
    SCOPED_TRACE(died == &r.atgameover ? "died at game over" : "died after the name entry");
    const DiskTable& t = *died;
    EXPECT_EQ(t.missing, 0) << "rows on disk without their replay";
    EXPECT_EQ(t.orphans, 0) << "replays on disk that no row holds";
    EXPECT_TRUE(t.newrow) << "the new game's row was lost";
  }
  EXPECT_STREQ(r.afterentry.name, "ace");
}

// A replay watched from the table: the frame-rate readout (F1) and the
// overlay (F2) follow the watcher's own keys, never the presses it
// recorded, and stay as the watcher left them after it; the replay's notice
// lies wholly inside the picture, clear of the readout, on a dark box
// painted under it that covers it, so that the grid does not show through.
struct WatcherRun {
  int started, fpsrecorded, overlayrecorded, fpswatcher, overlaywatcher, fpsafter, overlayafter, backinviewer;
  float notice[4], readout[4];  // left, top, right, bottom of each text's glyphs
  float backing[4];             // the same of the dark box under the notice
  int backingfirst;             // painted before the notice's first glyph
  float backingalpha;
};

// The last pass's dark box under the foot of the picture, and whether it was
// painted before any half-size glyph there.
static void NoticeBacking(WatcherRun& run) {
  run.backing[0] = run.backing[1] = run.backing[2] = run.backing[3] = 0;
  run.backingfirst = 0;
  run.backingalpha = 0;
  bool glyphseen = false;
  for (const RecordedDraw& d : HeadlessDraws()) {
    if (d.img == fontimg && d.sx == 0.5f && d.y >= 500) glyphseen = true;
    if (d.img != whiteimg || d.y < 500 || d.r + d.g + d.b != 0) continue;
    run.backing[0] = d.x - d.img->handle_x * d.sx;
    run.backing[1] = d.y - d.img->handle_y * d.sy;
    run.backing[2] = d.x + (d.img->width - d.img->handle_x) * d.sx;
    run.backing[3] = d.y + (d.img->height - d.img->handle_y) * d.sy;
    run.backingfirst = !glyphseen;
    run.backingalpha = d.alpha;
  }
}

// The box round the last pass's half-size glyphs on one side of x = 650.
static void HalfSizeTextBox(bool right, float* box) {
  box[0] = box[1] = 1e9f;
  box[2] = box[3] = -1e9f;
  for (const RecordedDraw& d : HeadlessDraws()) {
    if (d.img != fontimg || d.sx != 0.5f || d.y < 500 || (d.x >= 650) != right) continue;
    box[0] = std::min(box[0], d.x - d.img->handle_x * d.sx);
    box[1] = std::min(box[1], d.y - d.img->handle_y * d.sy);
    box[2] = std::max(box[2], d.x + (d.img->width - d.img->handle_x) * d.sx);
    box[3] = std::max(box[3], d.y + (d.img->height - d.img->handle_y) * d.sy);
  }
}

TEST(TableGame, AReplayFromTheTableLeavesTheReadoutAndOverlayToItsWatcher) {
  std::vector<WatcherRun> got = InChild<WatcherRun>([&](const ScratchDir& dir) {
    WatcherRun run{};
    Script idle{0, [](long) { return std::vector<int>{}; }};
    RunGame(idle, 30, dir, [](long) { return true; });
    // A recording whose player pressed F1 and F2 together on its tenth tick.
    constexpr uint8_t kKeyTag = 1, kPressed = 1, kLetGo = 0;
    Replay r;
    r.gameversion = version;
    r.startstate = RandomState();
    CaptureReplaySettings(r.settings);
    r.ticks = 200;
    for (uint32_t t = 1; t <= r.ticks; t++) {
      if (t == 10 || t == 11) {
        uint8_t level = t == 10 ? kPressed : kLetGo;
        for (uint8_t b : {uint8_t(2), kKeyTag, uint8_t(VK_F1), level, kKeyTag, uint8_t(VK_F2), level})
          r.body.push_back(b);
      } else {
        r.body.push_back(0);
      }
    }
    std::filesystem::create_directories("replays");
    std::string why;
    run.started = SaveReplay("replays/watched.pfr", r, &why) && WatchTableReplay("replays/watched.pfr", &why);
    tick(20);
    run.fpsrecorded = showfps;
    run.overlayrecorded = showoverlay;
    tap(VK_F1);
    tap(VK_F2);
    run.fpswatcher = showfps;
    run.overlaywatcher = showoverlay;
    HalfSizeTextBox(false, run.notice);
    HalfSizeTextBox(true, run.readout);
    NoticeBacking(run);
    tap(VK_ESCAPE);
    run.backinviewer = menustate == MenuState::HighScoreViewer && gamestate == GameState::FrontEnd;
    run.fpsafter = showfps;
    run.overlayafter = showoverlay;
    return std::vector<WatcherRun>{run};
  });
  ASSERT_EQ(got.size(), 1u);
  const WatcherRun& r = got[0];
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.fpsrecorded, 0);
  EXPECT_EQ(r.overlayrecorded, 0);
  EXPECT_EQ(r.fpswatcher, 1);
  EXPECT_EQ(r.overlaywatcher, 1);
  EXPECT_TRUE(r.backinviewer);
  EXPECT_EQ(r.fpsafter, 1);
  EXPECT_EQ(r.overlayafter, 1);
  for (const float* box : {r.notice, r.readout}) {
    EXPECT_GE(box[0], 0);
    EXPECT_GE(box[1], 0);
    EXPECT_LE(box[2], 800);
    EXPECT_LE(box[3], 600);
  }
  EXPECT_TRUE(r.backingfirst);
  EXPECT_GE(r.backingalpha, 0.5f);
  EXPECT_LE(r.backing[0], r.notice[0]);
  EXPECT_LE(r.backing[1], r.notice[1]);
  EXPECT_GE(r.backing[2], r.notice[2]);
  EXPECT_GE(r.backing[3], r.notice[3]);
  bool apart = r.notice[2] <= r.readout[0] || r.notice[3] <= r.readout[1] || r.readout[3] <= r.notice[1];
  EXPECT_TRUE(apart) << "notice " << r.notice[0] << "," << r.notice[1] << ".." << r.notice[2] << ","
                     << r.notice[3] << " readout " << r.readout[0] << "," << r.readout[1] << ".."
                     << r.readout[2] << "," << r.readout[3];
}

// A replay watched from the table that stops early (a desync), or a row's
// file that cannot be played, is said on the viewer in a line of its own,
// for a few seconds, not only on standard error.
struct NoticeRun {
  int backinviewer, sawdesync, sawrefused, drawn, gone;
};

TEST(TableGame, AWatchedReplayThatStopsEarlySaysWhyOnTheTable) {
  std::vector<NoticeRun> got = InChild<NoticeRun>([&](const ScratchDir& dir) {
    NoticeRun run{};
    Script idle{0, [](long) { return std::vector<int>{}; }};
    RunGame(idle, 30, dir, [](long) { return true; });
    // A recording whose first checkpoint no game meets.
    Replay r;
    r.gameversion = version;
    r.startstate = RandomState();
    CaptureReplaySettings(r.settings);
    r.ticks = 120;
    for (uint32_t t = 1; t <= r.ticks; t++) {
      if (t != 60) {
        r.body.push_back(0);
        continue;
      }
      r.body.insert(r.body.end(), {1, 7});
      for (int i = 0; i < 8 * RP_COUNT; i++) r.body.push_back(0xee);
    }
    std::filesystem::create_directories("replays");
    std::string why;
    if (!SaveReplay("replays/watched.pfr", r, &why) || !WatchTableReplay("replays/watched.pfr", &why)) return std::vector<NoticeRun>{};
    for (long i = 0; i < 1000 && gamestate == GameState::Game; i++) tick();
    tick(2);
    run.backinviewer = menustate == MenuState::HighScoreViewer;
    run.sawdesync = TableNotice().find("desync at tick 60") != std::string::npos;
    for (const RecordedDraw& d : HeadlessDraws()) run.drawn += d.img == fontimg && d.y < 100 && d.sx == 0.5f;
    tick(400);
    run.gone = TableNotice().empty();
    // The best row's replay is damaged: a click on it says so.
    hsscore[0] = 123450;
    {
      std::ofstream f(TableReplayPath(hsscore[0], std::time(nullptr)), std::ios::binary);
      f << "PFRP but not a replay";
    }
    ReturnToFrontEnd(MenuState::HighScores);
    hspage = 0;
    tick(3);
    HeadlessSetMouse(300, 120);
    tick(2);
    HeadlessSetMouseButton(1, 1);
    tick();
    HeadlessSetMouseButton(1, 0);
    tick();
    run.sawrefused = TableNotice().find("cannot be played") != std::string::npos && gamestate == GameState::FrontEnd;
    return std::vector<NoticeRun>{run};
  });
  ASSERT_EQ(got.size(), 1u);
  const NoticeRun& r = got[0];
  EXPECT_TRUE(r.backinviewer);
  EXPECT_TRUE(r.sawdesync);
  EXPECT_GT(r.drawn, 10);
  EXPECT_TRUE(r.gone);
  EXPECT_TRUE(r.sawrefused);
}
