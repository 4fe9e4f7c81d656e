// The high-score table: insertion, the scrambled bytes of "highscore.dat"
// and what a damaged or unwritable file may and may not do, then the three
// screens driven through whole front-end ticks on the headless back end.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "frontend/highscore_screens.h"
#include "frontend/highscores.h"
#include "platform/clock.h"
#include "platform/keycodes.h"
#include "platform/render.h"
#include "tests/playfield_fixture.h"
#include "tests/run_helpers.h"

namespace fs = std::filesystem;

namespace {
// A made-up table: row i scores 1000 × (100 − i), is named "P<i>" and was
// played for i seconds, i % 60 minutes and i % 10 hours.
void FillTable() {
  for (int i = 0; i < HS_ROWS; i++) {
    hsname[i] = "P" + std::to_string(i);
    hsscore[i] = 1000 * (HS_ROWS - i);
    hssecs[i] = i;
    hsmins[i] = i % 60;
    hshours[i] = i % 10;
  }
  ClearAwards();
}


struct HighScoreFileTest : InScratchDir {
  HighScoreFileTest() : InScratchDir("highscores") {}
  static std::vector<uint8_t> Bytes() { return ReadBytes("highscore.dat"); }
  static void Write(const std::vector<uint8_t>& b) { WriteBytes("highscore.dat", b); }
  // The table's rows fit to draw: drawable names within the entry's width,
  // best first, within what the file holds.
  static void ExpectDrawableTable() {
    for (int i = 0; i < HS_ROWS; i++) {
      ASSERT_FALSE(hsname[i].empty());
      ASSERT_EQ(DrawableName(hsname[i]), hsname[i]);
      ASSERT_LE(FontTextWidth(hsname[i]), HS_NAME_WIDTH);
      ASSERT_TRUE(hsscore[i] >= 0 && hsscore[i] <= HS_FILE_SCORE_MAX);
      if (i > 0) {
        ASSERT_GE(hsscore[i - 1], hsscore[i]);
      }
    }
  }
};
}  // namespace

TEST(HighScores, AnEqualScoreEntersAboveRowHundredIsPushedOutAndALowerScoreIsRefused) {
  FillTable();
  clocksecs = 7, clockmins = 8, clockhours = 1;
  EXPECT_EQ(InsertScore(1000 * (HS_ROWS - 3)), 3);  // equal to row 3: above it
  EXPECT_EQ(hsname[3], " ");
  EXPECT_EQ(hssecs[3], 7);
  EXPECT_EQ(hsmins[3], 8);
  EXPECT_EQ(hshours[3], 1);
  EXPECT_EQ(hsname[4], "P3");  // the old row moved down with its time
  EXPECT_EQ(hssecs[4], 3);
  EXPECT_EQ(hsname[99], "P98");  // and "P99" dropped out
  EXPECT_EQ(InsertScore(2000), 99);  // equal to the last row: still enters
  EXPECT_EQ(hsscore[99], 2000);
  EXPECT_EQ(hsname[98], "P97");
  EXPECT_EQ(InsertScore(1999), -2);
  EXPECT_EQ(hsscore[99], 2000);
}

TEST_F(HighScoreFileTest, AScoreOf2To32OrMoreIsSavedAsTheLargestTheFileHolds) {
  FillTable();
  ASSERT_EQ(InsertScore((int64_t)1 << 33), 0);
  EXPECT_EQ(HighScoreTop(), (int64_t)1 << 33);  // the running game keeps it whole
  hsscore[1] = ((int64_t)1 << 32) + 5;           // would wrap to 5
  ASSERT_TRUE(SaveHighScores());
  LoadHighScores();
  EXPECT_EQ(hsscore[0], HS_FILE_SCORE_MAX);
  EXPECT_EQ(hsscore[1], HS_FILE_SCORE_MAX);
  EXPECT_EQ(hsscore[2], 1000 * (HS_ROWS - 1));
}

TEST_F(HighScoreFileTest, BytesAreScrambledByARunningPositionThatPlainNameLengthsDoNotAdvance) {
  FillTable();
  hsscore[0] = 0x41414141;  // four equal bytes
  hsscore[1] = 0x04030201;
  hsmins[0] = 59;
  awards[0] = awards[13] = 1;
  awards[14] = 1;  // never saved
  hsname[0] = "AB";
  hsname[1] = "A";
  ASSERT_TRUE(SaveHighScores());
  std::vector<uint8_t> b = Bytes();
  size_t names = 0;
  for (const std::string& n : hsname) names += n.size();
  ASSERT_EQ(b.size(), 1614 + 100 + names);
  auto key = [](size_t pos) { return (uint8_t)hskey[pos % HS_KEY_LENGTH]; };
  for (size_t i = 0; i < 4; i++) EXPECT_EQ(b[i], 0x41 ^ key(i));
  EXPECT_NE(b[0], b[1]);  // the same value at another position looks different
  EXPECT_EQ(b[4], 0x01 ^ key(4));
  EXPECT_EQ(b[7], 0x04 ^ key(7));
  EXPECT_EQ(b[800], 59 ^ key(800));  // minutes follow scores and seconds
  EXPECT_EQ(b[1600], 1 ^ key(1600));
  EXPECT_EQ(b[1613], 1 ^ key(1613));
  EXPECT_EQ(b[1601], 0 ^ key(1601));
  // Names: the length byte plain, the characters on the same running position.
  EXPECT_EQ(b[1614], 2);
  EXPECT_EQ(b[1615], 'A' ^ key(1614));
  EXPECT_EQ(b[1616], 'B' ^ key(1615));
  EXPECT_EQ(b[1617], 1);
  EXPECT_EQ(b[1618], 'A' ^ key(1616));
  EXPECT_EQ(b[1619], 2);  // "P2"
  EXPECT_EQ(b[1620], 'P' ^ key(1617));
}

TEST_F(HighScoreFileTest, AFullTableWithAwardsRoundTrips) {
  FillTable();
  hsname[5] = "a.b,c!?";
  hsname[6] = " ";
  for (int i = 0; i < 16; i++) awards[i] = i % 3 == 0;
  ASSERT_TRUE(SaveHighScores());
  for (int i = 0; i < HS_ROWS; i++) {
    hsname[i] = "x";
    hsscore[i] = hssecs[i] = hsmins[i] = hshours[i] = 0;
  }
  LoadHighScores();
  for (int i = 0; i < HS_ROWS; i++) {
    std::string expected = i == 5 ? "a.b,c!?" : i == 6 ? " " : "P" + std::to_string(i);
    EXPECT_EQ(hsname[i], expected);
    EXPECT_EQ(hsscore[i], 1000 * (HS_ROWS - i));
    EXPECT_EQ(hssecs[i], i);
    EXPECT_EQ(hsmins[i], i % 60);
    EXPECT_EQ(hshours[i], i % 10);
  }
  for (int i = 0; i < HS_AWARDS_SAVED; i++) EXPECT_EQ(awards[i], i % 3 == 0) << i;
  EXPECT_EQ(awards[15], 0);  // element 15 is not kept

  ClearHighScoreTable();  // RESET HIGHSCORES keeps times and awards
  EXPECT_EQ(hsname[7], "Empty");
  EXPECT_EQ(hsscore[0], 0);
  EXPECT_EQ(hssecs[7], 7);
  EXPECT_EQ(awards[0], 1);
  ClearAwards();
  EXPECT_EQ(awards[0], 0);
}

TEST_F(HighScoreFileTest, ShortEmptyRandomAndHugeFilesLoadWhatTheyHoldAndNeverCrash) {
  fs::remove("highscore.dat");
  LoadHighScores();  // no file: the empty table
  EXPECT_EQ(hsname[0], "Empty");
  EXPECT_EQ(hsscore[0], 0);
  FillTable();
  awards[2] = 1;
  ASSERT_TRUE(SaveHighScores());
  const std::vector<uint8_t> full = Bytes();

  Write(std::vector<uint8_t>(full.begin(), full.begin() + 402));  // scores and half a second
  LoadHighScores();
  EXPECT_EQ(hsscore[99], 1000);
  EXPECT_EQ(hssecs[0], 0);
  EXPECT_EQ(hsname[0], "Empty");
  Write(std::vector<uint8_t>(full.begin(), full.begin() + 1620));  // into the third name
  LoadHighScores();
  EXPECT_EQ(awards[2], 1);
  EXPECT_EQ(hsname[1], "P1");
  EXPECT_EQ(hsname[2], "Empty");
  Write({});
  LoadHighScores();
  EXPECT_EQ(hsname[0], "Empty");
  EXPECT_EQ(awards[2], 0);

  SeedRandom(99);
  for (int round = 0; round < 60; round++) {
    std::vector<uint8_t> b((size_t)RandInt(0, 3000));
    for (uint8_t& c : b) c = (uint8_t)RandInt(0, 255);
    Write(b);
    LoadHighScores();
    ExpectDrawableTable();
  }
  std::vector<uint8_t> huge(8 << 20, 0xff);  // every name 255 bytes of code 255 ^ key
  Write(huge);
  LoadHighScores();
  ExpectDrawableTable();
  ASSERT_TRUE(SaveHighScores());
  EXPECT_LT(Bytes().size(), 30000u);
}

TEST_F(HighScoreFileTest, NamesFromFilesKeepOnlyWhatTheFontDrawsWithinTheEntrysWidth) {
  FillTable();
  hsname[0] = std::string("A\x01" "B\xff" "C\x80", 6);
  hsname[1] = std::string("\x0d\x0a\x90", 3);
  hsname[2] = std::string(30, 'W');
  ASSERT_TRUE(SaveHighScores());
  LoadHighScores();
  EXPECT_EQ(hsname[0], "ABC");
  EXPECT_EQ(hsname[1], "Empty");
  EXPECT_EQ(hsname[2], std::string(19, 'W'));  // 19 × 26 pixels fit in 496

  // The remembered name in "config.dat" is kept the same way.
  std::string cfg = std::string(11, '\0') + "Z\x02" "ed\xc8" "\r\n";
  std::ofstream("config.dat", std::ios::binary) << cfg;
  LoadConfig();
  EXPECT_EQ(lastname, "Zed");
  SetDefaultConfig();
}

TEST_F(HighScoreFileTest, AFileThatCannotBeWrittenKeepsTheOldOneAndSaysSo) {
  FillTable();
  ASSERT_TRUE(SaveHighScores());
  const std::vector<uint8_t> before = Bytes();
  hsname[0] = "CHANGED";
  // A file size limit fails the write as a full disk would, even for root.
  struct rlimit old, small;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  small = old;
  small.rlim_cur = 100;
  void (*oldxfsz)(int) = signal(SIGXFSZ, SIG_IGN);
  bool saved = true;
  std::string err = StderrOf([&] {
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    saved = SaveHighScores();
    setrlimit(RLIMIT_FSIZE, &old);
  });
  signal(SIGXFSZ, oldxfsz);
  EXPECT_FALSE(saved);
  EXPECT_NE(err.find("could not save the high scores to \"highscore.dat\""), std::string::npos) << err;
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);

  // One that is there but cannot be read is left as it is at quit.
  fs::remove("highscore.dat");
  fs::create_directory("highscore.dat");
  err = StderrOf([] { LoadHighScores(); });
  EXPECT_NE(err.find("cannot read the high scores"), std::string::npos) << err;
  EXPECT_EQ(hsname[0], "Empty");
  err = StderrOf([&] { saved = SaveHighScores(); });
  EXPECT_FALSE(saved);
  EXPECT_TRUE(fs::is_directory("highscore.dat"));
  fs::remove("highscore.dat");
  LoadHighScores();
  EXPECT_TRUE(SaveHighScores());
}

namespace {
// The high-score screens through whole front-end ticks: one idle pad, the
// pointer parked away from every button, and a glyph picture of their own
// so that text can be told from the stars and explosions. Each test runs in
// a scratch folder, where a confirmed name saves the table and the settings.
struct HighScoreScreenTest : InScratchDir {
  HighScoreScreenTest() : InScratchDir("hs_screens") {}
  TImage glyphs;
  TImage* savedfont = nullptr;
  void SetUp() override {
    InScratchDir::SetUp();
    HeadlessDefaults(1);
    savedfont = fontimg;
    fontimg = &glyphs;
    HeadlessSetMouse(700, 20);
    FillTable();
    highrank = -1;
    lastname.clear();
    menulist.clear();
    attracttimer = attractdelay;
  }
  void TearDown() override {
    fontimg = savedfont;
    HeadlessReleaseAll();
    menulist.clear();
    highrank = -1;
    SetDefaultConfig();
    InScratchDir::TearDown();
  }
  static void Click(int x, int y) {
    HeadlessSetMouse(x, y);
    HeadlessSetMouseButton(MOUSE_LEFT, 1);
    FrontEndTicks();
    HeadlessSetMouseButton(MOUSE_LEFT, 0);
    FrontEndTicks();
  }
  static void Stick(int axis, float value) {
    HeadlessSetJoyAxis(0, axis, value);
    FrontEndTicks();
    HeadlessSetJoyAxis(0, axis, 0);
    FrontEndTicks();
  }
  // The main menu is the screen again.
  static bool AtMainMenu() {
    return menustate == MenuState::Run && menulist.size() == 1 && menulist[0].text[0] == "PLAY" &&
           submenu == 0;
  }
  // The glyphs drawn this tick in a colour, at their text's y.
  std::vector<int> GlyphRowsIn(int r, int g, int b) const {
    std::vector<int> ys;
    for (const tDRAW& d : drawlist)
      if (d.img == &glyphs && d.r == r && d.g == g && d.b == b) ys.push_back((int)d.y - 16);
    return ys;
  }
  // Row 57 of the table was the last game's.
  void OpenEntryForRow57() {
    highrank = 57;
    hsname[56] = " ";
    OpenNameEntry();
    FrontEndTicks();
  }
};
}  // namespace

TEST_F(HighScoreScreenTest, ViewerOpensOnThePageOfTheLastGameWithItsRowHighlighted) {
  highrank = 57;
  menustate = MenuState::HighScores;
  FrontEndTicks(2);
  EXPECT_EQ(menustate, MenuState::HighScoreViewer);
  EXPECT_EQ(hspage, 5);  // rows 51 to 60
  std::vector<int> yellow = GlyphRowsIn(255, 255, 32);
  ASSERT_FALSE(yellow.empty());
  for (int y : yellow) EXPECT_EQ(y, 120 + 6 * 32);  // the seventh row of the page
  EXPECT_FALSE(GlyphRowsIn(32, 255, 32).empty());

  menustate = MenuState::Attract;  // the attract display opens on it too
  menulist.clear();
  hspage = 0;
  OpenAttractTable();
  FrontEndTicks();
  EXPECT_EQ(hspage, 5);
  for (int y : GlyphRowsIn(255, 255, 32)) EXPECT_EQ(y, 144 + 6 * 32);
}

TEST_F(HighScoreScreenTest, ViewerPagesByKeysStickAndMouseAndStopsAtTheFirstAndLastPage) {
  joyaxis[JOY_MOVE_X] = JOYAXIS_Z;  // paging reads the pad's own X axis, not this
  menustate = MenuState::HighScores;
  FrontEndTicks(2);
  ASSERT_EQ(hspage, 0);
  TapKey(VK_LEFT);
  Stick(JOYAXIS_X, -1);
  Click(300, 470);
  EXPECT_EQ(hspage, 0);
  HeadlessSetKey(VK_RIGHT, 1);
  FrontEndTicks(5);  // held: one page
  HeadlessSetKey(VK_RIGHT, 0);
  FrontEndTicks();
  EXPECT_EQ(hspage, 1);
  TapKey(keyright);
  Stick(JOYAXIS_X, 1);
  Click(470, 470);
  EXPECT_EQ(hspage, 4);
  for (int i = 0; i < 8; i++) TapKey(VK_RIGHT);
  EXPECT_EQ(hspage, 9);
  Click(470, 470);
  Stick(JOYAXIS_X, 1);
  EXPECT_EQ(hspage, 9);
  TapKey(keyleft);
  Stick(JOYAXIS_X, -1);
  Click(300, 470);
  EXPECT_EQ(hspage, 6);
  Click(600, 470);  // beside the buttons: nothing
  EXPECT_EQ(hspage, 6);
  EXPECT_EQ(menustate, MenuState::HighScoreViewer);
}

TEST_F(HighScoreScreenTest, ViewerBackReturnsToTheMainMenuByKeyOrClickWithTheSelectBeep) {
  HeadlessSetKey(VK_RETURN, 1);  // held from choosing HIGHSCORES: ignored
  menustate = MenuState::HighScores;
  FrontEndTicks(3);
  EXPECT_EQ(menustate, MenuState::HighScoreViewer);
  HeadlessSetKey(VK_RETURN, 0);
  FrontEndTicks();
  HeadlessSetKey(VK_ESCAPE, 1);
  FrontEndTicks();
  EXPECT_TRUE(AtMainMenu());
  EXPECT_EQ(fxplayed[Sfx::MenuSelect], 1);
  HeadlessSetKey(VK_ESCAPE, 0);

  menustate = MenuState::HighScores;
  FrontEndTicks(2);
  HeadlessSetMouse(400, 476);
  HeadlessSetMouseButton(MOUSE_LEFT, 1);
  FrontEndTicks();
  EXPECT_TRUE(AtMainMenu());
  EXPECT_EQ(fxplayed[Sfx::MenuSelect], 1);
}

TEST_F(HighScoreScreenTest, NameEntryTypesOneCharacterPerPressThroughTheKeyTable) {
  OpenEntryForRow57();
  HeadlessSetKey('A', 1);
  FrontEndTicks(6);  // held: one "a"
  HeadlessSetKey('A', 0);
  FrontEndTicks();
  HeadlessSetKey(VK_LSHIFT, 1);
  TapKey('2');          // "@"
  TapKey('B');          // "B"
  TapKey(VK_NUMPAD5);   // "5"
  TapKey(VK_OEM_1);     // nothing with shift
  HeadlessSetKey(VK_LSHIFT, 0);
  TapKey(VK_NUMPAD5);   // nothing without shift
  TapKey(VK_OEM_1);     // ";"
  TapKey(VK_OEM_7);     // "+"
  TapKey(VK_SPACE);
  TapKey(VK_DIVIDE);
  TapKey(VK_F1);        // no character
  EXPECT_EQ(entryname, "a@B5;+ /");
  TapKey(VK_BACK);
  EXPECT_EQ(entryname, "a@B5;+ ");
  EXPECT_EQ(cursorx, 120 + FontTextWidth("a@B5;+ "));
  EXPECT_EQ(cursory, 120 + 6 * 32);
  EXPECT_EQ(NameKeyChar('0', true), 0);
  EXPECT_EQ(NameKeyChar('9', true), '(');
  EXPECT_EQ(NameKeyChar(VK_OEM_3, false), '?');
}

// A slow pass (software drawing, a loaded machine) runs many ticks at once,
// and everything typed during it comes with its time, as a window system
// reports it. Every key still types once, in the order it went down: taps
// far apart or all in one millisecond, keys rolled over (the next down
// before the last is up), a letter typed twice in a row, a shift held for
// one letter, a backspace among them.
namespace {
struct Stroke {
  int key, down, at;  // at: ms into the pass
};
// Taps of the keys, one every "every" ms, each held "hold" ms; the strokes
// in the order of their times.
std::vector<Stroke> Taps(const std::vector<int>& keys, int every, int hold) {
  std::vector<Stroke> s;
  for (size_t i = 0; i < keys.size(); i++) {
    int at = 5 + every * (int)i;
    s.push_back({keys[i], 1, at});
    s.push_back({keys[i], 0, at + hold});
  }
  std::stable_sort(s.begin(), s.end(), [](const Stroke& a, const Stroke& b) { return a.at < b.at; });
  return s;
}
std::vector<int> Letters(const std::string& text) {
  std::vector<int> keys;
  for (char c : text) keys.push_back(c - 'a' + VK_A);
  return keys;
}
const std::string kAlphabet = "abcdefghijklmnopqrstuvwxyz";
// "abcd" with a shift held over the "c" alone.
std::vector<Stroke> ShiftedC() {
  std::vector<Stroke> s = Taps(Letters("abcd"), 20, 8);
  s.push_back({VK_RSHIFT, 1, 40});
  s.push_back({VK_RSHIFT, 0, 60});
  std::stable_sort(s.begin(), s.end(), [](const Stroke& a, const Stroke& b) { return a.at < b.at; });
  return s;
}

struct TypingCase {
  const char* what;
  std::vector<Stroke> strokes;
  std::string name;
};
void PrintTo(const TypingCase& c, std::ostream* os) { *os << c.what; }
struct TypingInOnePass : HighScoreScreenTest, ::testing::WithParamInterface<TypingCase> {};
}  // namespace

TEST_P(TypingInOnePass, NameEntryKeepsEveryKeyInTheOrderItWentDown) {
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  gamestate = GameState::FrontEnd;
  OpenEntryForRow57();
  ASSERT_EQ(entryname, "");
  const uint32_t start = 200000;
  HeadlessSetClock(start);
  lasttime = (int)start;
  for (const Stroke& s : GetParam().strokes) HeadlessQueueKey(s.key, s.down, start + (uint32_t)s.at);
  HeadlessSetClock(start + 600);  // one pass of 37 ticks
  LoopPass();
  EXPECT_EQ(entryname, GetParam().name);
  EXPECT_EQ(cursorx, 120 + FontTextWidth(GetParam().name));
  EXPECT_EQ(menustate, MenuState::NameEntry);
}

INSTANTIATE_TEST_SUITE_P(
    HighScoreScreenTest, TypingInOnePass,
    ::testing::Values(TypingCase{"a..z 20 ms apart", Taps(Letters(kAlphabet), 20, 8), kAlphabet},
                      TypingCase{"a..z in one ms", Taps(Letters(kAlphabet), 0, 0), kAlphabet},
                      TypingCase{"a..z rolled over", Taps(Letters(kAlphabet), 20, 30), kAlphabet},
                      TypingCase{"aa", Taps(Letters("aa"), 20, 8), "aa"},
                      TypingCase{"aa in one ms", Taps(Letters("aa"), 0, 0), "aa"},
                      TypingCase{"shift over c", ShiftedC(), "abCd"},
                      TypingCase{"ab backspace c in one ms", Taps({'A', 'B', VK_BACK, 'C'}, 0, 0), "ac"}));

// Enter ends the entry on the tick it goes down: a letter typed before it in
// the same pass is the name's, one typed after it is not.
TEST_F(HighScoreScreenTest, NameEntryEndsAtEnterTypedInTheSamePassAsTheLetters) {
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  gamestate = GameState::FrontEnd;
  OpenEntryForRow57();
  FrontEndTicks();  // nothing held: Enter may end the entry
  const uint32_t start = 200000;
  HeadlessSetClock(start);
  lasttime = (int)start;
  for (const Stroke& s : Taps({'X', VK_RETURN, 'Y'}, 0, 0))
    HeadlessQueueKey(s.key, s.down, start + (uint32_t)s.at);
  HeadlessSetClock(start + 600);
  LoopPass();
  EXPECT_TRUE(AtMainMenu());
  EXPECT_EQ(hsname[56], "x");
}

// The name entry asks for the name and gives the rank reached, on a line of
// its own between the title and the table's panel; the viewer has no such line.
TEST_F(HighScoreScreenTest, NameEntryHeadingAsksForTheNameWithTheRankReached) {
  for (int rank : {1, 57, 100}) {
    SCOPED_TRACE(rank);
    highrank = rank;
    hsname[rank - 1] = " ";
    OpenNameEntry();
    FrontEndTicks();
    std::string heading;
    for (const tDRAW& d : drawlist)
      if (d.img == &glyphs && d.y == 62 + 16) {
        heading += (char)(d.frame + 32);
        EXPECT_EQ(d.xscale, 0.625f);
        EXPECT_LT(std::fabs(d.x - 400), FontTextWidth(NameEntryHeading(rank)) * 0.625f / 2 + 16);
      }
    std::string want = "ENTERYOURNAME-RANK" + std::to_string(rank);
    EXPECT_EQ(heading, want);
  }
  menulist.clear();
  menustate = MenuState::HighScores;
  FrontEndTicks(2);
  for (const tDRAW& d : drawlist) EXPECT_NE(d.y, 60 + 16) << "the viewer draws no heading";
}

TEST_F(HighScoreScreenTest, NameEntryCursorBlinksAtTheEndOfTheNameSixteenTicksOnSixteenOff) {
  lastname = "Max";
  OpenEntryForRow57();
  int shown = 0;
  for (int t = 0; t < 64; t++) {
    FrontEndTicks();
    for (const tDRAW& d : drawlist)
      if (d.img == &glyphs && d.frame == 128 - 32) {
        shown++;
        EXPECT_EQ(d.x, 120 + FontTextWidth("Max"));
        EXPECT_EQ(d.y - 16, 120 + 6 * 32);
      }
  }
  EXPECT_EQ(shown, 32);
}

TEST_F(HighScoreScreenTest, NameEntryStopsTypingAt496PixelsAndBackspaceStillWorks) {
  OpenEntryForRow57();
  HeadlessSetKey(VK_RSHIFT, 1);
  for (int i = 0; i < 25; i++) TapKey('W');
  EXPECT_EQ(entryname, std::string(19, 'W'));  // a 20th would be 520 pixels
  HeadlessSetKey(VK_RSHIFT, 0);
  TapKey(VK_BACK);
  TapKey(VK_BACK);
  EXPECT_EQ(entryname, std::string(17, 'W'));
  // The stick's repeat stops at the width too.
  for (int i = 0; i < 4; i++) Stick(JOYAXIS_X, 1);
  EXPECT_EQ(entryname, std::string(19, 'W'));
}

TEST_F(HighScoreScreenTest, NameEntryStickCyclesCharactersOncePerPush) {
  OpenEntryForRow57();
  Stick(JOYAXIS_Y, -1);  // up on an empty name: "a"
  EXPECT_EQ(entryname, "a");
  HeadlessSetJoyAxis(0, JOYAXIS_Y, -1);
  FrontEndTicks(5);  // held: one step
  HeadlessSetJoyAxis(0, JOYAXIS_Y, 0);
  FrontEndTicks();
  EXPECT_EQ(entryname, "b");
  Stick(JOYAXIS_Y, 1);
  Stick(JOYAXIS_Y, 1);
  EXPECT_EQ(entryname, " ");
  Stick(JOYAXIS_Y, 1);  // before the first: the last
  EXPECT_EQ(entryname, "Z");
  Stick(JOYAXIS_Y, -1);  // after the last: the first
  EXPECT_EQ(entryname, " ");
  Stick(JOYAXIS_X, 1);
  EXPECT_EQ(entryname, "  ");
  Stick(JOYAXIS_X, -1);
  Stick(JOYAXIS_X, -1);
  Stick(JOYAXIS_X, -1);
  EXPECT_EQ(entryname, "");
  Stick(JOYAXIS_Y, 1);  // down on an empty name: the last of the set
  EXPECT_EQ(entryname, "Z");
  Stick(JOYAXIS_X, 1);
  EXPECT_EQ(entryname, "ZZ");
  EXPECT_EQ(cursorx, 120 + FontTextWidth("ZZ"));

  // A last character outside the set: down removes it, up makes it a space.
  entryname = "ab^";
  Stick(JOYAXIS_Y, 1);
  EXPECT_EQ(entryname, "ab");
  entryname = "ab=";
  Stick(JOYAXIS_Y, -1);
  EXPECT_EQ(entryname, "ab ");
  EXPECT_EQ(std::string_view(kNameCycle).size(), 82u);
}

TEST_F(HighScoreScreenTest, ConfirmingStoresTheNameOrAnonymousAndRemembersItForNextTime) {
  lastname = std::string("Ma\x01x", 4);  // set in memory, not only from a file
  HeadlessSetKey(VK_RETURN, 1);          // held from the game-over screen: ignored
  OpenEntryForRow57();
  FrontEndTicks(3);
  EXPECT_EQ(menustate, MenuState::NameEntry);
  EXPECT_EQ(entryname, "Max");
  HeadlessSetKey(VK_RETURN, 0);
  FrontEndTicks();
  TapKey('Y');
  TapKey(VK_ESCAPE);  // Escape keeps the name: there is no cancel
  EXPECT_TRUE(AtMainMenu());
  EXPECT_EQ(hsname[56], "Maxy");
  EXPECT_EQ(lastname, "Maxy");

  OpenEntryForRow57();
  for (int i = 0; i < 4; i++) TapKey(VK_BACK);
  Click(400, 476);  // "done"
  EXPECT_TRUE(AtMainMenu());
  EXPECT_EQ(hsname[56], "Anonymous");
  EXPECT_EQ(lastname, "");
  OpenEntryForRow57();
  EXPECT_EQ(entryname, "");  // the next entry starts blank
  HeadlessSetJoyButton(0, 0, 1);
  FrontEndTicks();
  EXPECT_TRUE(AtMainMenu());
}

TEST_F(HighScoreScreenTest, AnyInputLeavesTheAttractDisplayForTheMainMenuWithoutABeep) {
  auto inputs = {+[](int d) { HeadlessSetKey('Q', d); }, +[](int d) { HeadlessSetJoyButton(0, 5, d); },
                 +[](int d) { HeadlessSetMouseButton(MOUSE_RIGHT, d); },
                 +[](int d) { HeadlessSetMouseButton(MOUSE_LEFT, d); }};
  for (auto input : inputs) {
    menulist.clear();
    OpenAttractTable();
    menustate = MenuState::Attract;
    FrontEndTicks(3);
    EXPECT_EQ(menustate, MenuState::Attract);
    input(1);
    FrontEndTicks();
    EXPECT_TRUE(AtMainMenu());
    EXPECT_EQ(fxplayed[Sfx::MenuSelect] + fxplayed[Sfx::MenuMove], 0);
    EXPECT_EQ(attracttimer, attractdelay - 1);
    input(0);
  }
}

TEST_F(HighScoreScreenTest, TheIdleMainMenuShowsTheTableFor1201TicksThenTheFrontEndStartsAfresh) {
  menustate = MenuState::Enter;
  int ticks = 0;
  while (menustate != MenuState::Attract && ticks < 2000) FrontEndTicks(), ticks++;
  ASSERT_EQ(menustate, MenuState::Attract);
  EXPECT_GE(ticks, 1201);
  EXPECT_EQ(menulist.size(), 1u);  // the table's panel only
  int shown = 0;
  while (menustate == MenuState::Attract && shown < 2000) FrontEndTicks(), shown++;
  EXPECT_EQ(shown, 1201);
  EXPECT_TRUE(AtMainMenu());
  EXPECT_EQ(attracttimer, attractdelay);
}
