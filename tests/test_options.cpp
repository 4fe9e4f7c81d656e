// The command line: what each option takes, the mistakes that stop the
// program with the usage (exit 2), and finding the media folder without
// ever throwing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/options.h"
#include "tests/run_helpers.h"

namespace {
namespace fs = std::filesystem;

// What f returns, run in a copy of this process that (when this one is
// root) has become an account without rights of its own, as players are.
template <typename F>
std::string AsAnAccountWithoutRights(F f) {
  constexpr uid_t kNobody = 65534;
  int p[2];
  if (pipe(p) != 0) return "pipe failed";
  pid_t pid = fork();
  if (pid == 0) {
    close(p[0]);
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(1);
    std::string out = f();
    ssize_t w = write(p[1], out.data(), out.size());
    _exit(w == (ssize_t)out.size() ? 0 : 1);
  }
  close(p[1]);
  std::string out;
  char buf[1024];
  ssize_t n;
  while ((n = read(p[0], buf, sizeof buf)) > 0) out.append(buf, (size_t)n);
  close(p[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? out : "the copy failed";
}

// Parses the arguments as the program would get them.
StartOptions Parse(std::initializer_list<std::string> args) {
  std::vector<std::string> all{"pulsefield"};
  all.insert(all.end(), args);
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  return ParseOptions((int)all.size(), argv.data());
}
}  // namespace

TEST(Options, GoodCommandLinesGiveTheirSettings) {
  StartOptions o = Parse({"--headless", "--ticks", "2147483647", "--seed=-9223372036854775808", "-d", "media",
                          "--userdir=me", "-w", "--no-sound", "--play"});
  ASSERT_EQ(o.error, "");
  EXPECT_TRUE(o.headless);
  EXPECT_EQ(o.ticks, 2147483647);
  EXPECT_TRUE(o.hasseed);
  EXPECT_EQ(o.seed, INT64_MIN);
  EXPECT_EQ(o.datadir, "media");
  EXPECT_EQ(o.userdir, "me");
  EXPECT_EQ(o.screenoverride, 0);
  EXPECT_TRUE(o.nosound && o.play);
  EXPECT_EQ(Parse({"-s", "9223372036854775807"}).seed, INT64_MAX);
  EXPECT_EQ(Parse({"-w", "--fullscreen"}).screenoverride, 32);  // the last one wins
  EXPECT_EQ(Parse({"--headless", "--ticks", "0"}).ticks, 0);
  StartOptions timed = Parse({"--timedemo", "long.pfr", "--frame-log=frames.csv", "-f"});
  ASSERT_EQ(timed.error, "");
  EXPECT_EQ(timed.timedemo, "long.pfr");
  EXPECT_EQ(timed.framelog, "frames.csv");
  EXPECT_EQ(timed.screenoverride, 32);
  EXPECT_EQ(timed.renderscale, RenderScale::Auto);
  EXPECT_EQ(Parse({"--render-scale", "half"}).renderscale, RenderScale::Half);
  EXPECT_EQ(Parse({"--render-scale=full", "--render-scale", "auto"}).renderscale, RenderScale::Auto);
  EXPECT_TRUE(Parse({"--renderer", "gles"}).gles);
  EXPECT_FALSE(Parse({"--renderer=gles", "--renderer=opengl"}).gles);  // the last one wins
  EXPECT_FALSE(Parse({}).gles);
  StartOptions sent = Parse({"--submit", "a.pfr", "--board=https://board.example:8443/pf", "--name", "A B", "--wait", "0"});
  ASSERT_EQ(sent.error, "");
  EXPECT_EQ(sent.submit + " " + sent.board + " " + sent.submitname, "a.pfr https://board.example:8443/pf A B");
  EXPECT_EQ(sent.submitwait, 0);
  EXPECT_EQ(Parse({"--submit", "a.pfr", "--board", "http://h"}).submitwait, 120);
}

TEST(Options, NumbersOutOfRangeOrNotPlainAndValuesGivenToSwitchesAreErrors) {
  for (std::string seed : {"123456789012345678901234567890", "9223372036854775808", " 5", "5 ", "+5",
                                  "0x10", "1e3", "-", "--5", "5-"}) {
    StartOptions o = Parse({"--seed", seed});
    EXPECT_NE(o.error.find("--seed needs a whole number"), std::string::npos) << "\"" << seed << "\"";
  }
  for (std::string ticks : {"18446744073709551616", "2147483648", "-1", " 5", "ten"}) {
    StartOptions o = Parse({"--headless", "--ticks", ticks});
    EXPECT_NE(o.error.find("--ticks needs a whole number of ticks from 0 to 2147483647"), std::string::npos)
        << "\"" << ticks << "\"";
  }
  for (std::string flag : {"--play=no", "--headless=1", "--help=", "--no-sound=yes", "--windowed=0",
                                  "--no-vsync=1", "--version=2"})
    EXPECT_NE(Parse({flag}).error.find("takes no value"), std::string::npos) << flag;
  EXPECT_NE(Parse({"--datadir="}).error.find("needs a value, not an empty one"), std::string::npos);
  EXPECT_NE(Parse({"-u", ""}).error.find("needs a value, not an empty one"), std::string::npos);
  EXPECT_EQ(Parse({"--datadir"}).error, "option --datadir needs a value");
  EXPECT_EQ(Parse({"--ticks", "5"}).error, "--ticks needs --headless");
  // The timedemo times the real renderer on the one replay it is given.
  // A frame log times painted frames: a timedemo's or a watched replay's.
  const std::string logneeds = "--frame-log needs --timedemo or a watched --replay";
  EXPECT_EQ(Parse({"--frame-log", "f.csv"}).error, logneeds);
  EXPECT_EQ(Parse({"--frame-log", "f.csv", "--headless", "--replay", "a.pfr"}).error, logneeds);
  EXPECT_EQ(Parse({"--frame-log", "f.csv", "--replay", "a.pfr"}).error, "");
  EXPECT_NE(Parse({"--timedemo", "a.pfr", "--headless"}).error.find("cannot run --headless"), std::string::npos);
  EXPECT_NE(Parse({"--timedemo", "a.pfr", "--replay", "b.pfr"}).error.find("without --replay"), std::string::npos);
  EXPECT_EQ(Parse({"--timedemo"}).error, "option --timedemo needs a value");
  for (std::string scale : {"Half", "0.5", "quarter", " full"})
    EXPECT_EQ(Parse({"--render-scale", scale}).error, "--render-scale needs auto, full or half, not \"" + scale + "\"");
  EXPECT_EQ(Parse({"--renderer", "GLES"}).error, "--renderer is \"opengl\" or \"gles\", not \"GLES\"");
  EXPECT_EQ(Parse({"--renderer"}).error, "option --renderer needs a value");
  // A game goes only to a plain web address, and the board's options only with it.
  for (std::string url : {"file:///etc/passwd", "HTTP://h", "http://", "https:///x", "http://h/a b", "http://h?x=1",
                          "http://h/#top", "http://h\x7f", "gopher://h", "h:80"})
    EXPECT_EQ(Parse({"--submit", "a.pfr", "--board", url}).error.find("--board \""), 0u) << url;
  EXPECT_EQ(Parse({"--submit", "a.pfr"}).error, "--submit needs --board URL");
  EXPECT_EQ(Parse({"--board", "http://h"}).error, "--board, --name and --wait go with --submit FILE");
  EXPECT_EQ(Parse({"--wait", "5"}).error, "--board, --name and --wait go with --submit FILE");
  EXPECT_NE(Parse({"--submit", "a.pfr", "--board", "http://h", "--wait", "3601"}).error.find("from 0 to 3600"),
            std::string::npos);
  EXPECT_NE(Parse({"--submit", "a.pfr", "--board", "http://h", "--headless"}).error.find("exits"), std::string::npos);
}

TEST(Options, TheMediaFolderIsFoundOrRefusedWithAReasonAndNothingThrows) {
  ScratchDir dir("options_data");
  fs::create_directories(dir / "prog" / "data" / "gfx");
  fs::create_directories(dir / "installed");
  std::ofstream(dir / "file.txt") << "x";
  const std::string installed = (dir / "installed").string();
  std::string why;
  // Asked for, beside the program, installed.
  EXPECT_EQ(FindDataDir((dir / "installed").string(), "", "/nowhere", &why), installed);
  EXPECT_EQ(FindDataDir("", (dir / "prog").string(), installed, &why), (dir / "prog" / "data").string());
  EXPECT_EQ(FindDataDir("", (dir / "elsewhere").string(), installed, &why), installed);

  EXPECT_EQ(FindDataDir((dir / "file.txt").string(), "", installed, &why), "");
  EXPECT_EQ(why, "the game's media folder \"" + (dir / "file.txt").string() + "\" is not a folder");
  EXPECT_EQ(FindDataDir((dir / "absent").string(), "", installed, &why), "");
  EXPECT_NE(why.find("\" is missing"), std::string::npos) << why;
  EXPECT_EQ(FindDataDir("", "", (dir / "absent").string(), &why), "");
  EXPECT_NE(why.find("absent\" is missing"), std::string::npos) << why;
  EXPECT_EQ(FindDataDir((dir / "file.txt" / "data").string(), "", installed, &why), "");
  EXPECT_NE(why.find("\" is missing"), std::string::npos) << why;
  // A name longer than any the file system takes, and (for anyone but
  // root) a folder inside one that may not be looked into.
  std::string longname = (dir / std::string(300, 'd')).string();
  EXPECT_EQ(FindDataDir(longname, "", installed, &why), "");
  EXPECT_NE(why.find("cannot be used: File name too long"), std::string::npos) << why;
  // A folder inside one that may not be looked into, and a folder that
  // may not be read: each named, before any file in it fails to load.
  // Root may read anything, so root looks as an account without rights.
  fs::create_directories(dir / "closed" / "data");
  fs::create_directories(dir / "unreadable");
  fs::permissions(dir / "closed", fs::perms::none);
  fs::permissions(dir / "unreadable", fs::perms::none);
  fs::permissions(dir.path(), fs::perms::all);  // an account without rights may still pass through
  std::string closed = AsAnAccountWithoutRights([&] {
    std::string w;
    return FindDataDir((dir / "closed" / "data").string(), "", installed, &w) + "|" + w;
  });
  EXPECT_NE(closed.find("|the game's media folder"), std::string::npos) << closed;
  EXPECT_NE(closed.find("cannot be used: Permission denied"), std::string::npos) << closed;
  std::string unreadable = AsAnAccountWithoutRights([&] {
    std::string w;
    return FindDataDir((dir / "unreadable").string(), "", installed, &w) + "|" + w;
  });
  EXPECT_EQ(unreadable, "|the game's media folder \"" + (dir / "unreadable").string() +
                            "\" cannot be read: Permission denied");
  fs::permissions(dir / "closed", fs::perms::owner_all);
  fs::permissions(dir / "unreadable", fs::perms::owner_all);
}

// The same mistakes end the real program with the usage and code 2, or for
// a bad media folder with the reason and code 1, never an uncaught error.
TEST(Smoke, BadCommandLinesEndWithTheUsageOrAReasonNeverAnUncaughtError) {
  const std::string program = PULSEFIELD_BINARY_DIR "/pulsefield";
  ScratchDir dir("smoke_options");
  std::ofstream(dir / "file.txt") << "x";
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"--headless", "--ticks", "18446744073709551616"}, {"--seed", " 5"}, {"--play=no"}, {"--datadir="}}) {
    RunResult r = RunProgram(program, args, dir / "stderr.txt");
    EXPECT_EQ(r.code, 2) << args[0] << ": " << r.err;
    EXPECT_NE(r.err.find("Usage"), std::string::npos) << r.err;
  }
  for (const std::string& data : {(dir / "file.txt").string(), (dir / std::string(300, 'd')).string()}) {
    RunResult r = RunProgram(program, {"--headless", "--ticks", "1", "--datadir", data, "--userdir", dir.string()},
                             dir / "stderr.txt");
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find("media folder"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("filesystem error"), std::string::npos) << r.err;
  }
  // A media folder the player may not read is named as such at start-up,
  // not as the border map that then fails to load.
  fs::create_directories(dir / "closed");
  fs::permissions(dir / "closed", fs::perms::none);
  fs::permissions(dir.path(), fs::perms::all);
  std::string told = AsAnAccountWithoutRights([&] {
    RunResult r = RunProgram(program, {"--headless", "--ticks", "1", "--datadir", (dir / "closed").string(),
                                       "--userdir", (dir / "user").string()},
                             dir / "closed.txt");
    return std::to_string(r.code) + " " + r.err;
  });
  EXPECT_EQ(told, "1 pulsefield: the game's media folder \"" + (dir / "closed").string() +
                      "\" cannot be read: Permission denied\n");
  fs::permissions(dir / "closed", fs::perms::owner_all);
}

// Where the installed game keeps the player's files, from the environment
// and the account: a relative XDG_DATA_HOME is ignored, a HOME that is unset
// or relative gives way to the account's home, and with neither the game
// refuses rather than write into whatever folder it was started in.
struct PlayerDirCase {
  const char *asked, *xdg, *home, *account;
  bool installed;
  const char* expect;  // the folder, or nullptr when the game must refuse
};
class PlayerDirChoice : public ::testing::TestWithParam<PlayerDirCase> {};

TEST_P(PlayerDirChoice, TheFolderFollowsTheEnvironmentOrTheGameRefusesToGuess) {
  const PlayerDirCase& c = GetParam();
  std::string dir = "unchanged", why;
  bool ok = ChoosePlayerDir(c.asked, c.installed, c.xdg, c.home, c.account, &dir, &why);
  if (c.expect) {
    EXPECT_TRUE(ok) << why;
    EXPECT_EQ(dir, c.expect);
  } else {
    EXPECT_FALSE(ok);
    EXPECT_NE(why.find("pass --userdir"), std::string::npos) << why;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Options, PlayerDirChoice,
    ::testing::Values(PlayerDirCase{"me", "/x", "/h", "/a", true, "me"},
                      PlayerDirCase{"", "/x", "/h", "/a", false, ""},  // a build folder's game
                      PlayerDirCase{"", "/x", "/h", "/a", true, "/x/pulsefield"},
                      PlayerDirCase{"", "x", "/h", "/a", true, "/h/.local/share/pulsefield"},
                      PlayerDirCase{"", "", "/h", "/a", true, "/h/.local/share/pulsefield"},
                      PlayerDirCase{"", nullptr, nullptr, "/a", true, "/a/.local/share/pulsefield"},
                      PlayerDirCase{"", nullptr, "h", "/a", true, "/a/.local/share/pulsefield"},
                      PlayerDirCase{"", "x", "", "/a", true, "/a/.local/share/pulsefield"},
                      PlayerDirCase{"", nullptr, nullptr, nullptr, true, nullptr},
                      PlayerDirCase{"", "rel", "rel", "", true, nullptr}));

// A file an option writes never replaces one of the player's saves, however
// the save is named: each kind of save, each way of naming it, is refused by
// name, and a file beside the saves or of the same name elsewhere is not.
namespace {
// The ways of naming a save (given as "user/<save>" from the start folder,
// --userdir being "user"), made in the current scratch folder.
enum class Naming { Plain, Roundabout, FromAbove, LinkToFile, LinkedFolder, HardLink, CurrentFolder };
std::string NameTheSave(Naming how, const std::string& save) {
  fs::path here = fs::current_path();
  switch (how) {
    case Naming::Plain: return "user/" + save;
    case Naming::Roundabout: return "./user/../user/./" + save;
    case Naming::FromAbove: return "../" + here.filename().string() + "/user/" + save;
    case Naming::LinkToFile: fs::create_symlink(here / "user" / save, "link.csv"); return "link.csv";
    case Naming::LinkedFolder: fs::create_directory_symlink("user", "alias"); return "alias/" + save;
    case Naming::HardLink: fs::create_hard_link("user/" + save, "hard.csv"); return "hard.csv";
    case Naming::CurrentFolder: return "./" + save;  // with the saves in the current folder
  }
  return "";
}

struct SaveClash : InScratchDir, ::testing::WithParamInterface<std::tuple<const char*, Naming>> {
  SaveClash() : InScratchDir("options_saves") {}
};
std::string SaveClashName(const ::testing::TestParamInfo<SaveClash::ParamType>& info) {
  static const char* const kNamings[] = {"Plain",      "Roundabout", "FromAbove",    "LinkToFile",
                                         "LinkedFolder", "HardLink", "CurrentFolder"};
  std::string name = std::string(kNamings[(int)std::get<1>(info.param)]) + "_" + std::get<0>(info.param);
  for (char& c : name)
    if (!std::isalnum((unsigned char)c)) c = '_';
  return name;
}
}  // namespace

TEST_P(SaveClash, AnOptionsOutputAimedAtASaveIsRefusedByName) {
  auto [save, how] = GetParam();
  const std::string root = how == Naming::CurrentFolder ? "" : "user/";
  fs::create_directories(root + "replays");
  std::ofstream(root + save) << "kept";
  StartOptions o = Parse({"--timedemo", "a.pfr", "--frame-log", NameTheSave(how, save)});
  ASSERT_EQ(o.error, "");
  std::string refusal = OutputOverSaves(o, root.empty() ? "" : "user");
  EXPECT_EQ(refusal.rfind("--frame-log \"" + o.framelog + "\" would replace ", 0), 0u) << refusal;
  EXPECT_NE(refusal.find(std::string(fs::path(save).filename()) + "\"; give it another file"), std::string::npos)
      << refusal;
}

INSTANTIATE_TEST_SUITE_P(
    Options, SaveClash,
    ::testing::Combine(::testing::Values("config.dat", "highscore.dat", "replays/last.pfr",
                                         "replays/2026-12-07_14-48-22_12345.pfr"),
                       ::testing::Values(Naming::Plain, Naming::Roundabout, Naming::FromAbove, Naming::LinkToFile,
                                         Naming::LinkedFolder, Naming::HardLink, Naming::CurrentFolder)),
    SaveClashName);

TEST(Options, AnOptionsOutputBesideTheSavesOrNamedLikeOneElsewhereIsAccepted) {
  ScratchDir dir("options_output");
  fs::create_directories(dir / "user" / "replays");
  fs::create_directories(dir / "other");
  for (const char* save : {"user/config.dat", "user/highscore.dat", "user/replays/last.pfr", "other/config.dat"})
    std::ofstream(dir / save) << "kept";
  for (const char* file : {"frames.csv", "user/frames.csv", "user/config.dat.csv", "user/replays.csv",
                           "other/config.dat", "other/replays/last.pfr"}) {
    StartOptions o = Parse({"--timedemo", "a.pfr", "--frame-log", (dir / file).string()});
    EXPECT_EQ(OutputOverSaves(o, (dir / "user").string()), "") << file;
  }
  EXPECT_EQ(OutputOverSaves(Parse({}), (dir / "user").string()), "");
}

// The real program refuses before anything is opened or written: the save
// is left as it was, byte for byte (no display is needed to be refused).
TEST(Smoke, AnOptionAimedAtASaveEndsTheProgramWithItsNameAndTheSaveUntouched) {
  const std::string program = PULSEFIELD_BINARY_DIR "/pulsefield";
  const std::string replay = PULSEFIELD_SOURCE_DIR "/tests/replays/mouse.pfr";
  ScratchDir dir("smoke_output");
  fs::create_directories(dir / "user" / "replays");
  const char* display = std::getenv("DISPLAY");
  std::string saveddisplay = display ? display : "";
  setenv("DISPLAY", ":987", 1);  // a run that got past the check stops at the display, not minutes later
  for (const char* save : {"config.dat", "highscore.dat", "replays/last.pfr"}) {
    WriteBytes(dir / "user" / save, {'k', 'e', 'p', 't'});
    fs::path hard = dir / (std::string("hard-") + fs::path(save).filename().string());
    fs::create_hard_link(dir / "user" / save, hard);
    RunResult r = RunProgram(program, {"--timedemo", replay, "--frame-log", hard.string(), "--userdir",
                                       (dir / "user").string()},
                             dir / "stderr.txt");
    EXPECT_EQ(r.code, 1) << save << ": " << r.err;
    EXPECT_NE(r.err.find("--frame-log \"" + hard.string() + "\" would replace "), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(dir / "user" / save), (std::vector<uint8_t>{'k', 'e', 'p', 't'})) << save;
  }
  if (display) setenv("DISPLAY", saveddisplay.c_str(), 1);
  else unsetenv("DISPLAY");
}
