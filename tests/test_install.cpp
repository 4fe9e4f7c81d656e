// The installed game, as a packager lays it out and a player starts it: an
// installation under a scratch prefix has the program, its data, the desktop
// entry, the icons, the metadata and the manual page where the desktop looks
// for them, and started from elsewhere it keeps the player's files in
// $XDG_DATA_HOME/pulsefield, never in the folder it was started from.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/run_helpers.h"

namespace fs = std::filesystem;

TEST(Install, TheInstalledGameHasItsDesktopFilesAndKeepsSavesInThePlayersFolder) {
  if (!fs::exists(std::string(PULSEFIELD_BINARY_DIR) + "/data/icons/pulsefield-64.png"))
    GTEST_SKIP() << "no generated media";
  ScratchDir prefix("install");
  fs::path log = prefix / "install.txt";
  RunResult installed = RunProgram(PULSEFIELD_CMAKE, {"--install", PULSEFIELD_BINARY_DIR, "--prefix",
                                                      prefix.string()},
                                   log, 120);
  ASSERT_EQ(installed.code, 0) << installed.err;
  for (const char* f : {"bin/pulsefield", "share/pulsefield/data/gfx/player.png",
                        "share/pulsefield/data/misc/BGmap.bnk", "share/applications/pulsefield.desktop",
                        "share/metainfo/org.pulsefield.Pulsefield.metainfo.xml",
                        "share/man/man6/pulsefield.6"})
    EXPECT_TRUE(fs::exists(prefix / f)) << f;
  for (int size : {16, 32, 48, 64, 128, 256}) {
    std::string dir = std::to_string(size) + "x" + std::to_string(size);
    EXPECT_TRUE(fs::exists(prefix / ("share/icons/hicolor/" + dir + "/apps/pulsefield.png"))) << dir;
  }
  std::string desktop = Slurp(prefix / "share/applications/pulsefield.desktop");
  EXPECT_NE(desktop.find("Exec=pulsefield"), std::string::npos);
  EXPECT_NE(desktop.find("Icon=pulsefield"), std::string::npos);
  EXPECT_NE(desktop.find("Terminal=false"), std::string::npos);
  EXPECT_NE(desktop.find("Categories=Game;ArcadeGame;"), std::string::npos);
  if (fs::exists("/usr/bin/appstreamcli")) {
    RunResult valid = RunProgram("/usr/bin/appstreamcli",
                                 {"validate", "--no-net",
                                  (prefix / "share/metainfo/org.pulsefield.Pulsefield.metainfo.xml").string()},
                                 prefix / "appstream.txt", 60);
    EXPECT_EQ(valid.code, 0) << valid.err;
  }

  // Started from a desktop menu: the current folder is the home folder.
  ScratchDir home("install_home");
  fs::path was = fs::current_path();
  fs::current_path(home.path());
  std::string oldhome = std::getenv("HOME") ? std::getenv("HOME") : "";
  const char* oldxdg = std::getenv("XDG_DATA_HOME");
  std::string savedxdg = oldxdg ? oldxdg : "";
  setenv("HOME", home.string().c_str(), 1);
  unsetenv("XDG_DATA_HOME");
  RunResult run = RunProgram((prefix / "bin/pulsefield").string(), {"--headless", "--ticks", "60"},
                             home / "stderr.txt", 60);
  // With XDG_DATA_HOME set, that folder is the one.
  setenv("XDG_DATA_HOME", (home / "xdg").string().c_str(), 1);
  RunResult xdg = RunProgram((prefix / "bin/pulsefield").string(), {"--headless", "--ticks", "60"},
                             home / "stderr2.txt", 60);
  // A frame log may not replace those saves from another user folder either
  // (a run that got past the check stops at the display, not minutes later).
  std::string kept = Slurp(home / "xdg/pulsefield/config.dat");
  const char* display = std::getenv("DISPLAY");
  std::string saveddisplay = display ? display : "";
  setenv("DISPLAY", ":987", 1);
  RunResult aimed = RunProgram((prefix / "bin/pulsefield").string(),
                               {"--userdir", (home / "elsewhere").string(), "--timedemo",
                                PULSEFIELD_SOURCE_DIR "/tests/replays/mouse.pfr", "--frame-log",
                                (home / "xdg/pulsefield/config.dat").string()},
                               home / "stderr3.txt", 60);
  if (display) setenv("DISPLAY", saveddisplay.c_str(), 1);
  else unsetenv("DISPLAY");
  setenv("HOME", oldhome.c_str(), 1);
  if (oldxdg) setenv("XDG_DATA_HOME", savedxdg.c_str(), 1);
  else unsetenv("XDG_DATA_HOME");
  fs::current_path(was);
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(fs::exists(home / ".local/share/pulsefield/config.dat"));
  EXPECT_FALSE(fs::exists(home / "config.dat"));
  EXPECT_EQ(xdg.code, 0) << xdg.err;
  EXPECT_TRUE(fs::exists(home / "xdg/pulsefield/config.dat"));
  EXPECT_EQ(aimed.code, 1) << aimed.err;
  EXPECT_NE(aimed.err.find("would replace the settings"), std::string::npos) << aimed.err;
  EXPECT_EQ(Slurp(home / "xdg/pulsefield/config.dat"), kept);
  // The installed data folder is never written to.
  EXPECT_FALSE(fs::exists(prefix / "share/pulsefield/data/config.dat"));
}
