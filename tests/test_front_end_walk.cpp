// A player's walk through the whole front end with the keyboard alone: from
// the title into every submenu and back, each setting changed and seen in
// the settings, a game over continued, and QUIT.
#include "tests/front_end_fixture.h"

namespace {
struct FrontEndWalk : FrontEndTest {
  // Moves the highlight of the menu on screen to the line with this text
  // with cursor down, chooses it with Enter, and lets the next screen settle
  // for a tick with nothing held (its latches start set).
  void Choose(const std::string& text) {
    tMENU* m = ActiveMenu();
    ASSERT_NE(m, nullptr) << "no menu to choose \"" << text << "\" from";
    int line = -1;
    for (int i = 0; i < m->entries; i++)
      if (m->text[i] == text) line = i;
    ASSERT_NE(line, -1) << "\"" << text << "\" is not on the menu of \"" << m->text[0] << "\"";
    int steps = (line - m->selected + m->entries) % m->entries;
    for (int i = 0; i < steps; i++) TapKey(VK_DOWN);
    ASSERT_EQ(SelectedText(), text);
    TapKey(VK_RETURN);
    FrontEndTicks();
  }
  // The first line of the menu on screen, naming the screen.
  static std::string Screen() {
    tMENU* m = ActiveMenu();
    return m ? m->text[0] : "";
  }
  static constexpr const char* kMain = "PLAY";
  static constexpr const char* kOptions = "CONTROLS";
  static constexpr const char* kControls = "CONTROL TYPE";
  static constexpr const char* kGameSettings = "RESET HIGHSCORES";
  static constexpr const char* kAudio = "MUSIC VOLUME";
};

TEST_F(FrontEndWalk, EverySubmenuIsReachedFromTheTitleAndEverySettingChangesByKeysAlone) {
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  ReturnToFrontEnd(MenuState::Enter);
  FrontEndTicks(2);
  EXPECT_EQ(Screen(), kMain);
  EXPECT_EQ(submenu, 0);

  Choose("OPTIONS");
  EXPECT_EQ(Screen(), kOptions);
  EXPECT_EQ(submenu, 1);

  // Controls: every control type, and the wizards' entries where they lead.
  Choose("CONTROLS");
  ASSERT_EQ(Screen(), kControls);
  EXPECT_EQ(ActiveMenu()->text[1], "REDEFINE KEYS");
  EXPECT_EQ(ActiveMenu()->value[1], MenuState::RedefineKeys);
  EXPECT_EQ(ActiveMenu()->value[2], MenuState::Joystick);
  const std::pair<const char*, int> types[] = {{"DUAL-STICK JOYSTICK", 1},
                                               {"JOYSTICK 4 BUTTON FIRE", 3},
                                               {"TWO HANDED KEYBOARD", 2},
                                               {"KEYBOARD & MOUSE", 0}};
  for (auto [text, type] : types) {
    Choose("CONTROL TYPE");
    Choose(text);
    EXPECT_EQ(controltype, type) << text;
    EXPECT_EQ(Screen(), kControls);
  }
  Choose("CONTROL TYPE");
  EXPECT_EQ(SelectedText(), "KEYBOARD & MOUSE");
  Choose("back");
  EXPECT_EQ(Screen(), kControls);
  Choose("back");
  EXPECT_EQ(Screen(), kOptions);

  // Screen mode: full screen and back to the window, each time to OPTIONS.
  Choose("SCREEN MODE");
  EXPECT_EQ(SelectedText(), "WINDOWED");
  Choose("FULLSCREEN 24bit");
  EXPECT_EQ(screenmode, 24);
  EXPECT_EQ(Screen(), kOptions);
  Choose("SCREEN MODE");
  EXPECT_EQ(SelectedText(), "FULLSCREEN 24bit");
  Choose("WINDOWED");
  EXPECT_EQ(screenmode, 0);
  Choose("SCREEN MODE");
  Choose("back");
  EXPECT_EQ(Screen(), kOptions);

  // Game settings: each detail menu, each setting seen changed.
  Choose("GAME SETTINGS");
  ASSERT_EQ(Screen(), kGameSettings);
  int display = DisplayGeneration();
  struct Detail {
    const char* menu;
    const char* line;
    int* setting;
    int value;
  };
  const Detail details[] = {
      {"STARS", "OFF", &starsetting, 0},         {"STARS", "MEDIUM", &starsetting, 1},
      {"HIT SCORE", "OFF", &hitscoresetting, 0}, {"HIT SCORE", "ON", &hitscoresetting, 1},
      {"EXPLOSIONS", "OFF", &explosionsetting, 0}, {"EXPLOSIONS", "MEDIUM", &explosionsetting, 1},
      {"EXPLOSIONS", "HIGH", &explosionsetting, 2}, {"GRID", "HIGH", &gridsetting, 2},
      {"GRID", "OFF", &gridsetting, 0},          {"GRID", "NORMAL", &gridsetting, 1},
      {"STARS", "HIGH", &starsetting, 2},        {"GRAPHICS DRIVER", "OpenGL", &graphicsdriver, 0},
      {"GRAPHICS DRIVER", "DirectX", &graphicsdriver, 1},
  };
  for (const Detail& d : details) {
    SCOPED_TRACE(std::string(d.menu) + " " + d.line);
    Choose(d.menu);
    Choose(d.line);
    EXPECT_EQ(*d.setting, d.value);
    EXPECT_EQ(menulist.size(), 1u);
    EXPECT_EQ(Screen(), kGameSettings);
    if (std::string(d.menu) == "STARS") {
      EXPECT_EQ(starlist.empty(), d.value == 0);
    }
  }
  Choose("STARS");
  EXPECT_EQ(SelectedText(), "HIGH");
  Choose("back");
  Choose("GRAPHICS DRIVER");
  Choose("back");
  EXPECT_EQ(graphicsdriver, 1);
  EXPECT_EQ(DisplayGeneration(), display);  // the driver waits for the next start
  EXPECT_EQ(menulist.size(), 1u);  // its note went with its menu
  awards[AWARD_SKILL] = 1;
  Choose("RESET AWARDS");
  Choose("NO");
  EXPECT_EQ(awards[AWARD_SKILL], 1);
  Choose("RESET AWARDS");
  Choose("YES");
  EXPECT_EQ(awards[AWARD_SKILL], 0);
  Choose("RESET HIGHSCORES");
  Choose("YES");
  EXPECT_EQ(menulist.size(), 1u);
  EXPECT_EQ(Screen(), kGameSettings);
  Choose("back");
  EXPECT_EQ(Screen(), kOptions);

  // Audio: both volumes turned down while cursor down is held.
  Choose("AUDIO");
  ASSERT_EQ(Screen(), kAudio);
  Choose("MUSIC VOLUME");
  EXPECT_EQ(menustate, MenuState::MusicVolumeAdjust);
  Hold(VK_DOWN, 20);
  EXPECT_NEAR(musicvolume, 0.3f, 1e-4f);
  TapKey(VK_RETURN);
  FrontEndTicks();
  EXPECT_EQ(Screen(), kAudio);
  Choose("SOUND FX VOLUME");
  Hold(keydown, 5);
  EXPECT_NEAR(fxvolume, 0.95f, 1e-4f);
  TapKey(VK_ESCAPE);
  FrontEndTicks();
  EXPECT_EQ(Screen(), kAudio);
  Choose("back");
  EXPECT_EQ(Screen(), kOptions);

  // Credits, left by "back" and by Escape.
  Choose("CREDITS");
  EXPECT_EQ(menustate, MenuState::CreditsScreen);
  EXPECT_EQ(menulist[0].text[0], "C R E D I T S");
  Choose("back");
  EXPECT_EQ(Screen(), kOptions);
  Choose("CREDITS");
  TapKey(VK_ESCAPE);
  FrontEndTicks();
  EXPECT_EQ(Screen(), kOptions);
  EXPECT_EQ(menulist.size(), 1u);

  Choose("back");
  EXPECT_EQ(Screen(), kMain);
  EXPECT_EQ(submenu, 0);

  // Awards, left by "back" and by Escape.
  Choose("AWARDS");
  EXPECT_EQ(menustate, MenuState::AwardsScreen);
  Choose("back");
  EXPECT_EQ(Screen(), kMain);
  Choose("AWARDS");
  TapKey(VK_ESCAPE);
  EXPECT_EQ(Screen(), kMain);
  EXPECT_EQ(menulist.size(), 1u);

  EXPECT_EQ(quitflag, 0);
  Choose("QUIT");
  EXPECT_EQ(quitflag, 1);
}

TEST_F(FrontEndWalk, AGameOverContinuesToTheTitleWithItsAwardsCollected) {
  score = 4200;
  gameawards[AWARD_NOSHOOT] = 1;
  ReturnToFrontEnd(MenuState::GameOver);
  FrontEndTicks(2);
  EXPECT_EQ(Screen(), "CONTINUE");
  Choose("CONTINUE");
  EXPECT_EQ(Screen(), kMain);
  EXPECT_EQ(awards[AWARD_NOSHOOT], 1);
  Choose("QUIT");
  EXPECT_EQ(quitflag, 1);
}
}  // namespace
