// The program's entry: options, folders, start-up and the frame loop.
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include "platform/files.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "playfield/overlay.h"
#include "shell/frame_loop.h"
#include "shell/options.h"
#include "shell/replay_run.h"

#ifndef PULSEFIELD_INSTALLED_DATADIR
#define PULSEFIELD_INSTALLED_DATADIR "/usr/local/share/pulsefield/data"
#endif
#ifndef PULSEFIELD_BINDIR_TO_DATADIR
#define PULSEFIELD_BINDIR_TO_DATADIR "../share/pulsefield/data"
#endif

// SIGINT, SIGTERM and SIGHUP (a closed terminal) end the loop in order, so
// the settings still get saved.
static void OnSignal(int) { quitflag = 1; }

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

// The player's folder for config.dat and highscore.dat: --userdir; for the
// installed game $XDG_DATA_HOME/pulsefield (~/.local/share/pulsefield), never
// the folder a desktop menu starts it in; otherwise the current folder ("").
static std::string PlayerDir(const std::string& asked, bool installed) {
  if (!asked.empty() || !installed) return asked;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/pulsefield";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/share/pulsefield";
  return "";
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
  // A replay that cannot be played is refused before anything opens.
  if (!opts.replay.empty() && !LoadReplayToWatch(opts.replay, &why)) {
    std::fprintf(stderr, "pulsefield: %s\n", why.c_str());
    return 1;
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
  std::string userdir = PlayerDir(opts.userdir, installed);
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
  PlatformInit(opts.headless ? PlatformKind::Headless : PlatformKind::Real);
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
    return 255;
  }
}
