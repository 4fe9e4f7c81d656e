// The verifier: leases, the sandboxed child that plays a replay, verdicts.
#include "board/verifier.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <thread>

#include "app/options.h"
#include "app/replay_run.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "playfield/playfield.h"
#include "services/services.h"

#ifndef PULSEFIELD_INSTALLED_DATADIR
#define PULSEFIELD_INSTALLED_DATADIR "/usr/local/share/pulsefield/data"
#endif

namespace {

// The memory a child may map: the game with its media and the largest body
// fit many times over.
constexpr rlim_t kChildAddressSpace = rlim_t(2) << 30;
// How long an idle verifier waits before it looks for work again.
constexpr auto kIdlePoll = std::chrono::milliseconds(500);
// The child's answer is a few short lines; more is not read.
constexpr size_t kMaxAnswerBytes = 4096;

// ASan maps terabytes of shadow memory, so a sanitizer build keeps no address-space limit.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLimitAddressSpace = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif
#else
constexpr bool kLimitAddressSpace = true;
#endif

int64_t Now() { return (int64_t)std::time(nullptr); }

// In the child: plays the replay through the real game, headless, and
// writes "ok" or "no", the score, the clock and the reason, one a line.
std::string PlayHere(const std::vector<uint8_t>& bytes, const std::string& datadir) {
  std::string why;
  if (!LoadReplayBytesToWatch(bytes.data(), bytes.size(), &why)) return "no\n0\n0\n" + why;
  SetDataDir(datadir);
  std::string progdir = ProgramFolder();
  SetProgramDir(progdir.empty() ? "." : progdir);
  PlatformInit(PlatformKind::Headless);
  HeadlessReleaseAll();
  StartOptions opts;
  opts.headless = true;
  opts.nosound = true;
  StartUp(opts);
  RunLoop(opts);
  bool exact = WatchedReplayExact(&why);
  return std::string(exact ? "ok" : "no") + "\n" + std::to_string(score) + "\n" + std::to_string(gameclock) + "\n" +
         why;
}

// The child's side: limits first, then the game in a scratch folder of its own.
[[noreturn]] void RunChild(int out, pid_t parent, const std::vector<uint8_t>& bytes, const std::string& datadir,
                           int64_t cpuseconds, const std::string& scratch) {
  // The child dies with its verifier, so a killed verifier leaves no game playing.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(1);
  int devnull = open("/dev/null", O_WRONLY);
  if (devnull >= 0) dup2(devnull, STDOUT_FILENO);
  rlimit cpu{(rlim_t)cpuseconds, (rlim_t)cpuseconds + 1};
  setrlimit(RLIMIT_CPU, &cpu);
  if (kLimitAddressSpace) {
    rlimit as{kChildAddressSpace, kChildAddressSpace};
    setrlimit(RLIMIT_AS, &as);
  }
  std::string answer;
  try {
    // An empty folder, gone as soon as the child stands in it: the game reads
    // no one's settings there, and a killed verifier leaves nothing behind.
    if (chdir(scratch.c_str()) != 0 || rmdir(scratch.c_str()) != 0)
      answer = "no\n0\n0\nthe verifier has no scratch folder";
    else answer = PlayHere(bytes, datadir);
  } catch (const std::exception& e) {
    answer = std::string("no\n0\n0\nthe replay stopped the game: ") + e.what();
  }
  const char* p = answer.data();
  size_t left = answer.size();
  while (left > 0) {
    ssize_t n = write(out, p, left);
    if (n <= 0) break;
    p += n;
    left -= (size_t)n;
  }
  _exit(0);
}

// Reads the child's answer, then its end; a refusal when it died instead.
Verdict AwaitChild(pid_t pid, int in, int64_t cpuseconds) {
  std::string answer;
  char buf[512];
  ssize_t n;
  while ((n = read(in, buf, sizeof buf)) > 0 && answer.size() < kMaxAnswerBytes) answer.append(buf, (size_t)n);
  close(in);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  Verdict v;
  if (WIFSIGNALED(status)) {
    int sig = WTERMSIG(status);
    v.reason = sig == SIGXCPU || sig == SIGKILL
                   ? "the replay took more than the " + std::to_string(cpuseconds) + " seconds of CPU time allowed"
                   : "the replay's player stopped with signal " + std::to_string(sig);
    return v;
  }
  size_t a = answer.find('\n'), b = answer.find('\n', a + 1), c = answer.find('\n', b + 1);
  if (a == std::string::npos || b == std::string::npos || c == std::string::npos) {
    v.reason = "the replay's player gave no answer";
    return v;
  }
  v.score = std::strtoll(answer.c_str() + a + 1, nullptr, 10);
  v.clock = std::strtoll(answer.c_str() + b + 1, nullptr, 10);
  v.reason = answer.substr(c + 1);
  if (answer.compare(0, a, "ok") == 0) v.status = GameStatus::Verified;
  return v;
}

}  // namespace

Verdict JudgeReplay(const std::vector<uint8_t>& bytes, int64_t score, int64_t clock, const VerifierOptions& opts,
                    const std::string& datadir) {
  Verdict v;
  Replay head;
  size_t bodyat;
  uint32_t bodylength;
  if (!DecodeReplayHeader(bytes.data(), bytes.size(), head, &bodyat, &bodylength, &v.reason)) return v;
  if (head.gameversion != version) {
    v.reason = "the replay is of Pulsefield " + head.gameversion + "; this board plays " + version;
    return v;
  }
  std::error_code ec;
  std::filesystem::path scratch = std::filesystem::temp_directory_path(ec) / "pulsefield-board-XXXXXX";
  std::string folder = scratch.string();
  int pipefd[2];
  if (ec || !mkdtemp(folder.data()) || pipe(pipefd) != 0) {
    v.reason = "the verifier could not make its scratch folder";
    return v;
  }
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    RunChild(pipefd[1], parent, bytes, datadir, opts.cpuseconds, folder);
  }
  close(pipefd[1]);
  if (pid < 0) {
    close(pipefd[0]);
    v.reason = "the verifier could not start a player";
  } else {
    v = AwaitChild(pid, pipefd[0], opts.cpuseconds);
  }
  std::filesystem::remove_all(folder, ec);
  if (v.status != GameStatus::Verified) return v;
  // The player checked the file against itself; the board checks the claims too.
  if (v.score != score || v.clock != clock) {
    v.status = GameStatus::Refused;
    v.reason = "the replay plays to score " + std::to_string(v.score) + " and clock " + std::to_string(v.clock) +
               ", not the " + std::to_string(score) + " and " + std::to_string(clock) + " it claims";
  }
  return v;
}

int RunVerifier(const VerifierOptions& opts) {
  std::string why;
  std::string datadir =
      FindDataDir(opts.datadir, ProgramFolder(), PULSEFIELD_INSTALLED_DATADIR, &why);
  if (datadir.empty()) {
    std::fprintf(stderr, "pulsefield-board: %s\n", why.c_str());
    return 1;
  }
  Store store;
  if (!OpenStore(opts.db, store, &why)) {
    std::fprintf(stderr, "pulsefield-board: %s\n", why.c_str());
    return 1;
  }
  for (;;) {
    Job job;
    if (!ClaimJob(store, Now(), opts.leaseseconds, job)) {
      // With --once, a game another verifier holds is waited for: its lease may run out.
      if (opts.once && PendingGames(store) == 0) break;
      std::this_thread::sleep_for(kIdlePoll);
      continue;
    }
    std::printf("verifying game %lld\n", (long long)job.id);
    std::fflush(stdout);
    Verdict v = JudgeReplay(job.bytes, job.score, job.clock, opts, datadir);
    FinishJob(store, job.id, v.status, v.reason, v.score, v.clock);
    std::printf("game %lld %s%s%s\n", (long long)job.id, GameStatusName(v.status), v.reason.empty() ? "" : ": ",
                v.reason.c_str());
    std::fflush(stdout);
  }
  CloseStore(store);
  return 0;
}
