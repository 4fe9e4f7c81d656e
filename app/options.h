// Command-line options of the program.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/render.h"

struct StartOptions {
  bool help = false, version = false;
  bool hasseed = false;
  int64_t seed = 0;
  int screenoverride = -1;  // -1 keep the setting, 0 windowed, 32 full screen (this run only)
  std::string datadir, userdir;
  bool nojoystick = false, nosound = false;
  bool vsync = true;         // paced presentation; --no-vsync runs the loop free
  bool gles = false;        // --renderer gles: the shader renderer instead of the fixed-function one
  bool headless = false;
  long ticks = -1;          // headless: ticks to run before quitting
  bool play = false;        // skip intros and menus, start a game at once
  bool nointro = false;     // skip the intros: the title at once
  std::string replay;       // a replay file to watch instead of playing
  std::string timedemo;     // a replay file to paint one tick a frame, timed
  std::string framelog;     // with timedemo: the CSV of every frame's times
  RenderScale renderscale = RenderScale::Auto;  // --render-scale: heavy additive runs at half resolution
  std::string submit;       // a replay to send to a score board (--submit), then exit
  std::string board;        // the board's http:// or https:// address
  std::string submitname;   // the name to send under ("" the settings' last name)
  int submitwait = 120;     // seconds to wait for the board's verdict
  std::string error;        // set when the arguments could not be parsed
};

// Parses the command line. Unknown options, missing or empty values, values
// given to switches ("--play=no") and numbers that are not plain whole
// numbers in range all set opts.error.
StartOptions ParseOptions(int argc, char** argv);
std::string UsageText();
// The media folder: the asked one (--datadir, made absolute), data/ beside
// the program, or the installed one. "" with *why when the folder chosen is
// missing, not a folder or cannot be looked at; never throws.
std::string FindDataDir(const std::string& asked, const std::string& progdir, const std::string& installed,
                        std::string* why);
// The player's folder for the settings, the table and the replays: the
// asked one (--userdir); for a game run from its build folder the current
// folder (""); for the installed game $XDG_DATA_HOME/pulsefield, or
// <home>/.local/share/pulsefield, home being $HOME or else the account's
// home folder (from the password database). Relative values are ignored, as
// the XDG rules say. False with *why when no home folder is known: the
// installed game never falls back on the folder it was started in.
bool ChoosePlayerDir(const std::string& asked, bool installed, const char* xdgdatahome, const char* home,
                     const char* accounthome, std::string* dir, std::string* why);
// The options that write a file, with the file each names ("" when not given).
struct WrittenFile {
  const char* option;
  std::string path;
};
std::vector<WrittenFile> WrittenFiles(const StartOptions& o);
// A file an option writes must never replace one of the player's saves in
// the folder in use (savesdir, "" the current one): config.dat, highscore.dat
// or anything under replays/, however it is named (relative, through
// symbolic links, or a hard link to one). Returns the message refusing the
// first such option, or "" when none aims at a save. Relative paths are
// taken from the current folder, so this runs before the game changes it.
std::string OutputOverSaves(const StartOptions& o, const std::string& savesdir);
