// The program's entry: options, folders, start-up and the frame loop.
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include "app/frame_loop.h"
#include "app/options.h"
#include "app/overlay.h"
#include "app/replay_run.h"
#include "app/screenshot.h"
#include "app/submit.h"
#include "app/timedemo.h"
#include "frontend/table_replays.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "platform/render.h"

#ifndef PULSEFIELD_INSTALLED_DATADIR
#define PULSEFIELD_INSTALLED_DATADIR "/usr/local/share/pulsefield/data"
#endif
#ifndef PULSEFIELD_BINDIR_TO_DATADIR
#define PULSEFIELD_BINDIR_TO_DATADIR "../share/pulsefield/data"
#endif

// SIGINT, SIGTERM and SIGHUP (a closed terminal) end the loop in order, so
// the settings still get saved.
static void OnSignal(int) { RequestQuit(); }

// Installs the handlers. This comes before anything else, so that a signal
// during start-up ends the game in order too (once start-up is done).
static void CatchQuitSignals() {
  struct sigaction sa = {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
}

// The installed media folder: beside the installed program first (wherever
// the installation was moved), else where it was installed.
static std::string InstalledDataDir(const std::string& progdir) {
  std::error_code ec;
  std::string beside = progdir + "/" + PULSEFIELD_BINDIR_TO_DATADIR;
  if (!progdir.empty() && std::filesystem::is_directory(beside + "/gfx", ec)) return beside;
  return PULSEFIELD_INSTALLED_DATADIR;
}

// The account's home folder from the password database, for a HOME that is
// unset or not a folder from the root; null when there is none.
static const char* AccountHome() {
  struct passwd* pw = getpwuid(getuid());
  return pw ? pw->pw_dir : nullptr;
}

// A save killed part-way leaves its temporary file ("highscore.dat.tmp-x1y2z3"):
// those of our own saves, in the folders we save into, go at start-up once
// they are a minute old (no other copy of the game could still be writing them).
// A save that is a link into another folder leaves its temporaries beside the
// file it names, so that folder is swept too, for that file's alone.
static void RemoveStaleSaves() {
  constexpr int kStaleSeconds = 60;
  RemoveStaleTemporaries("", [](const std::string& t) { return t == "config.dat" || t == "highscore.dat"; },
                         kStaleSeconds);
  for (const char* save : {"config.dat", "highscore.dat", "replays/last.pfr"})
    RemoveStaleTemporariesOf(save, kStaleSeconds);
  RemoveStaleTemporaries("replays", [](const std::string& t) {
    int64_t score;
    return t == "last.pfr" || TableReplayScore(t, &score);
  }, kStaleSeconds);
  RemoveStaleTemporaries("screenshots", ScreenshotName, kStaleSeconds);
}

// Runs the game; returns the process's exit code.
static int Run(int argc, char** argv) {
  StartOptions opts = ParseOptions(argc, argv);
  if (!opts.error.empty()) {
    std::fprintf(stderr, "pulsefield: %s\n%s", opts.error.c_str(), UsageText().c_str());
    return 2;
  }
  if (opts.help) {
    std::printf("%s", UsageText().c_str());
    return 0;
  }
  if (opts.version) {
    std::printf("Pulsefield %s\n", version.c_str());
    return 0;
  }
  std::string why;
  SetRenderScale(opts.renderscale);
  // A replay that cannot be played is refused before anything opens.
  const std::string& watch = opts.timedemo.empty() ? opts.replay : opts.timedemo;
  if (!watch.empty() && !LoadReplayToWatch(watch, &why)) {
    std::fprintf(stderr, "pulsefield: %s\n", why.c_str());
    return 1;
  }
  // The frame log is named from where the program was started.
  if (!opts.timedemo.empty() || !opts.framelog.empty()) {
    std::error_code ec;
    std::string log = opts.framelog.empty() ? "" : std::filesystem::absolute(opts.framelog, ec).string();
    if (opts.timedemo.empty()) BeginWatchedFrameLog(log);
    else BeginTimedemo(log);
  }
  std::string progdir = ProgramFolder();
  std::string installeddir = InstalledDataDir(progdir);
  std::string datadir = FindDataDir(opts.datadir, progdir, installeddir, &why);
  bool installed = opts.datadir.empty() && datadir == installeddir;
  if (datadir.empty()) {
    std::fprintf(stderr, "pulsefield: %s\n", why.c_str());
    return 1;
  }
  SetDataDir(datadir);
  SetProgramDir(progdir.empty() ? "." : progdir);
  std::string userdir;
  const char* home = std::getenv("HOME");
  const char* accounthome = home && home[0] == '/' ? nullptr : AccountHome();
  if (!ChoosePlayerDir(opts.userdir, installed, std::getenv("XDG_DATA_HOME"), home, accounthome, &userdir, &why)) {
    std::fprintf(stderr, "pulsefield: %s\n", why.c_str());
    return 1;
  }
  // A game sent to a board needs no window, and leaves the player's folder as it is.
  if (!opts.submit.empty()) return RunSubmit(opts, SubmitName(opts, userdir));
  // No option's output may land on the player's saves (still from the start
  // folder), nor on those in the usual folder when --userdir names another.
  std::string clash = OutputOverSaves(opts, userdir);
  std::string usualdir;
  if (clash.empty() && !opts.userdir.empty() &&
      ChoosePlayerDir("", installed, std::getenv("XDG_DATA_HOME"), home, accounthome, &usualdir, nullptr) &&
      !usualdir.empty())
    clash = OutputOverSaves(opts, usualdir);
  if (!clash.empty()) {
    std::fprintf(stderr, "pulsefield: %s\n", clash.c_str());
    return 1;
  }
  if (!userdir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(userdir, ec);
    ec.clear();
    std::filesystem::current_path(userdir, ec);
    if (ec) {
      std::fprintf(stderr, "pulsefield: cannot use \"%s\" for the player's files: %s\n",
                   userdir.c_str(), ec.message().c_str());
      return 1;
    }
  }
  RemoveStaleSaves();
  PlatformInit(opts.headless ? PlatformKind::Headless : PlatformKind::Real);
  if (opts.gles && !opts.headless) SetRenderBackend(GLESRenderBackend());
  SetJoysticksDisabled(opts.nojoystick);
  if (opts.headless) HeadlessReleaseAll();
  StartUp(opts);
  int code = RunLoop(opts);
  if (opts.headless) std::printf("%s\n", StatsLine().c_str());
  return code;
}

// An error that nothing handled ends the program with its message and 255.
int main(int argc, char** argv) {
  CatchQuitSignals();
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return EXIT_UNHANDLED_ERROR;
  }
}
