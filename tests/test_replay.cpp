// Replays: the file format's checks, and whole scripted games recorded by
// the game and played back by the real program (--headless --replay).
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "app/options.h"
#include "app/replay.h"
#include "app/replay_run.h"
#include "app/timedemo.h"
#include "enemies/enemies.h"
#include "frontend/frontend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "playfield/bullets.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/controls.h"
#include "tests/run_helpers.h"
#include "tools/scripted_player.h"

namespace {

const std::string kProgram = std::string(PULSEFIELD_BINARY_DIR) + "/pulsefield";

// A small well-formed replay: a few ticks with key, pointer and joystick
// changes, a "then" mark and a checkpoint.
Replay SmallReplay() {
  Replay r;
  r.gameversion = "v0.97";
  r.startstate = 12345;
  SetDefaultConfig();
  DeriveStarCount();
  CaptureReplaySettings(r.settings);
  r.ticks = 3;
  r.finalscore = 4200;
  r.finalclock = 3;
  r.body = {0,                                     // tick 1: nothing
            3, 1, 65, 1, 2, 10, 0, 0, 0, 20, 0, 0, 0, 3, 2,  // tick 2: key, pointer, buttons
            2, 8, 1, 65, 0};                       // tick 3: then key let go
  r.body.push_back(1);                             // tick 4 gets a checkpoint
  r.body.push_back(7);
  for (int i = 0; i < 8 * RP_COUNT; i++) r.body.push_back((uint8_t)i);
  r.ticks = 4;
  return r;
}

std::vector<uint8_t> Encoded(const Replay& r) {
  std::vector<uint8_t> out;
  EXPECT_TRUE(EncodeReplay(r, out));
  return out;
}

// Decodes bytes that must be refused; returns the message.
std::string Refusal(const std::vector<uint8_t>& bytes) {
  Replay r;
  std::string why;
  EXPECT_FALSE(DecodeReplay(bytes.data(), bytes.size(), r, &why));
  EXPECT_FALSE(why.empty());
  return why;
}

// The offset of the packed body's declared lengths in a file of SmallReplay's header.
size_t LengthsAt(const std::vector<uint8_t>& file) { return 7 + file[6] + 8 + 2 + 4 * REPLAY_SETTINGS + 4 + 16; }

// The settings slots a test changes (in file order).
constexpr int kControlSlot = 0, kKeyRightSlot = 2, kJoyAxis2Slot = 12, kJoyButtonFlag1Slot = 19,
              kJoyPort7Slot = 33, kJoyRange0Slot = 34, kJoyRange7Slot = 41, kFireButton3Slot = 45,
              kFirePort3Slot = 49, kStarSettingSlot = 50, kGridSlot = 53, kStarCountSlot = 54;

TEST(ReplayFile, AWrittenReplayReadsBackTheSame) {
  Replay in = SmallReplay();
  // The edges of what the game sets itself come back as they went.
  in.settings[kControlSlot] = 255;
  in.settings[kKeyRightSlot] = 0;
  in.settings[kStarSettingSlot] = 1;
  in.settings[kStarCountSlot] = 128;
  in.settings[kJoyRange0Slot] = 0x7fc00000;  // a calibration range that is not a number
  in.settings[kJoyRange7Slot] = -1;
  std::vector<uint8_t> bytes = Encoded(in);
  Replay out;
  std::string why;
  ASSERT_TRUE(DecodeReplay(bytes.data(), bytes.size(), out, &why)) << why;
  EXPECT_EQ(out.gameversion, in.gameversion);
  EXPECT_EQ(out.startstate, in.startstate);
  EXPECT_EQ(0, std::memcmp(out.settings, in.settings, sizeof in.settings));
  EXPECT_EQ(out.ticks, in.ticks);
  EXPECT_EQ(out.finalscore, in.finalscore);
  EXPECT_EQ(out.finalclock, in.finalclock);
  EXPECT_EQ(out.body, in.body);
}

TEST(ReplayFile, BadFilesAreRefusedWithAMessageSayingWhy) {
  std::vector<uint8_t> good = Encoded(SmallReplay());
  EXPECT_NE(Refusal({}).find("empty"), std::string::npos);
  EXPECT_NE(Refusal({'P', 'F'}).find("too short"), std::string::npos);
  std::vector<uint8_t> header(good.begin(), good.begin() + 20);
  EXPECT_NE(Refusal(header).find("cut short"), std::string::npos);
  std::vector<uint8_t> foreign = good;
  foreign[0] = 'X';
  EXPECT_NE(Refusal(foreign).find("not a Pulsefield replay"), std::string::npos);
  std::vector<uint8_t> newer = good;
  newer[4] = REPLAY_FORMAT + 1;
  EXPECT_NE(Refusal(newer).find("newer than this game reads"), std::string::npos);
  std::vector<uint8_t> truncated(good.begin(), good.end() - 3);
  EXPECT_NE(Refusal(truncated).find("truncated"), std::string::npos);
  std::vector<uint8_t> stray = good;
  stray.push_back(0);
  EXPECT_NE(Refusal(stray).find("stray bytes"), std::string::npos);
  std::vector<uint8_t> huge = good;
  size_t at = LengthsAt(huge);
  huge[at] = huge[at + 1] = huge[at + 2] = huge[at + 3] = 0xff;
  EXPECT_NE(Refusal(huge).find("more than the"), std::string::npos);
  std::vector<uint8_t> damaged = good;
  damaged[damaged.size() - 6] ^= 0x55;
  Refusal(damaged);
  std::vector<uint8_t> badstate = good;
  std::memset(&badstate[7 + badstate[6]], 0, 8);
  EXPECT_NE(Refusal(badstate).find("generator state"), std::string::npos);
  // A few packed bytes cannot hold a large body: refused before any memory
  // is set aside for it.
  std::vector<uint8_t> inflated = good;
  uint32_t claim = REPLAY_MAX_BODY;
  for (int i = 0; i < 4; i++) inflated[at + i] = (uint8_t)(claim >> (8 * i));
  EXPECT_NE(Refusal(inflated).find("packed bytes can hold"), std::string::npos);
  // While the longest game there may be, eight hours of ticks without any
  // input (the tightest zlib packs), is taken, and a tick more is not: a
  // paused replay of millions of ticks cannot hold its player for hours.
  Replay idle = SmallReplay();
  idle.body.assign(REPLAY_MAX_TICKS, 0);
  idle.ticks = REPLAY_MAX_TICKS;
  std::vector<uint8_t> bytes = Encoded(idle);
  Replay out;
  std::string why;
  EXPECT_TRUE(DecodeReplay(bytes.data(), bytes.size(), out, &why)) << why;
  idle.body.push_back(0);
  idle.ticks++;
  EXPECT_NE(Refusal(Encoded(idle)).find("more than the 1800000 (eight hours)"), std::string::npos);
  // No game records no ticks: an empty body gets that true reason in every
  // build (its empty zlib stream once read as "ends early" on the desktop).
  Replay none = SmallReplay();
  none.body.clear();
  none.ticks = 0;
  EXPECT_EQ(Refusal(Encoded(none)), "the replay holds no ticks");
  Replay fewer = SmallReplay();
  fewer.ticks = (uint32_t)fewer.body.size() + 1;
  EXPECT_NE(Refusal(Encoded(fewer)).find("cannot hold its"), std::string::npos);
}

// Tick records a game never writes are refused at load, each with its
// reason; a pad's axis reads -1..1 and a number, so no NaN reaches the ship's
// guns (it once overflowed the grid's deformation).
struct BadTick {
  std::vector<uint8_t> record;  // one tick's record
  uint16_t format;
  const char* reason;           // empty: taken
};
class ReplayTickRecord : public ::testing::TestWithParam<BadTick> {};

TEST_P(ReplayTickRecord, IsRefusedWithItsReasonOrTaken) {
  Replay r = SmallReplay();
  r.format = GetParam().format;
  r.body.insert(r.body.end(), GetParam().record.begin(), GetParam().record.end());
  r.ticks++;
  std::vector<uint8_t> bytes = Encoded(r);
  Replay out;
  std::string why;
  bool taken = DecodeReplay(bytes.data(), bytes.size(), out, &why);
  if (*GetParam().reason == 0) {
    EXPECT_TRUE(taken) << why;
  } else {
    EXPECT_FALSE(taken);
    EXPECT_NE(why.find(GetParam().reason), std::string::npos) << why;
  }
}

// A joystick axis change: port 0, axis X, the float's bytes.
std::vector<uint8_t> AxisRecord(float v) {
  uint8_t b[4];
  std::memcpy(b, &v, 4);
  return {1, 6, 0, JOYAXIS_X, b[0], b[1], b[2], b[3]};
}

INSTANTIATE_TEST_SUITE_P(
    Records, ReplayTickRecord,
    ::testing::Values(BadTick{AxisRecord(std::nanf("")), 1, "reads no number"},
                      BadTick{AxisRecord(INFINITY), 1, "reads no number"},
                      BadTick{AxisRecord(-INFINITY), 2, "reads no number"},
                      BadTick{AxisRecord(7.5f), 1, ""},             // read as 1
                      BadTick{{1, 9}, 2, ""},                        // a focus loss
                      BadTick{{2, 9, 1, 65, 1}, 2, ""},              // with a key
                      BadTick{{1, 9}, 1, "records a focus loss"},    // too new for its format
                      BadTick{{1, 10}, 2, "unknown tag 10"}));

// A stored setting the game itself could never have set is refused at load,
// by name: a star count of -5 once ended the program, 2^31-1 asked for 56 GB
// and ten million took a minute, each before the player's files were saved.
struct BadSetting {
  int slot;
  int32_t value;
  const char* named;
};
class ReplaySettingRange : public ::testing::TestWithParam<BadSetting> {};

TEST_P(ReplaySettingRange, ASettingTheGameCannotSetIsRefusedByName) {
  Replay r = SmallReplay();
  r.settings[GetParam().slot] = GetParam().value;
  std::string why = Refusal(Encoded(r));
  EXPECT_NE(why.find(GetParam().named), std::string::npos) << why;
}

INSTANTIATE_TEST_SUITE_P(
    ReplayFile, ReplaySettingRange,
    ::testing::Values(BadSetting{kControlSlot, -1, "control type is -1, outside 0..255"},
                      BadSetting{kControlSlot, 256, "control type is 256"},
                      BadSetting{kKeyRightSlot, 300, "key right is 300"},
                      BadSetting{kJoyAxis2Slot, -7, "joystick axis 2 is -7"},
                      BadSetting{kJoyButtonFlag1Slot, 1000, "joystick button flag 1 is 1000"},
                      BadSetting{kJoyPort7Slot, INT32_MIN, "joystick port 7 is -2147483648"},
                      BadSetting{kFireButton3Slot, 256, "fire button 3 is 256"},
                      BadSetting{kFirePort3Slot, -1, "fire button port 3 is -1"},
                      BadSetting{kStarSettingSlot, 3000, "star setting is 3000"},
                      BadSetting{kGridSlot, -2, "grid setting is -2"},
                      BadSetting{kStarCountSlot, -5, "star count is -5, not 128 or 256"},
                      BadSetting{kStarCountSlot, INT32_MAX, "star count is 2147483647"},
                      BadSetting{kStarCountSlot, 10000000, "star count is 10000000"},
                      BadSetting{kStarCountSlot, 0, "star count is 0"},
                      BadSetting{kStarCountSlot, 128, "star count is 128, which the star setting 2 never makes"}));

TEST(ReplayFile, DamagedTickRecordsAreRefusedAtLoadNotDuringPlay) {
  Replay r = SmallReplay();
  r.body[1] = 200;  // tick 2 claims more changes than it holds
  EXPECT_NE(Refusal(Encoded(r)).find("tick 2"), std::string::npos);
  r = SmallReplay();
  r.body[2] = 99;  // an unknown tag
  EXPECT_NE(Refusal(Encoded(r)).find("unknown tag"), std::string::npos);
  r = SmallReplay();
  r.ticks = 5;  // more ticks than records
  EXPECT_NE(Refusal(Encoded(r)).find("tick 5"), std::string::npos);
  r = SmallReplay();
  r.ticks = 3;  // fewer
  EXPECT_NE(Refusal(Encoded(r)).find("more than its 3 ticks"), std::string::npos);
}

TEST(ReplayFile, RandomBytesNeverCrashTheReader) {
  std::mt19937 rng(7);
  std::vector<uint8_t> good = Encoded(SmallReplay());
  for (int i = 0; i < 2000; i++) {
    std::vector<uint8_t> b(rng() % 300);
    for (uint8_t& x : b) x = (uint8_t)rng();
    if (i % 2) {  // a real header with a random tail keeps the reader going further
      b = good;
      b[rng() % b.size()] ^= (uint8_t)(1 + rng() % 255);
      b.resize(b.size() - rng() % 8);
    }
    Replay r;
    std::string why;
    if (!DecodeReplay(b.data(), b.size(), r, &why)) {
      EXPECT_FALSE(why.empty());
    }
  }
}

// Runs the program; returns its exit code, its output in *out.
int RunProgram(const std::vector<std::string>& args, std::string* out, std::string* err = nullptr) {
  ScratchDir dir("replayrun");
  pid_t pid = StartProgram(kProgram, args, dir / "err", dir / "out");
  int code = WaitProgram(pid, 120);
  *out = Slurp(dir / "out");
  if (err) *err = Slurp(dir / "err");
  return code;
}

TEST(ReplayProgram, AnUnplayableFileEndsTheProgramWithCodeOneAndAMessage) {
  ScratchDir dir("replaybad");
  std::string out, err;
  std::filesystem::path empty = dir / "empty.pfr";
  { std::ofstream f(empty); }
  // Watched or timed, a file that cannot be played is refused before any window opens.
  for (std::vector<std::string> how : {std::vector<std::string>{"--headless", "--replay"}, {"--timedemo"}}) {
    how.push_back(empty.string());
    EXPECT_EQ(1, RunProgram(how, &out, &err)) << how[0];
    EXPECT_NE(err.find("is empty"), std::string::npos) << err;
  }
  EXPECT_EQ(1, RunProgram({"--headless", "--replay", (dir / "none.pfr").string()}, &out, &err));
  EXPECT_NE(err.find("cannot read the replay"), std::string::npos) << err;
  Replay stars = SmallReplay();
  stars.settings[kStarCountSlot] = -5;
  std::string why;
  ASSERT_TRUE(SaveReplay((dir / "stars.pfr").string(), stars, &why)) << why;
  EXPECT_EQ(1, RunProgram({"--headless", "--replay", (dir / "stars.pfr").string()}, &out, &err));
  EXPECT_NE(err.find("star count is -5"), std::string::npos) << err;
}

// What happened in a recorded game, seen from outside between its ticks.
struct GameFacts {
  long bombsgone = 0;        // ticks a bomb's ring ran
  long holeawake = 0;        // ticks an awake Hole was in the arena
  long holepulledship = 0;   // ticks the living ship was within an awake Hole's pull
  long holepulledenemy = 0;  // ticks another active enemy was
  long holepushedbullet = 0; // ticks a bullet was in an awake Hole's deflecting ring
  long prompts = 0;          // times the quit prompt opened
  bool atprompt = false;
  bool started = false, ended = false;
  uint64_t endstate = 0;     // the state sum after the game's last tick
  void See() {
    if (bombstate == BOMB_RUNNING) bombsgone++;
    bool prompt = gamestate == GameState::Game && playstate == PlayState::Prompt;
    prompts += prompt && !atprompt;
    atprompt = prompt;
    bool awake = false, ship = false, enemy = false, bullet = false;
    for (const tNME& h : nmelist) {
      if (!AwakeHole(h)) continue;
      awake = true;
      ship |= playermode == PlayerMode::Alive && std::hypot(h.x - playerx, h.y - playery) < 200;
      for (const tNME& n : nmelist)
        enemy |= &n != &h && n.mode == NME_ACTIVE && std::hypot(h.x - n.x, h.y - n.y) < 200;
      for (const tBULLET& b : bulletlist) {
        float d = std::hypot(h.x - b.x, h.y - b.y);
        bullet |= d > 32 && d < 100;
      }
    }
    holeawake += awake;
    holepulledship += ship;
    holepulledenemy += enemy;
    holepushedbullet += bullet;
  }
  // Once the game is over: the sum that the watched replay prints as its state.
  void SeeEnd() {
    if (gamestate == GameState::Game) started = true;
    if (!started || ended || gamestate == GameState::Game) return;
    ended = true;
    ReplayCheck c;
    TakeReplayCheck(&c);
    uint64_t h = 1469598103934665603ull;
    for (uint64_t part : c.part) h = (h ^ part) * 1099511628211ull;
    endstate = h;
  }
  std::string Text() const {
    char line[512];
    std::snprintf(line, sizeof line,
                  "bombs %ld\nholeawake %ld\nholepulledship %ld\nholepulledenemy %ld\nholepushedbullet %ld\n"
                  "spawnlings %ld\nlives_lost %ld\nprompts %ld\nstate %016llx\n",
                  bombsgone, holeawake, holepulledship, holepulledenemy, holepushedbullet,
                  nmespawned[NME_SPAWNLING], liveslost, prompts, (unsigned long long)endstate);
    return line;
  }
};

// One "name value" line of a facts text; -1 when it is missing.
long long Fact(const std::string& facts, const std::string& name, int base = 10) {
  size_t at = facts.find(name + " ");
  if (at == std::string::npos) return -1;
  return std::strtoll(facts.c_str() + at + name.size() + 1, nullptr, base);
}

// In a fresh copy of the test program (nothing earlier tests left in the
// game's globals can leak in), plays the scripted game and copies the
// replay it left to outfile, and what happened in it to outfile + ".facts".
// False if the copy failed.
//
// Something from outside the game may meet it: called before each tick's
// pass, it says whether it set the tick's input itself (the script then
// stays out) and how many ticks' time the pass has to catch up. A game in a
// real window (realwindow) runs one tick a round, by the window system's
// events, and needs a display.
struct Meeting {
  bool ownsinput = false;
  int ticks = 1;
};
using Meeter = std::function<Meeting(long t)>;

bool RecordGame(const ScriptedGame& s, const std::filesystem::path& outfile, const Meeter& outside = {},
                bool realwindow = false) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const char* childout = std::getenv("PULSEFIELD_REPLAY_OUT");
  const char* childtype = std::getenv("PULSEFIELD_REPLAY_CONTROL");
  if (childout && childtype) {
    if (std::atoi(childtype) != s.controltype) return true;
    if (const char* ticks = std::getenv("PULSEFIELD_REPLAY_TICKS")) const_cast<ScriptedGame&>(s).ticks = std::atol(ticks);
    ScratchDir dir("replayrec");
    std::filesystem::current_path(dir.path());
    SetDataDir(std::string(PULSEFIELD_BINARY_DIR) + "/data");
    SetProgramDir(dir.string());
    PlatformInit(realwindow ? PlatformKind::Real : PlatformKind::Headless);
    HeadlessReleaseAll();
    HeadlessSetJoystickCount(Joystick(s.controltype) ? 1 : 0);
    StartOptions opts;
    opts.headless = !realwindow;
    opts.hasseed = true;
    opts.seed = s.seed != 0 ? s.seed : 4711 + s.controltype;
    if (const char* seed = std::getenv("PULSEFIELD_REPLAY_SEED")) opts.seed = std::atoll(seed);
    opts.nosound = true;
    opts.play = true;
    StartUp(opts);
    controltype = s.controltype;  // before the game starts, so the recording holds it
    ResetScript();
    GameFacts facts;
    ticksdue = 1;
    for (long t = 0; t < s.ticks && !facts.ended; t++) {
      Meeting m = outside ? outside(t) : Meeting{};
      if (!m.ownsinput) ScriptTick(s, t);
      if (realwindow) {
        FrameDispatch();
        if (TakeCloseRequest()) break;
      } else {
        HeadlessAdvanceClock(framestep * m.ticks);
        if (!LoopRound()) break;  // the close button ends the program in order
      }
      facts.See();
      facts.SeeEnd();
    }
    FinishReplays();
    std::error_code ec;
    std::filesystem::copy_file("replays/last.pfr", childout, std::filesystem::copy_options::overwrite_existing, ec);
    std::ofstream(std::string(childout) + ".facts") << facts.Text();
    std::filesystem::current_path("/");
    std::error_code gone;
    std::filesystem::remove_all(dir.path(), gone);  // _exit runs no destructors
    _exit(ec ? 1 : 0);
  }
  // The copy leaves by _exit, which runs no destructors: its scratch folders
  // go in one of ours, removed when it is done.
  ScratchDir childtmp("replaychild");
  pid_t pid = fork();
  if (pid == 0) {
    setenv("TMPDIR", childtmp.string().c_str(), 1);
    setenv("PULSEFIELD_REPLAY_OUT", outfile.c_str(), 1);
    setenv("PULSEFIELD_REPLAY_CONTROL", std::to_string(s.controltype).c_str(), 1);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    char* argv[] = {const_cast<char*>("pulsefield_tests"), filter.data(), nullptr};
    execv("/proc/self/exe", argv);
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && std::filesystem::exists(outfile);
}

// In the copy recording another control type's game: this one is skipped.
bool ForAnotherCopy(int type) {
  const char* childtype = std::getenv("PULSEFIELD_REPLAY_CONTROL");
  return childtype && std::atoi(childtype) != type;
}

TEST(ReplayGame, EveryControlTypeRecordsAGameThatPlaysBackExactly) {
  for (int type = 0; type < 4; type++) {
    if (ForAnotherCopy(type)) continue;
    SCOPED_TRACE("control type " + std::to_string(type));
    ScratchDir dir("replaygame");
    std::filesystem::path file = dir / "game.pfr";
    ASSERT_TRUE(RecordGame({type, 2400}, file));
    Replay r;
    std::string why;
    ASSERT_TRUE(LoadReplay(file.string(), r, &why)) << why;
    EXPECT_EQ(r.settings[0], type);
    EXPECT_GT(r.ticks, 1000u);
    std::string out;
    EXPECT_EQ(0, RunProgram({"--headless", "--replay", file.string()}, &out)) << out;
    EXPECT_NE(out.find("replay ok"), std::string::npos) << out;
    EXPECT_NE(out.find("score " + std::to_string(r.finalscore) + "\n"), std::string::npos) << out;
  }
}

// The richest game to play back: bombs, lost lives, and Holes that wake,
// pull the ship, the bullets and the other enemies, and burst into
// Spawnlings. The player wakes each Hole and then leaves it to grow.
// The facts are checked first, so a rule change that takes the Holes out of
// this game says so rather than passing on a poorer one.
TEST(ReplayGame, AGameWithBombsDeathsAndBurstingHolesPlaysBackExactly) {
  ScratchDir dir("replayholes");
  std::filesystem::path file = dir / "holes.pfr";
  // Seed 6's game has all of it by tick 10000: lives lost, bombs, Holes
  // pulling the ship and bursting into Spawnlings.
  ScriptedGame holes{0, 10000, 6, true};
  ASSERT_TRUE(RecordGame(holes, file));
  std::string facts = Slurp(file.string() + ".facts");
  EXPECT_GT(Fact(facts, "bombs"), 0) << facts;
  EXPECT_GT(Fact(facts, "lives_lost"), 0) << facts;
  EXPECT_GT(Fact(facts, "holepulledship"), 0) << facts;
  EXPECT_GT(Fact(facts, "holepulledenemy"), 0) << facts;
  EXPECT_GT(Fact(facts, "holepushedbullet"), 0) << facts;
  EXPECT_GT(Fact(facts, "spawnlings"), 0) << facts;
  std::string out;
  EXPECT_EQ(0, RunProgram({"--headless", "--replay", file.string()}, &out)) << out;
  EXPECT_NE(out.find("replay ok\n"), std::string::npos) << out;
  EXPECT_EQ(Fact(out, "state", 16), Fact(facts, "state", 16)) << out << facts;
  EXPECT_NE(out.find(" spawned_spawnling=" + std::to_string(Fact(facts, "spawnlings")) + " "), std::string::npos)
      << out << facts;
}

// What can happen outside a game while it is played, each met mid-play by
// a recorded game that must then play back exactly: every one is in the
// recording, or no rule of play reads it. The watcher has no joystick.
enum class Outside { FocusLost, Minimised, CloseAtPrompt, CloseInPlay, PadUnplugged, PadResumesPrompt,
                     PointerRemapped, DisplayReopened, SlowPass, LongStall };
struct OutsideCase {
  const char* name;
  Outside what;
  int controltype;
  long prompts;  // times the quit prompt opens in the recorded game
};
class ReplayOutside : public ::testing::TestWithParam<OutsideCase> {};

// The tick the event comes, well into play and before the script's own prompt.
constexpr long kMeetAt = 450;
constexpr long kOutsideGame = 1500;

// Holds a key (or a pad's button) on ticks from..from+2 of an event's own input.
void TapOnTicks(long t, long from, int key, int padbutton = -1) {
  HeadlessReleaseAll();
  if (t < from || t >= from + 3) return;
  if (padbutton >= 0) HeadlessSetJoyButton(0, padbutton, 1);
  else HeadlessSetKey(key, 1);
}

Meeting Meet(Outside what, long t) {
  const long e = kMeetAt;
  Meeting m;
  switch (what) {
    case Outside::FocusLost:  // paused at the prompt; back, and resumed with a key
    case Outside::Minimised:
      if (t == e) (what == Outside::FocusLost ? HeadlessSetFocus(0) : HeadlessSetMinimised(1));
      if (t == e + 20) (what == Outside::FocusLost ? HeadlessSetFocus(1) : HeadlessSetMinimised(0));
      if (t >= e && t < e + 40) {
        m.ownsinput = true;
        if (t > e) TapOnTicks(t, e + 30, VK_X);
      }
      break;
    case Outside::CloseAtPrompt:
      if (t >= e && t <= e + 10) {
        m.ownsinput = true;
        TapOnTicks(t, e, VK_ESCAPE);
      }
      if (t == e + 10) HeadlessRequestClose();
      break;
    case Outside::CloseInPlay:
      if (t == e) HeadlessRequestClose();
      break;
    case Outside::PadUnplugged:  // out for a second, in again
      if (t == e) HeadlessSetJoystickCount(0);
      if (t == e + 60) HeadlessSetJoystickCount(1);
      break;
    case Outside::PadResumesPrompt: {  // start opens the prompt, another button resumes
      int start = joyaxis[JOY_START];
      if (t >= e && t < e + 40) {
        m.ownsinput = true;
        if (t < e + 3) TapOnTicks(t, e, 0, start);
        else TapOnTicks(t, e + 30, 0, (start + 1) % MAX_JOYBUTTONS);
      }
      break;
    }
    case Outside::PointerRemapped:  // the window resized: the same pointer lands elsewhere
      if (t == e) {
        ScriptTick({0, kOutsideGame}, t);
        HeadlessSetMouse(780, 20);
        m.ownsinput = true;
      }
      break;
    case Outside::DisplayReopened:
      if (t == e) {
        std::string why;
        EXPECT_TRUE(OpenGraphics(800, 600, 0, 60, 0, &why)) << why;
      }
      break;
    case Outside::SlowPass:  // a pass of twelve ticks, with a tap queued mid-way
      if (t == e) {
        ScriptTick({0, kOutsideGame}, t);
        HeadlessQueueKey(VK_X, 1, (uint32_t)ClockMs() + 5 * framestep);
        HeadlessQueueKey(VK_X, 0, (uint32_t)ClockMs() + 6 * framestep);
        m.ownsinput = true;
        m.ticks = 12;
      }
      break;
    case Outside::LongStall:  // a pass after half a minute away runs one tick
      if (t == e) m.ticks = 1875;
      break;
  }
  return m;
}

TEST_P(ReplayOutside, AGameThatMeetsItMidPlayPlaysBackExactly) {
  const OutsideCase& c = GetParam();
  ScratchDir dir("replayoutside");
  std::filesystem::path file = dir / "game.pfr";
  ASSERT_TRUE(RecordGame({c.controltype, kOutsideGame}, file, [&](long t) { return Meet(c.what, t); }));
  std::string facts = Slurp(file.string() + ".facts");
  EXPECT_EQ(Fact(facts, "prompts"), c.prompts) << facts;
  std::string out;
  EXPECT_EQ(0, RunProgram({"--headless", "--replay", file.string()}, &out)) << out;
  EXPECT_NE(out.find("replay ok\n"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Events, ReplayOutside,
    ::testing::Values(OutsideCase{"FocusLost", Outside::FocusLost, 0, 3},
                      OutsideCase{"MinimisedAndRestored", Outside::Minimised, 2, 3},
                      OutsideCase{"CloseAnsweredAtThePrompt", Outside::CloseAtPrompt, 0, 1},
                      OutsideCase{"CloseInPlay", Outside::CloseInPlay, 0, 0},
                      OutsideCase{"PadUnpluggedAndBack", Outside::PadUnplugged, 1, 2},
                      OutsideCase{"PadButtonResumesThePrompt", Outside::PadResumesPrompt, 3, 3},
                      OutsideCase{"PointerRemappedByAResize", Outside::PointerRemapped, 0, 2},
                      OutsideCase{"DisplayReopened", Outside::DisplayReopened, 2, 2},
                      OutsideCase{"SlowPassCatchesUp", Outside::SlowPass, 0, 2},
                      OutsideCase{"LongStallRunsOneTick", Outside::LongStall, 1, 2}),
    [](const ::testing::TestParamInfo<OutsideCase>& i) { return std::string(i.param.name); });

// The same, through the window system: a real window told it lost the focus
// pauses its game at the prompt, and the recording plays back exactly.
TEST(ReplayOutsideWindow, AFocusLossFromTheWindowSystemIsInTheRecording) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no display";
  ScratchDir dir("replaywindow");
  std::filesystem::path file = dir / "game.pfr";
  auto meet = [](long t) {
    Meeting m;
    if (t == kMeetAt) {
      SDL_Event e{};
      e.type = SDL_WINDOWEVENT;
      e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
      e.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
      SDL_PushEvent(&e);
    }
    if (t >= kMeetAt && t < kMeetAt + 40) {
      m.ownsinput = true;
      if (t > kMeetAt) TapOnTicks(t, kMeetAt + 30, VK_X);
    }
    return m;
  };
  ASSERT_TRUE(RecordGame({0, kOutsideGame}, file, meet, true));
  std::string facts = Slurp(file.string() + ".facts");
  EXPECT_GE(Fact(facts, "prompts"), 3) << facts;  // another test's window may take the focus too
  std::string out;
  EXPECT_EQ(0, RunProgram({"--headless", "--replay", file.string()}, &out)) << out;
  EXPECT_NE(out.find("replay ok\n"), std::string::npos) << out;
}

// Walks the body's tick records: the offset where each tick's record begins.
std::vector<size_t> RecordStarts(const std::vector<uint8_t>& body) {
  static const size_t sizes[10] = {0, 2, 8, 1, 1, 5, 6, 8 * RP_COUNT, 0, 0};
  std::vector<size_t> starts;
  size_t p = 0;
  while (p < body.size()) {
    starts.push_back(p);
    uint32_t n = 0;
    for (int shift = 0;; shift += 7) {
      uint8_t b = body[p++];
      n |= (uint32_t)(b & 0x7f) << shift;
      if (!(b & 0x80)) break;
    }
    for (uint32_t i = 0; i < n; i++) p += 1 + sizes[body[p]];
  }
  return starts;
}

TEST(ReplayGame, AChangedInputOrStartingStateIsCaughtAtTheRightTick) {
  ScratchDir dir("replaydesync");
  std::filesystem::path file = dir / "game.pfr";
  ASSERT_TRUE(RecordGame({0, 1500}, file));
  Replay r;
  std::string why;
  ASSERT_TRUE(LoadReplay(file.string(), r, &why)) << why;
  std::string out;

  Replay seeded = r;
  seeded.startstate = r.startstate == 1 ? 2 : r.startstate - 1;
  ASSERT_TRUE(SaveReplay((dir / "seeded.pfr").string(), seeded, &why)) << why;
  EXPECT_EQ(1, RunProgram({"--headless", "--replay", (dir / "seeded.pfr").string()}, &out));
  EXPECT_NE(out.find("desync at tick 60: the "), std::string::npos) << out;

  // The timedemo paints the game through the real renderer: it times the
  // good one, one frame a tick, with its figures as the last line, and
  // refuses the desynced one as a watched replay does, with no figures.
  if (std::getenv("DISPLAY")) {
    std::filesystem::path log = dir / "frames.csv";
    EXPECT_EQ(0, RunProgram({"--no-sound", "-w", "--timedemo", file.string(), "--frame-log", log.string()}, &out))
        << out;
    EXPECT_NE(out.find("replay ok\n"), std::string::npos) << out;
    size_t at = out.rfind("timedemo: frames=");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out.find('\n', at), out.size() - 1) << out;
    long frames = std::atol(out.c_str() + at + 17);
    EXPECT_GE(frames, (long)r.ticks);
    EXPECT_LE(frames, (long)r.ticks + 5);  // the ticks before the game starts
    std::string csv = Slurp(log);
    EXPECT_EQ(csv.rfind("tick,wall_ms,cpu_ms,quads,lines,additive_area,halved_area\n", 0), 0u) << csv.substr(0, 80);
    EXPECT_EQ((long)std::count(csv.begin(), csv.end(), '\n'), frames + 1);
    EXPECT_EQ(1, RunProgram({"--no-sound", "-w", "--timedemo", (dir / "seeded.pfr").string()}, &out));
    EXPECT_NE(out.find("desync at tick 60: the "), std::string::npos) << out;
    EXPECT_EQ(out.find("timedemo:"), std::string::npos) << out;
  }

  // The first steering key (D) pressed: one byte makes it A, so the ship
  // goes left instead, and the next checkpoint sees it.
  std::vector<size_t> starts = RecordStarts(r.body);
  ASSERT_EQ(starts.size(), r.ticks);
  Replay steered = r;
  size_t t = 0;
  while (t < starts.size() && !(r.body[starts[t]] > 0 && r.body[starts[t] + 1] == 1 && r.body[starts[t] + 2] == 68)) t++;
  ASSERT_LT(t, starts.size());
  steered.body[starts[t] + 2] = 65;
  size_t checkat = (t / 60 + 1) * 60;
  ASSERT_TRUE(SaveReplay((dir / "steered.pfr").string(), steered, &why)) << why;
  EXPECT_EQ(1, RunProgram({"--headless", "--replay", (dir / "steered.pfr").string()}, &out));
  EXPECT_NE(out.find("desync at tick " + std::to_string(checkat) + ": the player differs"), std::string::npos)
      << out;
}

// The checked-in replays (tools/dev.sh rerecord makes them again): each
// plays back exactly, to the score, clock, kill counts and final state its
// .expect file holds. A rule change that alters play fails here.
TEST(ReplayGuard, TheCheckedInReplaysPlayToTheirRecordedEnds) {
  std::filesystem::path folder = std::filesystem::path(PULSEFIELD_SOURCE_DIR) / "tests" / "replays";
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.path().extension() == ".pfr") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  bool controltypes[4] = {};
  for (const std::filesystem::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    Replay r;
    std::string why;
    ASSERT_TRUE(LoadReplay(file.string(), r, &why)) << why;
    if (r.settings[0] >= 0 && r.settings[0] < 4) controltypes[r.settings[0]] = true;
    // A minute of play at least, so the guard reaches the later waves.
    EXPECT_GE(r.finalclock, 60 * 60);
    std::filesystem::path expect = file;
    expect.replace_extension(".expect");
    ASSERT_TRUE(std::filesystem::exists(expect));
    std::string out;
    EXPECT_EQ(0, RunProgram({"--headless", "--replay", file.string()}, &out));
    EXPECT_EQ(out, Slurp(expect));
  }
  for (int type = 0; type < 4; type++) EXPECT_TRUE(controltypes[type]) << "no replay of control type " << type;
}

// A watched replay's frame rate is counted in whole seconds of play (62.5
// ticks each) from the tick each frame was painted after; the first and the
// last second, partly loading or left, are not counted.
TEST(ReplayWatched, TheFrameRateIsCountedInWholeSecondsOfPlay) {
  std::vector<long> ticks;
  for (long t = 10; t < 250; t++) ticks.push_back(t);      // seconds 0..3, a frame a tick
  for (long t = 250; t < 313; t += 4) ticks.push_back(t);  // second 4, every fourth tick
  ticks.push_back(313);                                     // second 5, left at once
  EXPECT_EQ(WatchedSummaryLine(ticks), "watched: seconds=4 fps_p50=62 fps_p10=16 fps_min=16");
  EXPECT_EQ(WatchedSummaryLine({}), "watched: seconds=0 fps_p50=0 fps_p10=0 fps_min=0");
}

// The timedemo's long games (tools/timedemo.sh) are too long to play here:
// each must load and still hold eight minutes of play or more.
TEST(ReplayGuard, TheTimedemosLongGamesLoadAndLastEightMinutes) {
  std::filesystem::path folder = std::filesystem::path(PULSEFIELD_SOURCE_DIR) / "tests" / "timedemo";
  int games = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    if (e.path().extension() != ".pfr") continue;
    SCOPED_TRACE(e.path().filename().string());
    Replay r;
    std::string why;
    ASSERT_TRUE(LoadReplay(e.path().string(), r, &why)) << why;
    EXPECT_GE(r.finalclock, 8 * 60 * 60);
    games++;
  }
  EXPECT_GE(games, 3);
}

// A crafted replay that presses a key at the quit prompt and never lets it
// go keeps its game paused, tick after tick, to the replay's last tick; the
// program still ends, and says where the replay was left.
TEST(ReplayProgram, AKeyNeverLetGoAtTheQuitPromptStillEndsThePlayback) {
  ScratchDir dir("replayheld");
  SetDefaultConfig();
  DeriveStarCount();
  Replay r;
  r.gameversion = version;
  r.startstate = 99;
  CaptureReplaySettings(r.settings);
  r.ticks = 600;
  for (uint32_t t = 1; t <= r.ticks; t++) {
    if (t == 200) r.body.insert(r.body.end(), {1, 1, VK_ESCAPE, 1});  // the prompt
    else if (t == 203) r.body.insert(r.body.end(), {1, 1, VK_ESCAPE, 0});
    else if (t == 210) r.body.insert(r.body.end(), {1, 1, VK_X, 1});  // resumes, and is held for good
    else r.body.push_back(0);
  }
  std::filesystem::path file = dir / "held.pfr";
  std::string why;
  ASSERT_TRUE(SaveReplay(file.string(), r, &why)) << why;
  std::string out;
  int code = RunProgram({"--headless", "--replay", file.string()}, &out);
  EXPECT_TRUE(code == 0 || code == 1) << code;
  EXPECT_NE(out.find("score 0\n"), std::string::npos) << out;
}

}  // namespace
