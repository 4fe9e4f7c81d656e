// The real program, end to end: it starts, runs, and on SIGTERM quits in
// order, writing its settings.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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
