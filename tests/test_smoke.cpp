// The real program, end to end: it starts, runs, and on SIGTERM quits in
// order, writing its settings.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
extern char** environ;

namespace {
const std::string kProgram = std::string(PULSEFIELD_BINARY_DIR) + "/pulsefield";

// Starts the program with arguments; returns its pid (or -1).
pid_t Start(const std::vector<std::string>& args, const std::string& errfile) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(kProgram.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 2, errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawn(&pid, kProgram.c_str(), &fa, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  return pid;
}

// Waits for the process; returns its exit code, or -1 if it did not exit.
int Wait(pid_t pid, int seconds) {
  for (int i = 0; i < seconds * 20; i++) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

std::string Slurp(const std::string& path) {
  std::ifstream f(path);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

fs::path FreshDir(const std::string& name) {
  fs::path d = fs::temp_directory_path() / ("pf_smoke_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}
}  // namespace

TEST(Smoke, RealProgramRunsAndSavesOnSigterm) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
  fs::path dir = FreshDir("sigterm");
  std::string err = (dir / "stderr.txt").string();
  pid_t pid = Start({"--userdir", dir.string(), "--no-sound"}, err);
  ASSERT_GT(pid, 0);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  kill(pid, SIGTERM);
  EXPECT_EQ(Wait(pid, 20), 0) << Slurp(err);
  EXPECT_TRUE(fs::exists(dir / "config.dat"));
  EXPECT_EQ(fs::file_size(dir / "config.dat"), 72u);
  fs::remove_all(dir);
}

TEST(Smoke, HeadlessTicksAndCommandLine) {
  fs::path dir = FreshDir("headless");
  std::string err = (dir / "stderr.txt").string();
  pid_t pid = Start({"--headless", "--ticks", "200", "--seed", "7", "--userdir", dir.string()}, err);
  ASSERT_GT(pid, 0);
  EXPECT_EQ(Wait(pid, 60), 0) << Slurp(err);
  EXPECT_TRUE(fs::exists(dir / "config.dat"));

  pid = Start({"--no-such-option"}, err);
  EXPECT_EQ(Wait(pid, 20), 2);
  EXPECT_NE(Slurp(err).find("Usage"), std::string::npos);
  pid = Start({"--version"}, err);
  EXPECT_EQ(Wait(pid, 20), 0);
  pid = Start({"--seed", "x"}, err);
  EXPECT_EQ(Wait(pid, 20), 2);
  fs::remove_all(dir);
}

TEST(Smoke, NoDisplayGivesAClearMessageAndExitCode1) {
  fs::path dir = FreshDir("nodisplay");
  std::string err = (dir / "stderr.txt").string();
  const char* display = std::getenv("DISPLAY");
  std::string saved = display ? display : "";
  setenv("DISPLAY", ":987", 1);
  unsetenv("WAYLAND_DISPLAY");
  pid_t pid = Start({"--userdir", dir.string(), "--no-sound"}, err);
  int code = Wait(pid, 30);
  if (display) setenv("DISPLAY", saved.c_str(), 1);
  else unsetenv("DISPLAY");
  EXPECT_EQ(code, 1);
  EXPECT_NE(Slurp(err).find("display"), std::string::npos) << Slurp(err);
  EXPECT_FALSE(fs::exists(dir / "config.dat"));
  fs::remove_all(dir);
}
