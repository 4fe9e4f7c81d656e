// Command-line options.
#include "shell/options.h"

#include <cstdlib>
#include <cstring>

// The usage text printed by --help and after a bad option.
std::string UsageText() {
  return "Usage: pulsefield [options]\n"
         "  -h, --help           show this help and exit\n"
         "  -v, --version        show the version and exit\n"
         "  -s, --seed N         fixed random seed instead of the clock\n"
         "  -w, --windowed       play in a window (this run only)\n"
         "  -f, --fullscreen     play full screen (this run only)\n"
         "  -d, --datadir DIR    read the game's media from DIR\n"
         "  -u, --userdir DIR    keep config.dat and highscore.dat in DIR\n"
         "      --no-joystick    ignore joysticks\n"
         "      --no-sound       play without sound\n"
         "      --no-vsync       run the loop free: present as fast as it can, never sleep\n"
         "                       (by default the picture keeps step with the display and\n"
         "                       the game sleeps until the next tick is due)\n"
         "      --play           skip the intros and menus and start a game\n"
         "      --headless       run without a window, sound or real clock; at the end\n"
         "                       print one line \"stats: key=value ...\": ticks, games,\n"
         "                       score, lives_lost, spawned_<kind> and killed_<kind>\n"
         "      --ticks N        with --headless: run N ticks, then quit and save\n";
}

// Reads a whole-number argument; false when it is not one.
static bool ParseNumber(const char* s, int64_t& out) {
  if (!s || !*s) return false;
  char* end = nullptr;
  long long v = std::strtoll(s, &end, 10);
  if (*end) return false;
  out = v;
  return true;
}

// Parses argv; opts.error says what was wrong.
StartOptions ParseOptions(int argc, char** argv) {
  StartOptions o;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    std::string value;
    bool hasvalue = false;
    size_t eq = a.find('=');
    if (a.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
      hasvalue = true;
    }
    auto need = [&](std::string& out) {
      if (hasvalue) {
        out = value;
        return true;
      }
      if (i + 1 >= argc) {
        o.error = "option " + a + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "-h" || a == "--help") o.help = true;
    else if (a == "-v" || a == "--version") o.version = true;
    else if (a == "-s" || a == "--seed") {
      if (!need(v)) break;
      if (!ParseNumber(v.c_str(), o.seed)) {
        o.error = "--seed needs a whole number, not \"" + v + "\"";
        break;
      }
      o.hasseed = true;
    } else if (a == "-w" || a == "--windowed") o.screenoverride = 0;
    else if (a == "-f" || a == "--fullscreen") o.screenoverride = 32;
    else if (a == "-d" || a == "--datadir") {
      if (!need(o.datadir)) break;
    } else if (a == "-u" || a == "--userdir") {
      if (!need(o.userdir)) break;
    } else if (a == "--no-joystick") o.nojoystick = true;
    else if (a == "--no-sound") o.nosound = true;
    else if (a == "--vsync") o.vsync = true;  // the default; kept for old scripts
    else if (a == "--no-vsync") o.vsync = false;
    else if (a == "--play") o.play = true;
    else if (a == "--headless") o.headless = true;
    else if (a == "--ticks") {
      if (!need(v)) break;
      int64_t n;
      if (!ParseNumber(v.c_str(), n) || n < 0) {
        o.error = "--ticks needs a whole number of ticks, not \"" + v + "\"";
        break;
      }
      o.ticks = (long)n;
    } else {
      o.error = "unknown option \"" + std::string(argv[i]) + "\"";
      break;
    }
  }
  if (o.error.empty() && o.ticks >= 0 && !o.headless) o.error = "--ticks needs --headless";
  return o;
}
