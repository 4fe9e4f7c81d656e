// The settings menus and what each of their entries changes: options,
// controls and control type, screen mode, game settings with the detail
// menus, the graphics driver, the reset confirmations and audio; and the
// table of every state of the menu screens.
#include "frontend/menu_screens.h"

#include <cstdio>
#include <string>

#include "frontend/frontend.h"
#include "frontend/highscores.h"
#include "frontend/menus.h"
#include "platform/render.h"
#include "playfield/player.h"
#include "playfield/stars.h"
#include "services/config.h"
#include "services/controls.h"
#include "services/services.h"

// Screen modes as screenmode keeps them: a window, or full screen at a depth.
constexpr int SCREEN_WINDOWED = 0;
constexpr int SCREEN_DEPTH16 = 16;
constexpr int SCREEN_DEPTH24 = 24;
constexpr int SCREEN_DEPTH32 = 32;

// The setting's own line when it holds one of the menu's count values, else
// the line after them: "back" on the menus that end with it.
static int LineOrBack(int value, int count) { return value >= 0 && value < count ? value : count; }

// The setting's own line when it holds one of the menu's count values, else
// none: a value the menu does not offer gets no marker.
static int LineOrNone(int value, int count) { return value >= 0 && value < count ? value : -1; }

// A settings menu names its setting above its lines, marks the line of the
// value in force whatever is highlighted, and goes back on Escape.
static void SettingsMenu(tMENU& m, const char* heading, int current) {
  m.heading = heading;
  m.current = current;
  BackOnEscape(m);
}

void OpenOptionsMenu() {
  tMENU& m = AddMenu(420,
          {{"CONTROLS", MenuState::Controls},
           {"SCREEN MODE", MenuState::ScreenMode},
           {"GAME SETTINGS", MenuState::GameSettings},
           {"AUDIO", MenuState::Audio},
           {"CREDITS", MenuState::Credits},
           {"back", MenuState::MainMenu}},
          5);
  BackOnEscape(m);
  ShowScreen();
}

void OpenControlsMenu() {
  tMENU& m = AddMenu(432,
          {{"CONTROL TYPE", MenuState::ControlType},
           {"REDEFINE KEYS", MenuState::RedefineKeys},
           {"CONFIGURE JOYSTICK", MenuState::Joystick},
           {"back", MenuState::OptionsBack}},
          3);
  BackOnEscape(m);
  ShowScreen();
}

// Beside the joystick control types when start-up found no joystick: they
// can still be chosen, but the ship would not move.
static const char* const kNoJoystickNote = "no joystick found";

// A control type outside the four opens on "back", as the other settings do.
void OpenControlTypeMenu() {
  tMENU& m = AddMenu(432,
          {{"KEYBOARD & MOUSE", MenuState::ControlMouse},
           {"DUAL-STICK JOYSTICK", MenuState::ControlDualStick},
           {"TWO HANDED KEYBOARD", MenuState::ControlTwoHanded},
           {"JOYSTICK 4 BUTTON FIRE", MenuState::ControlJoyButtons},
           {"back", MenuState::Controls}},
          LineOrBack(controltype, 4));
  SettingsMenu(m, "CONTROL TYPE", LineOrNone(controltype, 4));
  if (lastjoyport < 0)
    for (int line = 0; line < 4; line++)
      if (SteersWithJoystick(line)) m.note[line] = kNoJoystickNote;
  ShowScreen();
}

// The line of the current mode; a depth the menu does not offer opens on "back".
static int ScreenModeLine() {
  switch (screenmode) {
    case SCREEN_DEPTH16: return 0;
    case SCREEN_DEPTH24: return 1;
    case SCREEN_DEPTH32: return 2;
    case SCREEN_WINDOWED: return 3;
    default: return 4;
  }
}

void OpenScreenModeMenu() {
  tMENU& m = AddMenu(432,
          {{"FULLSCREEN 16bit", MenuState::Screen16},
           {"FULLSCREEN 24bit", MenuState::Screen24},
           {"FULLSCREEN 32bit", MenuState::Screen32},
           {"WINDOWED", MenuState::ScreenWindowed},
           {"back", MenuState::Options}},
          ScreenModeLine());
  SettingsMenu(m, "SCREEN MODE", LineOrNone(ScreenModeLine(), 4));
  ShowScreen();
}

// A full-screen depth fills the desktop (the depth itself is only kept for
// the settings file); the pictures rebuild their textures on their next
// draw. A mode the machine refuses falls back to the window, and a window
// that cannot open again ends the run in order, so the settings are saved.
void SwitchScreenMode() {
  std::string why;
  if (OpenGraphics(800, 600, screenmode, 60, 0, &why)) {
    SetMouseVisible(0);
    return;
  }
  std::fprintf(stderr, "pulsefield: warning: cannot switch the display (%s); back to a window\n",
               why.c_str());
  screenmode = SCREEN_WINDOWED;
  if (OpenGraphics(800, 600, SCREEN_WINDOWED, 60, 0, &why)) {
    SetMouseVisible(0);
    return;
  }
  std::fprintf(stderr, "pulsefield: cannot open the window again (%s); quitting\n", why.c_str());
  RequestQuit();
}

// The mode kept is the one the switch ended in (a refused mode falls back to the window).
static void SetScreenMode(int mode) {
  screenmode = mode;
  OpenOptionsMenu();
  SwitchScreenMode();
  KeepSettings();
}

void OpenGameSettingsMenu() {
  tMENU& m = AddMenu(396,
          {{"RESET HIGHSCORES", MenuState::ResetHighScores},
           {"RESET AWARDS", MenuState::ResetAwards},
           {"STARS", MenuState::Stars},
           {"HIT SCORE", MenuState::HitScore},
           {"EXPLOSIONS", MenuState::Explosions},
           {"GRID", MenuState::Grid},
           {"GRAPHICS DRIVER", MenuState::GraphicsDriver},
           {"back", MenuState::OptionsBack}},
          7);
  BackOnEscape(m);
  ShowScreen();
}

// The detail menus open on the setting's line, or on the first line when
// the stored value is outside the menu.
void OpenStarsMenu() {
  tMENU& m = AddMenu(432,
          {{"OFF", MenuState::StarsOff},
           {"MEDIUM", MenuState::StarsLow},
           {"HIGH", MenuState::StarsHigh},
           {"back", MenuState::GameSettings}},
          SafeIndex(starsetting, 3));
  SettingsMenu(m, "STARS", LineOrNone(starsetting, 3));
  ShowScreen();
}

void OpenHitScoreMenu() {
  tMENU& m = AddMenu(432,
          {{"OFF", MenuState::HitScoreOff}, {"ON", MenuState::HitScoreOn}, {"back", MenuState::GameSettings}},
          SafeIndex(hitscoresetting, 2));
  SettingsMenu(m, "HIT SCORE", LineOrNone(hitscoresetting, 2));
  ShowScreen();
}

void OpenExplosionsMenu() {
  tMENU& m = AddMenu(432,
          {{"OFF", MenuState::ExplosionsOff},
           {"MEDIUM", MenuState::ExplosionsLow},
           {"HIGH", MenuState::ExplosionsHigh},
           {"back", MenuState::GameSettings}},
          SafeIndex(explosionsetting, 3));
  SettingsMenu(m, "EXPLOSIONS", LineOrNone(explosionsetting, 3));
  ShowScreen();
}

void OpenGridMenu() {
  tMENU& m = AddMenu(432,
          {{"OFF", MenuState::GridOff},
           {"NORMAL", MenuState::GridLow},
           {"HIGH", MenuState::GridHigh},
           {"back", MenuState::GameSettings}},
          SafeIndex(gridsetting, 3));
  SettingsMenu(m, "GRID", LineOrNone(gridsetting, 3));
  ShowScreen();
}

// The stars behind the menus change at once (MEDIUM counts 128, HIGH 256).
static void SetStars(int setting) {
  starsetting = setting;
  DeriveStarCount();
  RemakeStars();
  OpenGameSettingsMenu();
  KeepSettings();
}

void OpenAudioMenu() {
  tMENU& m = AddMenu(432,
          {{"MUSIC VOLUME", MenuState::MusicVolume},
           {"SOUND FX VOLUME", MenuState::EffectsVolume},
           {"back", MenuState::Options}},
          2);
  BackOnEscape(m);
  ShowScreen();
}

// The choice is only stored: the game always draws with OpenGL, and a
// choice takes effect at the next start in any case, as the note says. A
// stored value outside the two opens on "back".
void OpenGraphicsDriverMenu() {
  tMENU& m = AddMenu(372,
          {{"OpenGL", MenuState::DriverOpenGL},
           {"DirectX", MenuState::DriverDirectX},
           {"back", MenuState::DriverBack}},
          LineOrBack(graphicsdriver, 2));
  SettingsMenu(m, "GRAPHICS DRIVER", LineOrNone(graphicsdriver, 2));
  AddPanel(480, {"you will have to restart the game", "for the settings to take effect"});
  ShowScreen();
}

// The driver note, a question panel and the like go with the menu.
static void BackToGameSettings() {
  menulist.clear();
  OpenGameSettingsMenu();
}

static void SetGraphicsDriver(int driver) {
  graphicsdriver = driver;
  BackToGameSettings();
  KeepSettings();
}

static void SetControlType(int type) {
  controltype = type;
  OpenControlsMenu();
  KeepSettings();
}

// A detail setting (hit score, explosions, grid) is read where it is used.
static void SetDetail(int& setting, int value) {
  setting = value;
  OpenGameSettingsMenu();
  KeepSettings();
}

// A reset asks first, with NO highlighted; Escape answers NO.
static void AskToReset(const char* what, MenuState yes, MenuState no) {
  AddPanel(300, {"ARE YOU SURE?", what});
  BackOnEscape(AddMenu(480, {{"YES", yes}, {"NO", no}}, 1));
  ShowScreen();
}

static constexpr StateEntry kMenuScreenStates[] = {
    {MenuState::Options, OpenOptionsMenu},
    {MenuState::OptionsBack, OpenOptionsMenu},
    {MenuState::CreditsBack, CreditsBack},
    {MenuState::Controls, OpenControlsMenu},
    {MenuState::ControlType, OpenControlTypeMenu},
    {MenuState::ControlMouse, [] { SetControlType(0); }},
    {MenuState::ControlDualStick, [] { SetControlType(1); }},
    {MenuState::ControlTwoHanded, [] { SetControlType(2); }},
    {MenuState::ControlJoyButtons, [] { SetControlType(3); }},
    {MenuState::ScreenMode, OpenScreenModeMenu},
    {MenuState::Screen16, [] { SetScreenMode(SCREEN_DEPTH16); }},
    {MenuState::Screen24, [] { SetScreenMode(SCREEN_DEPTH24); }},
    {MenuState::Screen32, [] { SetScreenMode(SCREEN_DEPTH32); }},
    {MenuState::ScreenWindowed, [] { SetScreenMode(SCREEN_WINDOWED); }},
    {MenuState::GameSettings, OpenGameSettingsMenu},
    {MenuState::Stars, OpenStarsMenu},
    {MenuState::StarsOff, [] { SetStars(0); }},
    {MenuState::StarsLow, [] { SetStars(1); }},
    {MenuState::StarsHigh, [] { SetStars(2); }},
    {MenuState::HitScore, OpenHitScoreMenu},
    {MenuState::HitScoreOff, [] { SetDetail(hitscoresetting, 0); }},
    {MenuState::HitScoreOn, [] { SetDetail(hitscoresetting, 1); }},
    {MenuState::Explosions, OpenExplosionsMenu},
    {MenuState::ExplosionsOff, [] { SetDetail(explosionsetting, 0); }},
    {MenuState::ExplosionsLow, [] { SetDetail(explosionsetting, 1); }},
    {MenuState::ExplosionsHigh, [] { SetDetail(explosionsetting, 2); }},
    {MenuState::Grid, OpenGridMenu},
    {MenuState::GridOff, [] { SetDetail(gridsetting, 0); }},
    {MenuState::GridLow, [] { SetDetail(gridsetting, 1); }},
    {MenuState::GridHigh, [] { SetDetail(gridsetting, 2); }},
    {MenuState::GraphicsDriver, OpenGraphicsDriverMenu},
    {MenuState::DriverOpenGL, [] { SetGraphicsDriver(0); }},
    {MenuState::DriverDirectX, [] { SetGraphicsDriver(1); }},
    {MenuState::DriverBack, BackToGameSettings},
    {MenuState::ResetHighScores,
     [] { AskToReset("this will completely erase all your scores", MenuState::ResetHighScoresYes,
                     MenuState::ResetHighScoresNo); }},
    {MenuState::ResetHighScoresYes, [] {
       ClearHighScoreTable();
       BackToGameSettings();
       KeepTable();
     }},
    {MenuState::ResetHighScoresNo, BackToGameSettings},
    {MenuState::ResetAwards,
     [] { AskToReset("this will completely erase all your awards", MenuState::ResetAwardsYes,
                     MenuState::ResetAwardsNo); }},
    {MenuState::ResetAwardsYes, [] {
       ClearAwards();
       BackToGameSettings();
       KeepTable();
     }},
    {MenuState::ResetAwardsNo, BackToGameSettings},
    {MenuState::Audio, OpenAudioMenu},
    {MenuState::MusicVolume, OpenMusicVolume},
    {MenuState::MusicVolumeAdjust, MusicVolumeScreen},
    {MenuState::EffectsVolume, OpenEffectsVolume},
    {MenuState::EffectsVolumeAdjust, EffectsVolumeScreen},
    {MenuState::Credits, OpenCreditsScreen},
    {MenuState::CreditsScreen, CreditsScreen},
    {MenuState::Awards, OpenAwardsScreen},
    {MenuState::AwardsScreen, AwardsScreen},
    {MenuState::GameOver, OpenGameOverScreen},
    {MenuState::GameOverScreen, GameOverScreen},
    {MenuState::AfterGameOver, AfterGameOver},
};
std::span<const StateEntry> MenuScreenStates() { return kMenuScreenStates; }
