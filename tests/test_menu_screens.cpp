// The menu screens: each settings menu opening on its value's line, the
// volume screens, the reset confirmations, the stars, the screen switch,
// the awards (earned ones with their names, hints for the rest) and game-over layouts
// and what CONTINUE does afterwards.
#include <cmath>
#include <filesystem>
#include <map>

#include "frontend/wizards.h"
#include "services/draw.h"
#include "services/key_names.h"
#include "services/sfx.h"
#include "tests/front_end_fixture.h"
#include "tests/run_helpers.h"

namespace {
using MenuScreens = FrontEndTest;

// The cell a glyph or a picture takes on screen: a glyph its advance wide
// from 16 scaled pixels left of its centre and 32 scaled pixels high, a
// picture its own size about its centre.
struct Cell {
  float l, t, r, b;
};
static Cell CellOf(const tDRAW& d) {
  if (d.img == fontimg) {
    float l = d.x - 16 * d.xscale;
    float adv = (float)FontTextWidth(std::string(1, (char)(d.frame + 32)));
    return {l, d.y - 16 * d.yscale, l + adv * d.xscale, d.y + 16 * d.yscale};
  }
  float hw = (float)d.img->width * d.xscale / 2, hh = (float)d.img->height * d.yscale / 2;
  return {d.x - hw, d.y - hh, d.x + hw, d.y + hh};
}

// Glyphs of the lines whose tops are given that run into something: another
// glyph or an award picture whose cell shares more than a pixel each way
// with theirs (the glyphs of one line only touch), or the screen's edge.
static int CollisionsOfLines(const std::vector<int>& tops, const std::vector<TImage*>& pictures) {
  std::vector<Cell> cells;
  std::vector<bool> ours;
  for (const tDRAW& d : drawlist) {
    bool listed = std::find(pictures.begin(), pictures.end(), d.img) != pictures.end();
    if (d.img != fontimg && !listed) continue;
    cells.push_back(CellOf(d));
    ours.push_back(d.img == fontimg && std::find(tops.begin(), tops.end(), (int)d.y - 16) != tops.end());
  }
  auto meet = [](const Cell& a, const Cell& b) {
    return a.l < b.r - 1 && b.l < a.r - 1 && a.t < b.b - 1 && b.t < a.b - 1;
  };
  int n = 0;
  for (size_t i = 0; i < cells.size(); i++) {
    if (!ours[i]) continue;
    const Cell& a = cells[i];
    if (a.l < 0 || a.r > 800 || a.t < 0 || a.b > 600) n++;
    for (size_t j = 0; j < cells.size(); j++)
      if (j != i && (j > i || !ours[j]) && meet(a, cells[j])) n++;
  }
  return n;
}

// The award pictures of the fixture, 64 pixels square as the game's own.
static std::vector<TImage*> AwardPictures(TImage* award) {
  std::vector<TImage*> out;
  for (int i = 0; i < AWARD_COUNT; i++) {
    award[i].width = award[i].height = 64;
    out.push_back(&award[i]);
  }
  return out;
}

// A settings menu opened with the setting at a value, and the line it must
// open on.
struct Opening {
  MenuState open;
  int* setting;
  int value;
  int line;
};

TEST_F(MenuScreens, EachSettingsMenuOpensOnItsValueAndAnOutOfRangeValueOnFirstOrBack) {
  const Opening cases[] = {
      {MenuState::ControlType, &controltype, 0, 0},
      {MenuState::ControlType, &controltype, 3, 3},
      {MenuState::ControlType, &controltype, 4, 4},  // "back"
      {MenuState::ControlType, &controltype, 200, 4},
      {MenuState::ScreenMode, &screenmode, 16, 0},
      {MenuState::ScreenMode, &screenmode, 24, 1},
      {MenuState::ScreenMode, &screenmode, 32, 2},
      {MenuState::ScreenMode, &screenmode, 0, 3},
      {MenuState::ScreenMode, &screenmode, 8, 4},
      {MenuState::Stars, &starsetting, 1, 1},
      {MenuState::Stars, &starsetting, 3, 0},
      {MenuState::HitScore, &hitscoresetting, 1, 1},
      {MenuState::HitScore, &hitscoresetting, 2, 0},
      {MenuState::Explosions, &explosionsetting, 2, 2},
      {MenuState::Explosions, &explosionsetting, 255, 0},
      {MenuState::Grid, &gridsetting, 0, 0},
      {MenuState::Grid, &gridsetting, 7, 0},
      {MenuState::GraphicsDriver, &graphicsdriver, 0, 0},
      {MenuState::GraphicsDriver, &graphicsdriver, 1, 1},
      {MenuState::GraphicsDriver, &graphicsdriver, 2, 2},  // "back"
  };
  for (const Opening& c : cases) {
    SCOPED_TRACE(testing::Message() << "state " << (int)c.open << " value " << c.value);
    menulist.clear();
    *c.setting = c.value;
    RunState(c.open);
    ASSERT_NE(ActiveMenu(), nullptr);
    EXPECT_EQ(ActiveMenu()->selected, c.line);
    EXPECT_EQ(*c.setting, c.value);  // only choosing a line changes it
    EXPECT_EQ(menustate, MenuState::Run);
  }
  // The menus without a setting open on "back".
  for (MenuState open : {MenuState::Options, MenuState::Controls, MenuState::GameSettings, MenuState::Audio}) {
    menulist.clear();
    RunState(open);
    EXPECT_EQ(SelectedText(), "back") << (int)open;
  }
}

// The select beeps over some ticks, counted afresh each tick.
static int SelectBeepsOver(int ticks) {
  int beeps = 0;
  for (int i = 0; i < ticks; i++) {
    ClearFX();
    FrontEndTicks();
    beeps += fxplayed[Sfx::MenuSelect];
  }
  return beeps;
}

// Where the front end rests a few ticks after leaving a screen: its state,
// the first line of the menu up and how many panels are up.
struct Landing {
  MenuState state;
  std::string first;
  size_t panels;
  bool operator==(const Landing&) const = default;
};
static Landing LandedAt() {
  FrontEndTicks(3);
  tMENU* m = FrontEndTest::ActiveMenu();
  return {menustate, m ? m->text[0] : "", menulist.size()};
}

// The screen opened and settled, nothing held.
static void OpenSettled(MenuState open) {
  menulist.clear();
  FrontEndTest::RunState(open);
  FrontEndTicks();
}

TEST_F(MenuScreens, EscapeDoesWhatTheBackLineDoesWithOneBeepAndAHeldEscapeGoesBackOnce) {
  // Each screen and the line that is its way back.
  const std::pair<MenuState, const char*> screens[] = {
      {MenuState::Options, "back"},        {MenuState::Controls, "back"},
      {MenuState::ControlType, "back"},    {MenuState::ScreenMode, "back"},
      {MenuState::GameSettings, "back"},   {MenuState::Stars, "back"},
      {MenuState::HitScore, "back"},       {MenuState::Explosions, "back"},
      {MenuState::Grid, "back"},           {MenuState::Audio, "back"},
      {MenuState::GraphicsDriver, "back"}, {MenuState::RedefineKeys, "back"},
      {MenuState::Joystick, "back"},       {MenuState::ResetHighScores, "NO"},
      {MenuState::ResetAwards, "NO"},
  };
  awards[5] = 1;
  for (auto [open, back] : screens) {
    SCOPED_TRACE(testing::Message() << "state " << (int)open);
    OpenSettled(open);
    tMENU* m = ActiveMenu();
    ASSERT_NE(m, nullptr);
    std::string screen = m->text[0];
    while (SelectedText() != back) TapKey(VK_DOWN);
    HeadlessSetKey(VK_RETURN, 1);
    int chosenbeeps = SelectBeepsOver(1);
    HeadlessSetKey(VK_RETURN, 0);
    Landing chosen = LandedAt();

    OpenSettled(open);
    HeadlessSetKey(VK_ESCAPE, 1);
    EXPECT_EQ(SelectBeepsOver(1), chosenbeeps);
    EXPECT_EQ(SelectBeepsOver(20), 0);  // held on: the next screen waits for a release
    HeadlessSetKey(VK_ESCAPE, 0);
    Landing escaped = LandedAt();
    EXPECT_EQ(escaped, chosen);
    EXPECT_NE(escaped.first, screen);
  }
  EXPECT_EQ(awards[5], 1);  // Escape on a question answers NO
}

TEST_F(MenuScreens, EscapeOnTheMainMenuDoesNothing) {
  ReturnToFrontEnd(MenuState::Enter);
  FrontEndTicks(2);
  HeadlessSetKey(VK_ESCAPE, 1);
  EXPECT_EQ(SelectBeepsOver(5), 0);
  HeadlessSetKey(VK_ESCAPE, 0);
  FrontEndTicks();
  EXPECT_EQ(SelectedText(), "PLAY");
  EXPECT_EQ(menustate, MenuState::Run);
  EXPECT_EQ(menulist.size(), 1u);
  EXPECT_EQ(quitflag, 0);
}

// The marker square's line on the menu up, or -1 when none is drawn.
static int MarkedLine() {
  tMENU* m = FrontEndTest::ActiveMenu();
  int marked = -1;
  for (const tDRAW* d : FrontEndTest::DrawsOf(whiteimg))
    for (int i = 0; m && i < m->entries; i++)
      if (d->y == m->y - m->entries * 16 + 4 + 32 * i + 16) marked = i;
  return marked;
}

// A settings menu, its heading, and a line to choose other than the one in force.
struct Marked {
  MenuState open;
  const char* heading;
  int* setting;
  int value;
  int line;   // the value's line, marked
  int other;  // a line chosen with the cursor keys, marked on reopening
};

TEST_F(MenuScreens, EachSettingsMenuNamesItsSettingAndMarksTheValueInForceNotTheHighlight) {
  const Marked cases[] = {
      {MenuState::ControlType, "CONTROL TYPE", &controltype, 2, 2, 0},
      {MenuState::ScreenMode, "SCREEN MODE", &screenmode, 0, 3, 3},
      {MenuState::Stars, "STARS", &starsetting, 1, 1, 2},
      {MenuState::HitScore, "HIT SCORE", &hitscoresetting, 0, 0, 1},
      {MenuState::Explosions, "EXPLOSIONS", &explosionsetting, 2, 2, 0},
      {MenuState::Grid, "GRID", &gridsetting, 1, 1, 2},
      {MenuState::GraphicsDriver, "GRAPHICS DRIVER", &graphicsdriver, 0, 0, 1},
  };
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  for (const Marked& c : cases) {
    SCOPED_TRACE(c.heading);
    *c.setting = c.value;
    OpenSettled(c.open);
    tMENU* m = ActiveMenu();
    ASSERT_NE(m, nullptr);
    int top = (int)(m->y - (m->entries + 1) * 16);
    bool headed = false;
    for (int y = top - 64; y < top; y++) headed = headed || GlyphsAt(y) == Glyphs(c.heading);
    EXPECT_TRUE(headed);
    EXPECT_EQ(MarkedLine(), c.line);
    TapKey(VK_UP);  // the highlight moves, the marker stays
    EXPECT_NE(ActiveMenu()->selected, c.line);
    EXPECT_EQ(MarkedLine(), c.line);
    while (ActiveMenu()->selected != c.other) TapKey(VK_DOWN);
    TapKey(VK_RETURN);
    OpenSettled(c.open);
    EXPECT_EQ(MarkedLine(), c.other);
    menulist.clear();
  }
  // A value the menu does not offer is marked nowhere.
  starsetting = 7;
  OpenSettled(MenuState::Stars);
  EXPECT_EQ(MarkedLine(), -1);
}

// Without a joystick the two joystick control types say so beside their
// lines, clear of them and of the screen's edge, and can still be chosen;
// with one nothing is added.
TEST_F(MenuScreens, TheJoystickControlTypesSayNoJoystickWasFoundOnlyWhenNoneWas) {
  for (int pads : {0, 1}) {
    SCOPED_TRACE(pads);
    HeadlessSetJoystickCount(pads);
    lastjoyport = JoystickCount() - 1;
    OpenSettled(MenuState::ControlType);
    tMENU* m = ActiveMenu();
    ASSERT_NE(m, nullptr);
    std::vector<int> tops;
    for (int line = 0; line < m->entries; line++) {
      int y = (int)(m->y - m->entries * 16 + 4 + 32 * line);
      bool joystick = line == 1 || line == 3;
      std::string note = pads == 0 && joystick ? Glyphs("no joystick found") : "";
      EXPECT_EQ(GlyphsAt(y), Glyphs(m->text[line]) + note) << line;
      tops.push_back(y);
    }
    EXPECT_EQ(CollisionsOfLines(tops, {}), 0);
    TapKey(VK_DOWN);
    TapKey(VK_RETURN);
    EXPECT_EQ(controltype, 1);
    menulist.clear();
    controltype = 0;
  }
}

// The key names sit left of the lines, so each line reads key name, then action.
TEST_F(MenuScreens, RedefineKeysShowsTheKeyBoundToEachActionBesideItsLine) {
  const int keys[KEY_SLOTS] = {VK_LEFT, 'Q', VK_NUMPAD8, VK_LSHIFT, VK_OEM_COMMA, VK_F2, '7', VK_SPACE, VK_RETURN};
  for (int slot = 0; slot < KEY_SLOTS; slot++) KeySetting(slot) = keys[slot];
  OpenSettled(MenuState::RedefineKeys);
  tMENU* m = ActiveMenu();
  ASSERT_NE(m, nullptr);
  for (int slot = 0; slot < KEY_SLOTS; slot++) {
    int y = (int)(m->y - m->entries * 16 + 4 + 32 * slot);
    EXPECT_EQ(GlyphsAt(y), Glyphs(KeyName(keys[slot])) + Glyphs(m->text[slot])) << slot;
  }
  EXPECT_EQ(GlyphsAt((int)(m->y - m->entries * 16 + 4 + 32 * KEY_SLOTS)), "back");
  // A new key shows as soon as the menu is back.
  TapKey(VK_DOWN);
  TapKey(VK_RETURN);
  FrontEndTicks();
  TapKey('Z');
  FrontEndTicks();
  EXPECT_EQ(GlyphsAt((int)(ActiveMenu()->y - ActiveMenu()->entries * 16 + 4)), "ZMOVELEFT");
}

// The music screen opened by a held Enter, the key then let go.
static void OpenMusicScreen() {
  HeadlessSetKey(VK_RETURN, 1);
  FrontEndTest::RunState(MenuState::MusicVolume);
  HeadlessSetKey(VK_RETURN, 0);
}

TEST_F(MenuScreens, VolumeStepsAHundredthEveryTickHeldAndStaysWithinZeroAndOne) {
  musicvolume = 0.5f;
  OpenMusicScreen();
  EXPECT_EQ(menustate, MenuState::MusicVolumeAdjust);
  Hold(VK_UP, 10);
  EXPECT_NEAR(musicvolume, 0.6f, 1e-4f);
  Hold(keyup, 60);
  EXPECT_EQ(musicvolume, 1.0f);  // never the 1.00999 a last step would leave
  Hold(VK_DOWN, 150);
  EXPECT_EQ(musicvolume, 0.0f);  // never the -0.0099998 of float stepping
  EXPECT_FALSE(std::signbit(musicvolume));
  Hold(keydown, 3);
  EXPECT_EQ(musicvolume, 0.0f);

  fxvolume = 0.995f;
  RunState(MenuState::EffectsVolume);
  Hold(VK_UP, 1);
  EXPECT_EQ(fxvolume, 1.0f);
}

TEST_F(MenuScreens, VolumeShowsTheTruncatedPercentOnItsBarOrMuteWithNoBar) {
  OpenMusicScreen();
  struct Shown {
    float v;
    const char* text;
  };
  for (Shown s : {Shown{0.5f, "50%"}, Shown{0.567f, "56%"}, Shown{0.0111f, "1%"}, Shown{1.0f, "100%"}}) {
    SCOPED_TRACE(s.v);
    musicvolume = s.v;
    FrontEndTicks();
    EXPECT_EQ(GlyphsAt(438).find(s.text) != std::string::npos, true) << GlyphsAt(438);
    const tDRAW* digit = nullptr;
    for (const tDRAW& d : drawlist)
      if (d.img == fontimg && d.y == 438 + 16 && d.x > 300 && d.x < 500) digit = &d;
    ASSERT_NE(digit, nullptr);
    EXPECT_EQ(digit->g, 64);  // dark on the bright bar
    auto bars = DrawsOf(whiteimg);
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_NEAR(bars[0]->xscale * (float)whiteimg->width, s.v * 200, 1e-3f);  // v x 200 pixels
    EXPECT_EQ(bars[0]->y, 450);
    EXPECT_EQ(bars[0]->blend, BLEND_LIGHT);
  }
  for (float v : {0.01f, 0.0f}) {
    musicvolume = v;
    FrontEndTicks();
    EXPECT_EQ(GlyphsAt(438), "<<<<MUTE>>>>");
    EXPECT_TRUE(DrawsOf(whiteimg).empty());
  }
}

// While the effects volume moves, its sample sounds at once and then at most
// once every EFFECTS_PREVIEW_TICKS ticks, at the level just set; the music
// screen plays none, and a held key at the top, moving nothing, is silent.
TEST_F(MenuScreens, TheEffectsScreenPlaysItsSampleAFewTimesASecondWhileTheLevelMoves) {
  struct Run {
    MenuState screen;
    int plays;  // in the first second (62 ticks) of a held up key
  };
  for (Run run : {Run{MenuState::EffectsVolume, 4}, Run{MenuState::MusicVolume, 0}}) {
    SCOPED_TRACE((int)run.screen);
    fxvolume = musicvolume = 0.2f;
    RunState(run.screen);
    HeadlessSetKey(VK_UP, 1);
    std::vector<int> at;
    for (int t = 0; t < 62; t++) {
      FrontEndTicks();
      if (fxplayed[EFFECTS_PREVIEW_SOUND] == 1) at.push_back(t);
    }
    EXPECT_EQ((int)at.size(), run.plays);
    for (size_t i = 0; i < at.size(); i++) EXPECT_EQ(at[i], (int)i * EFFECTS_PREVIEW_TICKS);
    HeadlessSetKey(VK_UP, 0);
  }
  fxvolume = 1.0f;
  RunState(MenuState::EffectsVolume);
  HeadlessSetKey(VK_UP, 1);
  for (int t = 0; t < 40; t++) {
    FrontEndTicks();
    EXPECT_EQ(fxplayed[EFFECTS_PREVIEW_SOUND], 0);
  }
}

TEST_F(MenuScreens, LeavingAVolumeScreenNeedsTheChoosingKeyLetGoFirst) {
  HeadlessSetKey(VK_RETURN, 1);
  RunState(MenuState::EffectsVolume);
  FrontEndTicks(20);  // Enter still held from choosing the entry
  EXPECT_EQ(menustate, MenuState::EffectsVolumeAdjust);
  EXPECT_EQ(menulist.size(), 1u);
  HeadlessSetKey(VK_RETURN, 0);
  FrontEndTicks();
  HeadlessSetKey(VK_ESCAPE, 1);
  FrontEndTicks();
  EXPECT_EQ(menustate, MenuState::Audio);
  EXPECT_TRUE(menulist.empty());
}

TEST_F(MenuScreens, TheArrowsStepUnderAHeldClickAndAClickOnDoneLeaves) {
  OpenMusicScreen();
  FrontEndTicks();
  musicvolume = 0.5f;
  HeadlessSetMouse(640, 450);  // over ">>>>"
  HeadlessSetMouseButton(MOUSE_LEFT, 1);
  FrontEndTicks(5);
  EXPECT_NEAR(musicvolume, 0.55f, 1e-4f);
  EXPECT_EQ(LeftmostGlyphAt(438)->r, 32);  // "<<<<" plain
  HeadlessSetMouse(160, 450);  // over "<<<<"
  FrontEndTicks(10);
  EXPECT_NEAR(musicvolume, 0.45f, 1e-4f);
  EXPECT_EQ(LeftmostGlyphAt(438)->r, 255);  // and lit under the pointer
  HeadlessSetMouseButton(MOUSE_LEFT, 0);
  HeadlessSetMouse(400, 480);  // over "done"
  FrontEndTicks();
  EXPECT_EQ(menustate, MenuState::MusicVolumeAdjust);
  EXPECT_EQ(GlyphsAt(467), "done");
  HeadlessSetMouseButton(MOUSE_LEFT, 1);
  FrontEndTicks();
  EXPECT_EQ(menustate, MenuState::Audio);
}

TEST_F(MenuScreens, VolumesOutsideZeroToOneInTheFileLoadWithinIt) {
  ScratchDir dir("menu_volumes");
  auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  struct Loaded {
    float stored, loaded;
  };
  for (Loaded l : {Loaded{NAN, 0}, Loaded{1e30f, 1}, Loaded{-0.0099998f, 0}, Loaded{-INFINITY, 0},
                   Loaded{0.25f, 0.25f}}) {
    SCOPED_TRACE(l.stored);
    SetDefaultConfig();
    musicvolume = fxvolume = l.stored;
    ASSERT_TRUE(SaveConfig());
    LoadConfig();
    EXPECT_EQ(musicvolume, l.loaded);
    EXPECT_EQ(fxvolume, l.loaded);
  }
  std::filesystem::current_path(old);
}

// Each screen that changes a setting saves "config.dat" as it hands back
// to its menu: nothing waits for the orderly end, which a crash or a closed
// browser tab never reaches.
TEST_F(MenuScreens, EachScreenThatChangesASettingSavesItAsItGoesBack) {
  struct Change {
    const char* what;
    void (*act)();
    int* setting;  // read back from the file (null: musicvolume below 0.5)
    int value;
  };
  const Change changes[] = {
      {"grid off", [] { RunState(MenuState::GridOff); }, &gridsetting, 0},
      {"stars off", [] { RunState(MenuState::StarsOff); }, &starsetting, 0},
      {"hit score off", [] { RunState(MenuState::HitScoreOff); }, &hitscoresetting, 0},
      {"explosions off", [] { RunState(MenuState::ExplosionsOff); }, &explosionsetting, 0},
      {"control type", [] { RunState(MenuState::ControlTwoHanded); }, &controltype, 2},
      {"screen mode", [] { RunState(MenuState::Screen24); }, &screenmode, 24},
      {"graphics driver", [] { RunState(MenuState::DriverDirectX); }, &graphicsdriver, 1},
      {"a key", [] {
         RunState(MenuState::KeyMoveLeft);
         FrontEndTicks();
         TapKey('J');
       }, &keyleft, 'J'},
      {"the joystick's bomb", [] {
         joypickisbutton = 1;
         joypickbutton = 7;
         joypickbuttonport = 0;
         buttonlatch = 0;
         HeadlessSetKey(VK_SPACE, 1);
         RunState(MenuState::JoyBombTrack);
         HeadlessSetKey(VK_SPACE, 0);
       }, &joyaxis[4], 7},
      {"music volume", [] {
         OpenMusicScreen();
         Hold(VK_DOWN, 10);
         Hold(VK_RETURN, 1);
       }, nullptr, 0},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove("config.dat");
    SetDefaultConfig();
    menulist.clear();
    c.act();
    ASSERT_TRUE(std::filesystem::exists("config.dat"));
    SetDefaultConfig();
    LoadConfig();
    if (c.setting)
      EXPECT_EQ(*c.setting, c.value);
    else
      EXPECT_LT(musicvolume, 0.5f);
  }
  // The answer YES to a reset saves the emptied table at once.
  std::filesystem::remove("highscore.dat");
  RunState(MenuState::ResetHighScoresYes);
  EXPECT_TRUE(std::filesystem::exists("highscore.dat"));
}

TEST_F(MenuScreens, ResetsAskWithNoHighlightedAndAHeldEnterWaitsForItsRelease) {
  awards[3] = awards[13] = 1;
  for (MenuState ask : {MenuState::ResetHighScores, MenuState::ResetAwards}) {
    SCOPED_TRACE((int)ask);
    menulist.clear();
    HeadlessSetKey(VK_RETURN, 1);
    RunState(ask);
    ASSERT_EQ(menulist.size(), 2u);
    EXPECT_EQ(menulist[0].t, 1);
    EXPECT_EQ(menulist[0].text[0], "ARE YOU SURE?");
    EXPECT_EQ(SelectedText(), "NO");
    FrontEndTicks(10);
    EXPECT_EQ(menulist.size(), 2u);  // Enter held over does nothing
    HeadlessSetKey(VK_RETURN, 0);
    FrontEndTicks();
    TapKey(VK_RETURN);  // NO: the question goes with the answer
    ASSERT_EQ(menulist.size(), 1u);
    EXPECT_EQ(menulist[0].text[0], "RESET HIGHSCORES");
    EXPECT_EQ(awards[3], 1);
  }
  menulist.clear();
  RunState(MenuState::ResetAwards);
  FrontEndTicks();
  TapKey(VK_UP);
  TapKey(VK_RETURN);  // YES
  ASSERT_EQ(menulist.size(), 1u);
  EXPECT_EQ(menulist[0].text[0], "RESET HIGHSCORES");
  EXPECT_EQ(awards[3], 0);
  EXPECT_EQ(awards[13], 0);
}

TEST_F(MenuScreens, StarsOffEmptiesTheSkyAtOnceAndMediumRebuildsItWith128) {
  starsetting = 2;
  DeriveStarCount();
  starlist.clear();
  CreateStars();
  ASSERT_FALSE(starlist.empty());
  RunState(MenuState::StarsOff);
  EXPECT_EQ(starsetting, 0);
  EXPECT_TRUE(starlist.empty());
  RunState(MenuState::StarsLow);
  EXPECT_EQ(starsetting, 1);
  EXPECT_EQ(starcount, 128);
  EXPECT_EQ(starlist.size(), 128u + 1);  // the star field counts from 0 to starcount
  RunState(MenuState::StarsHigh);
  EXPECT_EQ(starcount, 256);
  EXPECT_EQ(starlist.size(), 256u + 1);
}

TEST_F(MenuScreens, AScreenModeSwitchesTheDisplayAtOnceAndReturnsToOptions) {
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  int before = DisplayGeneration();
  RunState(MenuState::Screen32);
  EXPECT_EQ(screenmode, 32);
  EXPECT_TRUE(GraphicsOpen());
  EXPECT_EQ(DisplayGeneration(), before + 1);
  EXPECT_EQ(ActiveMenu()->text[0], "CONTROLS");
  menulist.clear();
  RunState(MenuState::ScreenMode);
  EXPECT_EQ(SelectedText(), "FULLSCREEN 32bit");
  menulist.clear();
  RunState(MenuState::ScreenWindowed);
  EXPECT_EQ(screenmode, 0);
  EXPECT_EQ(DisplayGeneration(), before + 2);
}

// With none, some and all earned: each earned award bright in its place as
// ever with its name centred under it; each other one faint in the same
// place with its hint centred under it; nothing running into anything.
TEST_F(MenuScreens, TheAwardsScreenShowsEarnedAwardsBrightWithTheirNamesAndTheRestFaintWithAHint) {
  std::vector<TImage*> pictures = AwardPictures(award_);
  RunState(MenuState::Awards);
  EXPECT_EQ(menustate, MenuState::AwardsScreen);
  std::vector<int> none, few = {AWARD_NOSHOOT, AWARD_1000T, AWARD_MULTI}, all;
  for (int i = 0; i < AWARD_COUNT; i++) all.push_back(i);
  for (const std::vector<int>& earned : {none, few, all}) {
    SCOPED_TRACE(earned.size());
    for (int& a : awards) a = 0;
    for (int i : earned) awards[i] = 1;
    FrontEndTicks();
    EXPECT_EQ(GlyphsAt(20), "AWARDS");
    for (int i = 0; i < AWARD_COUNT; i++) {
      SCOPED_TRACE(i);
      auto d = DrawsOf(&award_[i]);
      ASSERT_EQ(d.size(), 1u);
      EXPECT_EQ(d[0]->x, kAwardPlaces[i].x);
      EXPECT_EQ(d[0]->y, kAwardPlaces[i].y);
      EXPECT_EQ(d[0]->xscale, 1);
      EXPECT_EQ(d[0]->g, 255);
      int hinttop = (int)kAwardPlaces[i].y + kHintBelow;
      std::string hint;
      for (const tDRAW& g : drawlist)
        if (g.img == fontimg && g.y == hinttop + 16 && std::fabs(g.x - kAwardPlaces[i].x) < 80)
          hint += (char)(g.frame + 32);
      if (awards[i] != 0) {
        EXPECT_EQ(d[0]->alpha, 1);
        EXPECT_EQ(hint, Glyphs(kAwardNames[i]));
      } else {
        EXPECT_EQ(d[0]->alpha, kUnearnedAlpha);
        EXPECT_EQ(hint, Glyphs(kAwardHints[i]));
      }
    }
    std::vector<int> tops;
    for (const ScreenPoint& at : kAwardPlaces) tops.push_back((int)at.y + kHintBelow);
    EXPECT_EQ(CollisionsOfLines(tops, pictures), 0);
  }
  // Neighbours in a row stand 160 apart at the closest: every hint or name
  // leaves a clear gap of at least 24 pixels to the next, and starts below
  // its picture's foot.
  for (int i = 0; i < AWARD_COUNT; i++) {
    EXPECT_LE(FontTextWidth(kAwardHints[i]) * kHintScale, 136) << i;
    EXPECT_LE(FontTextWidth(kAwardNames[i]) * kHintScale, 136) << i;
  }
  EXPECT_GE(kHintBelow + 16 - 16 * kHintScale, 32);

  HeadlessSetKey(VK_ESCAPE, 1);
  FrontEndTicks();
  EXPECT_EQ(menustate, MenuState::Run);
  ASSERT_EQ(menulist.size(), 1u);
  EXPECT_EQ(menulist[0].text[0], "PLAY");
}

// Game over with this game's awards (by index), one tick of its screen.
static void GameOverWith(std::initializer_list<int> earned) {
  for (int i : earned) gameawards[i] = 1;
  score = 1234567;
  FrontEndTest::RunState(MenuState::GameOver);
  FrontEndTicks();
}

TEST_F(MenuScreens, GameOverWithoutAwardsShowsTheScoreLowerOverAThreeLinePanel) {
  GameOverWith({});
  EXPECT_EQ(menustate, MenuState::GameOverScreen);
  ASSERT_EQ(menulist.size(), 2u);
  EXPECT_EQ(menulist[0].entries, 3);
  EXPECT_EQ(menulist[1].text[0], "CONTINUE");
  EXPECT_EQ(GlyphsAt(225), Glyphs("final score: 1,234,567"));
  EXPECT_EQ(GlyphsAt(180), "");
  for (TImage& a : award_) EXPECT_TRUE(DrawsOf(&a).empty());
  EXPECT_EQ(GlyphsAt(kGameOverNameTop), "");
}

// This game's awards, and the names expected on the first and second row
// under the panel, left to right.
struct NamedRow {
  std::vector<int> earned;
  std::vector<int> first, second;
};

// Names that fit side by side share one row; where neighbours would meet
// (always among fourteen at 56 apart) every other one takes the second row.
// Only earned awards are named, and no name runs into other text, a
// picture or the screen's edge.
TEST_F(MenuScreens, GameOverNamesEachAwardOfTheGameUnderItsPictureClearOfEverythingElse) {
  std::vector<TImage*> pictures = AwardPictures(award_);
  const NamedRow cases[] = {
      {{AWARD_SUCKER, AWARD_SKILL}, {AWARD_SUCKER, AWARD_SKILL}, {}},
      {{AWARD_PANSY}, {AWARD_PANSY}, {}},
      {{AWARD_1000C, AWARD_QUARTER, AWARD_MULTI}, {AWARD_1000C, AWARD_MULTI}, {AWARD_QUARTER}},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, {0, 2, 4, 6, 8, 10, 12}, {1, 3, 5, 7, 9, 11, 13}},
  };
  for (const NamedRow& c : cases) {
    SCOPED_TRACE(c.earned.size());
    menulist.clear();
    for (int& a : gameawards) a = 0;
    for (int i : c.earned) gameawards[i] = 1;
    score = 1234567;
    RunState(MenuState::GameOver);
    FrontEndTicks();
    std::string first, second;
    for (int i : c.first) first += Glyphs(kAwardNames[i]);
    for (int i : c.second) second += Glyphs(kAwardNames[i]);
    EXPECT_EQ(GlyphsAt(kGameOverNameTop), first);
    EXPECT_EQ(GlyphsAt(kGameOverNameTop + kGameOverNameRowStep), second);
    // A lone name sits centred under its picture.
    if (c.earned.size() == 1) {
      const tDRAW* left = LeftmostGlyphAt(kGameOverNameTop);
      ASSERT_NE(left, nullptr);
      float leftedge = left->x - 16 * left->xscale;
      float width = FontTextWidth(kAwardNames[c.earned[0]]) * left->xscale;
      EXPECT_NEAR(leftedge + width / 2, DrawsOf(&award_[c.earned[0]])[0]->x, 1);
    }
    EXPECT_EQ(CollisionsOfLines({kGameOverNameTop, kGameOverNameTop + kGameOverNameRowStep}, pictures), 0);
  }
}

TEST_F(MenuScreens, GameOverWithAwardsRaisesTheScoreAndCentresTheirRow) {
  GameOverWith({AWARD_SUCKER, AWARD_100T, AWARD_MULTI});
  ASSERT_EQ(menulist.size(), 2u);
  EXPECT_EQ(menulist[0].entries, 6);
  EXPECT_EQ(menulist[0].text[3], "awards ");
  EXPECT_EQ(GlyphsAt(180), Glyphs("final score: 1,234,567"));
  float x = (800 - 3 * 80) / 2 + 32;
  for (int i : {AWARD_SUCKER, AWARD_100T, AWARD_MULTI}) {
    auto d = DrawsOf(&award_[i]);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]->x, x);
    EXPECT_EQ(d[0]->y, 270);
    EXPECT_EQ(d[0]->xscale, 1);
    x += 80;
  }
}

TEST_F(MenuScreens, TenOrMoreAwardsInOneGameAreDrawnAtHalfSize56Apart) {
  GameOverWith({0, 1, 2, 3, 4, 5, 6, 7, 8});  // nine still fit at full size
  EXPECT_EQ(DrawsOf(&award_[0])[0]->xscale, 1);
  EXPECT_EQ(DrawsOf(&award_[1])[0]->x - DrawsOf(&award_[0])[0]->x, 80);
  menulist.clear();
  GameOverWith({9});
  float x = (800 - 10 * 56) / 2 + 32;
  for (int i = 0; i < 10; i++) {
    const tDRAW* d = DrawsOf(&award_[i])[0];
    EXPECT_EQ(d->x, x);
    EXPECT_EQ(d->xscale, 0.5f);
    EXPECT_EQ(d->yscale, 0.5f);
    x += 56;
  }
  menulist.clear();
  GameOverWith({10, 11, 12, 13});
  EXPECT_EQ(DrawsOf(&award_[13])[0]->x, (800 - 14 * 56) / 2 + 32 + 13 * 56);
}

TEST_F(MenuScreens, ContinueMergesThisGamesAwardsAndNamesAScoreThatMadeTheTable) {
  awards[AWARD_PANSY] = 1;
  gameawards[15] = 1;  // the spare slots merge the same way
  HeadlessSetKey(VK_RETURN, 1);  // held over from the game: ignored
  GameOverWith({AWARD_500C, AWARD_QUARTER});
  FrontEndTicks(5);
  EXPECT_EQ(menustate, MenuState::GameOverScreen);
  HeadlessSetKey(VK_RETURN, 0);
  FrontEndTicks();
  TapKey(VK_RETURN);
  EXPECT_EQ(menustate, MenuState::Run);
  ASSERT_EQ(menulist.size(), 1u);
  EXPECT_EQ(menulist[0].text[0], "PLAY");
  EXPECT_EQ(submenu, 0);
  for (int i = 0; i < 16; i++)
    EXPECT_EQ(awards[i], i == AWARD_PANSY || i == AWARD_500C || i == AWARD_QUARTER || i == 15) << i;

  menulist.clear();
  for (int& a : awards) a = 0;
  highrank = 7;
  RunState(MenuState::AfterGameOver);
  EXPECT_EQ(menustate, MenuState::NameEntry);
  for (const tMENU& m : menulist) EXPECT_NE(m.text[0], "PLAY");
  EXPECT_EQ(awards[15], 1);
}
}  // namespace

// The front end runs a state by number from one table gathered from every
// family of screens; a state two families claim would silently run only one
// of the two, so each state belongs to exactly one family, and every state
// number fits the dispatch.
TEST_F(MenuScreens, NoTwoScreenFamiliesClaimTheSameState) {
  std::map<int, int> claims;
  size_t families = 0;
  for (StateFamily family : StateFamilies()) {
    families++;
    for (const StateEntry& e : family()) {
      EXPECT_NE(e.run, nullptr) << (int)e.state;
      EXPECT_GE((int)e.state, 0);
      EXPECT_LT((int)e.state, 256);
      claims[(int)e.state]++;
    }
  }
  EXPECT_EQ(families, 4u);
  for (auto [state, count] : claims) EXPECT_EQ(count, 1) << "state " << state << " claimed more than once";
  EXPECT_GT(claims.size(), 100u);
}
