// Command-line options of the program.
#pragma once
#include <cstdint>
#include <string>

struct StartOptions {
  bool help = false, version = false;
  bool hasseed = false;
  int64_t seed = 0;
  int screenoverride = -1;  // -1 keep the setting, 0 windowed, 32 full screen (this run only)
  std::string datadir, userdir;
  bool nojoystick = false, nosound = false;
  bool vsync = true;         // paced presentation; --no-vsync runs the loop free
  bool headless = false;
  long ticks = -1;          // headless: ticks to run before quitting
  bool play = false;        // skip intros and menus, start a game at once
  std::string error;        // set when the arguments could not be parsed
};

StartOptions ParseOptions(int argc, char** argv);
std::string UsageText();
