// Scratch folders and runs of the built program for the tests: every folder
// is unique, so runs from several build folders at once never meet.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// A new empty folder in the system's temporary folder, removed with all it
// holds when this goes out of scope.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("pf_" + name + "_XXXXXX")).string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string string() const { return path_.string(); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// A test that runs in a scratch folder of its own, made the current folder
// for the test and left again after it.
class InScratchDir : public ::testing::Test {
 protected:
  explicit InScratchDir(const std::string& name) : dir(name) {}
  void SetUp() override {
    old = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
  }
  void TearDown() override { std::filesystem::current_path(old); }
  ScratchDir dir;

 private:
  std::filesystem::path old;
};

// The whole file as bytes (none if it cannot be read), and a file made of bytes.
inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}
inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& b) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// The whole file as text ("" if it cannot be read).
inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream f(path);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// Starts the program with the arguments, its errors written to errfile and
// its output to outfile (dropped when none); returns its pid, or -1 if it
// could not start.
inline pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& errfile,
                          const std::filesystem::path& outfile = {}) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 2, errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (outfile.empty()) {
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_addopen(&fa, 1, outfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &fa, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  return pid;
}

// Waits up to the given seconds for the process; returns its exit code, or
// -1 if it did not exit normally (it is killed if still running).
inline int WaitProgram(pid_t pid, int seconds) {
  if (pid <= 0) return -1;
  for (int i = 0; i < seconds * 20; i++) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

struct RunResult {
  int code = -1;
  std::string err;
};

// Runs the program to its end (at most the given seconds), its errors
// captured in errfile; returns the exit code and what it wrote there.
inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::filesystem::path& errfile, int seconds = 60) {
  RunResult r;
  r.code = WaitProgram(StartProgram(program, args, errfile), seconds);
  r.err = Slurp(errfile);
  return r;
}

// What f writes on stderr, caught through a pipe (which, unlike a file, no
// file size limit cuts short).
template <typename F>
std::string StderrOf(F f) {
  std::fflush(stderr);
  int p[2];
  if (pipe(p) != 0) return "";
  int saved = dup(2);
  dup2(p[1], 2);
  close(p[1]);
  f();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string out;
  char buf[4096];
  ssize_t n;
  while ((n = read(p[0], buf, sizeof buf)) > 0) out.append(buf, (size_t)n);
  close(p[0]);
  return out;
}
