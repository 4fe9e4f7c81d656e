// Command-line options.
#include "app/options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/submit.h"

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
         "      --render-scale auto|full|half\n"
         "                       how the explosions' glow is drawn: auto (the default)\n"
         "                       draws a frame's heaviest glow at half resolution when this\n"
         "                       machine could not fill it in time at full (never on a\n"
         "                       graphics card); full and half choose one for every frame\n"
         "      --renderer NAME  draw with \"opengl\" (the fixed-function renderer, the\n"
         "                       default) or \"gles\" (shaders on OpenGL ES 2.0, as the\n"
         "                       browser's WebGL draws)\n"
         "      --play           skip the intros and menus and start a game\n"
         "      --no-intro       skip the intros: the title at once\n"
         "      --headless       run without a window, sound or real clock; at the end\n"
         "                       print one line \"stats: key=value ...\": ticks, games,\n"
         "                       score, lives_lost, spawned_<kind> and killed_<kind>\n"
         "      --ticks N        with --headless: run N ticks, then quit and save\n"
         "      --replay FILE    watch a replay (Escape leaves, Tab held runs it 4x), then\n"
         "                       exit; with --headless it runs as fast as it can and prints\n"
         "                       the final score, the play clock and \"replay ok\" or where\n"
         "                       the game went another way than the recording\n"
         "      --timedemo FILE  paint a replay through the real renderer one tick a frame,\n"
         "                       as fast as it can (no pacing), in the usual window (-w/-f\n"
         "                       apply); a replay that does not play back exactly is refused\n"
         "                       as with --replay; at the end it prints, last, the line\n"
         "                       \"timedemo: frames=N over_16.7ms=K p50=X p90=X p99=X max=X\"\n"
         "                       (wall milliseconds a frame)\n"
         "      --frame-log FILE with --timedemo: write one CSV row a frame (tick, wall ms,\n"
         "                       main-thread CPU ms, quads, lines, additive pixel area,\n"
         "                       of it the area drawn at half resolution); with a watched\n"
         "                       --replay the same rows, and at the end the frame rate seen,\n"
         "                       \"watched: seconds=N fps_p50=X fps_p10=X fps_min=X\"\n"
         "      --submit FILE    send a replay to the score board at --board URL (http:// or\n"
         "                       https://), wait for its verdict and print it, then exit:\n"
         "                       0 verified, 1 refused or the board unreachable or unhappy\n"
         "      --board URL      the score board to send to\n"
         "      --name NAME      with --submit: the name to send (by default the last name\n"
         "                       entered for the high-score table, else \"Anonymous\")\n"
         "      --wait SECONDS   with --submit: how long to wait for the verdict (default\n"
         "                       120)\n";
}

// Reads a whole number written plainly (digits, a minus sign first when
// negatives are allowed) within lo..hi; false for anything else, spaces,
// signs and numbers out of range included.
static bool ParseNumber(const std::string& s, int64_t lo, int64_t hi, int64_t& out) {
  size_t i = 0;
  bool negative = lo < 0 && !s.empty() && s[0] == '-';
  if (negative) i = 1;
  if (i == s.size()) return false;
  // Accumulated as a negative number, which reaches INT64_MIN.
  int64_t v = 0;
  for (; i < s.size(); i++) {
    if (s[i] < '0' || s[i] > '9') return false;
    int d = s[i] - '0';
    if (v < (INT64_MIN + d) / 10) return false;
    v = v * 10 - d;
  }
  if (!negative) {
    if (v == INT64_MIN) return false;
    v = -v;
  }
  if (v < lo || v > hi) return false;
  out = v;
  return true;
}

// The most ticks a headless run may be asked for (over a year of game time).
static constexpr int64_t kMaxTicks = 2147483647;

// The longest wait for a board's verdict (an hour).
static constexpr int64_t kMaxSubmitWait = 3600;

// Parses argv; opts.error says what was wrong.
StartOptions ParseOptions(int argc, char** argv) {
  StartOptions o;
  bool waitgiven = false;
  for (int i = 1; i < argc && o.error.empty(); i++) {
    std::string a = argv[i] ? argv[i] : "";
    std::string value;
    bool hasvalue = false;
    size_t eq = a.find('=');
    if (a.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
      hasvalue = true;
    }
    // The option's value, from "--name=value" or the next argument.
    auto need = [&](std::string& out) {
      if (hasvalue) {
        out = value;
      } else if (i + 1 < argc && argv[i + 1]) {
        out = argv[++i];
      } else {
        o.error = "option " + a + " needs a value";
        return false;
      }
      if (out.empty()) o.error = "option " + a + " needs a value, not an empty one";
      return o.error.empty();
    };
    // A switch takes no value: "--play=no" is a mistake, not a way to say no.
    auto flag = [&](auto& target, auto set) {
      if (hasvalue) o.error = "option " + a + " takes no value";
      else target = set;
    };
    std::string v;
    // A whole number of units from 0 to hi, refused with the range it takes.
    auto count = [&](const char* unit, int64_t hi, int64_t& out) {
      if (!need(v)) return false;
      if (ParseNumber(v, 0, hi, out)) return true;
      o.error = a + " needs a whole number of " + unit + " from 0 to " + std::to_string(hi) + ", not \"" + v + "\"";
      return false;
    };
    if (a == "-h" || a == "--help") flag(o.help, true);
    else if (a == "-v" || a == "--version") flag(o.version, true);
    else if (a == "-s" || a == "--seed") {
      if (!need(v)) break;
      if (!ParseNumber(v, INT64_MIN, INT64_MAX, o.seed)) {
        o.error = "--seed needs a whole number from " + std::to_string(INT64_MIN) + " to " +
                  std::to_string(INT64_MAX) + ", not \"" + v + "\"";
        break;
      }
      o.hasseed = true;
    } else if (a == "-w" || a == "--windowed") flag(o.screenoverride, 0);
    else if (a == "-f" || a == "--fullscreen") flag(o.screenoverride, 32);
    else if (a == "-d" || a == "--datadir") {
      if (!need(o.datadir)) break;
    } else if (a == "-u" || a == "--userdir") {
      if (!need(o.userdir)) break;
    } else if (a == "--no-joystick") flag(o.nojoystick, true);
    else if (a == "--no-sound") flag(o.nosound, true);
    else if (a == "--vsync") flag(o.vsync, true);  // the default; kept for old scripts
    else if (a == "--no-vsync") flag(o.vsync, false);
    else if (a == "--renderer") {
      if (!need(v)) break;
      if (v != "opengl" && v != "gles") {
        o.error = "--renderer is \"opengl\" or \"gles\", not \"" + v + "\"";
        break;
      }
      o.gles = v == "gles";
    } else if (a == "--play") flag(o.play, true);
    else if (a == "--no-intro") flag(o.nointro, true);
    else if (a == "--headless") flag(o.headless, true);
    else if (a == "--ticks") {
      int64_t n;
      if (!count("ticks", kMaxTicks, n)) break;
      o.ticks = (long)n;
    } else if (a == "--replay") {
      if (!need(o.replay)) break;
    } else if (a == "--timedemo") {
      if (!need(o.timedemo)) break;
    } else if (a == "--frame-log") {
      if (!need(o.framelog)) break;
    } else if (a == "--submit") {
      if (!need(o.submit)) break;
    } else if (a == "--board") {
      if (!need(o.board)) break;
      if (!BoardUrlAllowed(o.board, &o.error)) break;
    } else if (a == "--name") {
      if (!need(o.submitname)) break;
    } else if (a == "--wait") {
      int64_t n;
      if (!count("seconds", kMaxSubmitWait, n)) break;
      o.submitwait = (int)n;
      waitgiven = true;
    } else if (a == "--render-scale") {
      if (!need(v)) break;
      if (v == "auto") o.renderscale = RenderScale::Auto;
      else if (v == "full") o.renderscale = RenderScale::Full;
      else if (v == "half") o.renderscale = RenderScale::Half;
      else {
        o.error = "--render-scale needs auto, full or half, not \"" + v + "\"";
        break;
      }
    } else {
      o.error = "unknown option \"" + std::string(argv[i] ? argv[i] : "") + "\"";
    }
  }
  if (o.error.empty() && o.ticks >= 0 && !o.headless) o.error = "--ticks needs --headless";
  if (o.error.empty() && !o.framelog.empty() && o.timedemo.empty() && (o.replay.empty() || o.headless))
    o.error = "--frame-log needs --timedemo or a watched --replay";
  if (o.error.empty() && !o.timedemo.empty() && o.headless)
    o.error = "--timedemo times the real renderer and cannot run --headless";
  if (o.error.empty() && !o.timedemo.empty() && !o.replay.empty())
    o.error = "--timedemo plays its own replay; give it without --replay";
  if (o.error.empty() && !o.submit.empty() && o.board.empty()) o.error = "--submit needs --board URL";
  if (o.error.empty() && o.submit.empty() && (!o.board.empty() || !o.submitname.empty() || waitgiven))
    o.error = "--board, --name and --wait go with --submit FILE";
  if (o.error.empty() && !o.submit.empty() &&
      (!o.replay.empty() || !o.timedemo.empty() || o.headless || o.play || o.ticks >= 0))
    o.error = "--submit sends a replay and exits; give it without --replay, --timedemo, --headless or --play";
  return o;
}

// Checks that a media folder can be used; "" with *why when it cannot.
static std::string UsableFolder(const std::string& dir, std::string* why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::file_status st = fs::status(dir, ec);
  std::string problem;
  if (st.type() == fs::file_type::not_found) problem = "is missing";
  else if (ec) problem = "cannot be used: " + ec.message();
  else if (st.type() != fs::file_type::directory) problem = "is not a folder";
  // Said here, naming the folder, rather than as the first file that fails.
  else if (access(dir.c_str(), R_OK | X_OK) != 0) problem = "cannot be read: " + std::string(std::strerror(errno));
  if (problem.empty()) return dir;
  if (why) *why = "the game's media folder \"" + dir + "\" " + problem;
  return "";
}

// Finds the media folder: --datadir, data/ beside the program, the installed one.
std::string FindDataDir(const std::string& asked, const std::string& progdir, const std::string& installed,
                        std::string* why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!asked.empty()) {
    fs::path full = fs::absolute(asked, ec);
    if (ec) {
      if (why) *why = "the game's media folder \"" + asked + "\" cannot be used: " + ec.message();
      return "";
    }
    return UsableFolder(full.string(), why);
  }
  if (!progdir.empty() && fs::is_directory(progdir + "/data/gfx", ec)) return UsableFolder(progdir + "/data", why);
  return UsableFolder(installed, why);
}

// An environment value or account field that names a folder from the root.
static bool Absolute(const char* path) { return path && path[0] == '/'; }

bool ChoosePlayerDir(const std::string& asked, bool installed, const char* xdgdatahome, const char* home,
                     const char* accounthome, std::string* dir, std::string* why) {
  if (!asked.empty() || !installed) {
    *dir = asked;
    return true;
  }
  if (Absolute(xdgdatahome)) {
    *dir = std::string(xdgdatahome) + "/pulsefield";
    return true;
  }
  const char* base = Absolute(home) ? home : Absolute(accounthome) ? accounthome : nullptr;
  if (!base) {
    if (why)
      *why = "cannot tell where to keep the player's files: HOME is " +
             (home ? "\"" + std::string(home) + "\", not a folder from the root" : std::string("not set")) +
             " and the account has no home folder; set HOME or pass --userdir";
    return false;
  }
  *dir = std::string(base) + "/.local/share/pulsefield";
  return true;
}

std::vector<WrittenFile> WrittenFiles(const StartOptions& o) { return {{"--frame-log", o.framelog}}; }

namespace {
namespace fs = std::filesystem;

// A path as the file system finally resolves it: absolute, with every
// existing link followed and every "." and ".." gone.
fs::path Resolved(const fs::path& p) {
  std::error_code ec;
  fs::path full = fs::absolute(p, ec);
  if (ec) return p.lexically_normal();
  fs::path out = fs::weakly_canonical(full, ec);
  return ec ? full.lexically_normal() : out;
}

// True when a and b are the same file on disk (a hard link counts).
bool SameFile(const struct stat& a, const fs::path& b) {
  struct stat sb;
  return stat(b.c_str(), &sb) == 0 && a.st_dev == sb.st_dev && a.st_ino == sb.st_ino;
}

// The save a written file would replace, with what it holds; empty when none.
std::pair<std::string, std::string> SaveAt(const std::string& file, const fs::path& saves) {
  const std::pair<const char*, const char*> kSaves[] = {{"config.dat", "the settings"},
                                                        {"highscore.dat", "the high-score table"}};
  const fs::path replays = saves / "replays";
  fs::path target = Resolved(file);
  for (const auto& [name, what] : kSaves)
    if (target == saves / name) return {(saves / name).string(), what};
  fs::path inside = target.lexically_relative(replays);
  if (!inside.empty() && *inside.begin() != "..") return {target.string(), "a kept replay"};
  // Another name of one of them: the same device and file number.
  struct stat st;
  if (stat(target.c_str(), &st) != 0) return {};
  for (const auto& [name, what] : kSaves)
    if (SameFile(st, saves / name)) return {(saves / name).string(), what};
  std::error_code ec;
  for (fs::directory_iterator it(replays, ec), end; !ec && it != end; it.increment(ec))
    if (SameFile(st, it->path())) return {it->path().string(), "a kept replay"};
  return {};
}
}  // namespace

std::string OutputOverSaves(const StartOptions& o, const std::string& savesdir) {
  fs::path saves = Resolved(savesdir.empty() ? fs::path(".") : fs::path(savesdir));
  for (const WrittenFile& w : WrittenFiles(o)) {
    if (w.path.empty()) continue;
    auto [save, what] = SaveAt(w.path, saves);
    if (!save.empty())
      return std::string(w.option) + " \"" + w.path + "\" would replace " + what + " \"" + save +
             "\"; give it another file";
  }
  return "";
}
