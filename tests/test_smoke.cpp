// The real program, end to end: it starts, runs, and on SIGTERM, SIGINT or
// SIGHUP quits in order, writing its settings.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/run_helpers.h"

namespace fs = std::filesystem;

namespace {
const std::string kProgram = std::string(PULSEFIELD_BINARY_DIR) + "/pulsefield";

// Starts the built game with the arguments, its errors going to errfile.
pid_t Start(const std::vector<std::string>& args, const fs::path& errfile) {
  return StartProgram(kProgram, args, errfile);
}
}  // namespace

TEST(Smoke, RealProgramRunsAndSavesOnSigterm) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
  ScratchDir dir("smoke_sigterm");
  fs::path err = dir / "stderr.txt";
  pid_t pid = Start({"--userdir", dir.string(), "--no-sound"}, err);
  ASSERT_GT(pid, 0);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitProgram(pid, 20), 0) << Slurp(err);
  EXPECT_TRUE(fs::exists(dir / "config.dat"));
  EXPECT_EQ(fs::file_size(dir / "config.dat"), 72u);
}

TEST(Smoke, HeadlessTicksAndCommandLine) {
  ScratchDir dir("smoke_headless");
  fs::path err = dir / "stderr.txt";
  pid_t pid = Start({"--headless", "--ticks", "200", "--seed", "7", "--userdir", dir.string()}, err);
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitProgram(pid, 60), 0) << Slurp(err);
  EXPECT_TRUE(fs::exists(dir / "config.dat"));

  pid = Start({"--no-such-option"}, err);
  EXPECT_EQ(WaitProgram(pid, 20), 2);
  EXPECT_NE(Slurp(err).find("Usage"), std::string::npos);
  pid = Start({"--version"}, err);
  EXPECT_EQ(WaitProgram(pid, 20), 0);
  pid = Start({"--seed", "x"}, err);
  EXPECT_EQ(WaitProgram(pid, 20), 2);
}

TEST(Smoke, NoDisplayGivesAClearMessageAndExitCode1) {
  ScratchDir dir("smoke_nodisplay");
  fs::path err = dir / "stderr.txt";
  const char* display = std::getenv("DISPLAY");
  std::string saved = display ? display : "";
  setenv("DISPLAY", ":987", 1);
  unsetenv("WAYLAND_DISPLAY");
  pid_t pid = Start({"--userdir", dir.string(), "--no-sound"}, err);
  int code = WaitProgram(pid, 30);
  if (display) setenv("DISPLAY", saved.c_str(), 1);
  else unsetenv("DISPLAY");
  EXPECT_EQ(code, 1);
  EXPECT_NE(Slurp(err).find("display"), std::string::npos) << Slurp(err);
  EXPECT_FALSE(fs::exists(dir / "config.dat"));
}

TEST(Smoke, AHeadlessRunEndsWithItsStatisticsLine) {
  ScratchDir dir("smoke_stats");
  fs::path err = dir / "stderr.txt", out = dir / "stdout.txt";
  pid_t pid = StartProgram(kProgram, {"--headless", "--play", "--ticks", "3000", "--seed", "5",
                                      "--userdir", dir.string()},
                           err, out);
  ASSERT_EQ(WaitProgram(pid, 60), 0) << Slurp(err);
  std::string line = Slurp(out);
  ASSERT_EQ(line.rfind("stats: ", 0), 0u) << line;
  EXPECT_NE(line.find(" ticks=3000 "), std::string::npos) << line;
  EXPECT_NE(line.find(" games=1 "), std::string::npos) << line;
  // Nobody plays: the ship stands still until its three lives are gone.
  EXPECT_NE(line.find(" lives_lost=3 "), std::string::npos) << line;
  for (const char* kind : {"wanderer", "chaser", "splitter", "dodger", "weaver", "snake",
                           "shieldship", "hole", "spawnling", "splinter"}) {
    EXPECT_NE(line.find(std::string(" spawned_") + kind + "="), std::string::npos) << kind;
    EXPECT_NE(line.find(std::string(" killed_") + kind + "="), std::string::npos) << kind;
  }
  EXPECT_EQ(line.find("spawned_wanderer=0 "), std::string::npos) << "the waves never came";
  EXPECT_EQ(line.back(), '\n');
}

namespace {
// Whether the process has a handler for the signal yet (SigCgt in /proc).
bool Catches(pid_t pid, int sig) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
  return false;
}
}  // namespace

// The handlers come first, so a signal sent the moment the game can catch
// it (still starting up) ends it in order; a hang-up counts as a quit.
TEST(Smoke, ASignalDuringStartUpOrAHangUpEndsTheGameInOrderAndSaves) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(sig);
    ScratchDir dir("smoke_signal");
    fs::path err = dir / "stderr.txt";
    pid_t pid = Start({"--headless", "--userdir", dir.string()}, err);  // runs until told to quit
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 20000 && !Catches(pid, sig); i++) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(pid, sig);
    EXPECT_EQ(WaitProgram(pid, 60), 0) << Slurp(err);
    EXPECT_TRUE(fs::exists(dir / "config.dat"));
  }
}

// A FIFO named config.dat once hung start-up for ever; now it is reported,
// played past with the defaults, and left in place at quit.
TEST(Smoke, AFifoNamedConfigDatNeitherHangsStartUpNorIsReplaced) {
  ScratchDir dir("smoke_fifo");
  ASSERT_EQ(mkfifo((dir / "config.dat").c_str(), 0644), 0);
  RunResult r = RunProgram(kProgram, {"--headless", "--ticks", "5", "--userdir", dir.string()}, dir / "stderr.txt");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("cannot read the settings in \"config.dat\" (it is not a regular file)"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("settings not saved"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_fifo(dir / "config.dat"));
}

// Temporary files that killed saves left in the player's folders go at
// start-up once a minute old; everything else there stays.
TEST(Smoke, StartUpRemovesOnlyTheStaleTemporaryFilesOfOurOwnSaves) {
  ScratchDir dir("smoke_stale");
  fs::create_directories(dir / "replays");
  fs::create_directories(dir / "screenshots");
  auto make = [&](const std::string& name, bool stale) {
    std::ofstream(dir / name) << "t";
    if (stale) fs::last_write_time(dir / name, fs::file_time_type::clock::now() - std::chrono::minutes(5));
  };
  const std::vector<std::string> stale = {
      "config.dat.tmp-a1b2c3", "highscore.dat.tmp-zz99zz", "replays/last.pfr.tmp-q1w2e3",
      "replays/2026-12-07_14-48-22_12345.pfr.tmp-aaaaaa", "screenshots/pulsefield-2026-12-07-123456.png.tmp-b2c3d4",
      "screenshots/pulsefield-2026-12-07-123456-2.png.tmp-c3d4e5"};
  const std::vector<std::string> kept = {
      "notes.txt.tmp-a1b2c3", "replays/mine.pfr.tmp-a1b2c3", "screenshots/holiday.png.tmp-a1b2c3",
      "config.dat.tmp-A1B2C3", "replays/config.dat.tmp-a1b2c3", "notes.txt"};
  for (const std::string& n : stale) make(n, true);
  for (const std::string& n : kept) make(n, true);
  make("highscore.dat.tmp-fresh1", false);  // a save of another copy still going on
  pid_t pid = Start({"--headless", "--ticks", "1", "--userdir", dir.string()}, dir / "stderr.txt");
  EXPECT_EQ(WaitProgram(pid, 60), 0) << Slurp(dir / "stderr.txt");
  for (const std::string& n : stale) EXPECT_FALSE(fs::exists(dir / n)) << n;
  for (const std::string& n : kept) EXPECT_TRUE(fs::exists(dir / n)) << n;
  EXPECT_TRUE(fs::exists(dir / "highscore.dat.tmp-fresh1"));
}

// A save kept as a link into another folder (a synced one, say) is written
// beside the file the link names, so a killed save leaves its temporary
// file there: start-up removes those of that file's name once a minute old,
// and nothing else in that folder, which is not the game's.
TEST(Smoke, StartUpRemovesTheStaleTemporaryFilesBesideTheFileALinkedSaveNames) {
  ScratchDir dir("smoke_stale_linked");
  fs::create_directories(dir / "user" / "replays");
  fs::create_directories(dir / "synced");
  auto make = [&](const std::string& name, bool stale) {
    std::ofstream(dir / name) << "t";
    if (stale) fs::last_write_time(dir / name, fs::file_time_type::clock::now() - std::chrono::minutes(5));
  };
  make("synced/settings", false);
  make("synced/scores", false);
  make("synced/mine.pfr", false);
  fs::create_symlink(dir / "synced/settings", dir / "user/config.dat");
  fs::create_symlink("../synced/scores", dir / "user/highscore.dat");  // a relative link
  fs::create_symlink(dir / "synced/mine.pfr", dir / "user/replays/last.pfr");
  const std::vector<std::string> stale = {"synced/settings.tmp-a1b2c3", "synced/scores.tmp-zz99zz",
                                          "synced/mine.pfr.tmp-q1w2e3"};
  const std::vector<std::string> kept = {"synced/config.dat.tmp-a1b2c3", "synced/notes.txt.tmp-a1b2c3",
                                         "synced/settings.tmp-A1B2C3", "synced/settings.old", "synced/notes.txt"};
  for (const std::string& n : stale) make(n, true);
  for (const std::string& n : kept) make(n, true);
  make("synced/scores.tmp-fresh1", false);  // a save of another copy still going on
  pid_t pid = Start({"--headless", "--ticks", "1", "--userdir", (dir / "user").string()}, dir / "stderr.txt");
  EXPECT_EQ(WaitProgram(pid, 60), 0) << Slurp(dir / "stderr.txt");
  for (const std::string& n : stale) EXPECT_FALSE(fs::exists(dir / n)) << n;
  for (const std::string& n : kept) EXPECT_TRUE(fs::exists(dir / n)) << n;
  EXPECT_TRUE(fs::exists(dir / "synced/scores.tmp-fresh1"));
  EXPECT_TRUE(fs::is_symlink(dir / "user/config.dat"));  // saved through, the link kept
}
