// Shared set-up for the front-end screen tests: the headless machine with
// one idle pad, the pointer parked away from every menu, whole front-end
// ticks driven by scripted keys, and pictures of their own for the font, the
// bar, the pointer and the awards, so that the draw list can be read back
// as text and pictures. Each test runs in a scratch folder of its own,
// where the screens that change a setting save it.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "frontend/highscores.h"
#include "frontend/menu_screens.h"
#include "platform/keycodes.h"
#include "playfield/stars.h"
#include "tests/playfield_fixture.h"
#include "tests/run_helpers.h"

struct FrontEndTest : ::testing::Test {
  void SetUp() override {
    oldfolder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    HandDown();
    HeadlessDefaults(1);
    emptymap.data.assign(1700, 0);
    SetupGrid(&emptymap);
    HeadlessSetMouse(4, 4);  // above every menu
    menulist.clear();
    ClearDrawList();
    quitflag = 0;
    gamestate = GameState::FrontEnd;
    for (int& a : gameawards) a = 0;
    for (int& a : awards) a = 0;
    highrank = -1;
    score = 0;
    saved_ = {fontimg, whiteimg, playersightimg};
    fontimg = &font_;
    whiteimg = &white_;
    white_.width = white_.height = 16;
    playersightimg = &sight_;
    for (int i = 0; i < AWARD_COUNT; i++) {
      savedawards_[i] = awardimgs[i];
      awardimgs[i] = &award_[i];
    }
  }
  void TearDown() override {
    HeadlessReleaseAll();
    menulist.clear();
    quitflag = 0;
    fontimg = saved_[0];
    whiteimg = saved_[1];
    playersightimg = saved_[2];
    for (int i = 0; i < AWARD_COUNT; i++) awardimgs[i] = savedawards_[i];
    SetDefaultConfig();
    std::filesystem::current_path(oldfolder_);
  }

  // A key held for some ticks, then let go.
  static void Hold(int key, int ticks) {
    HeadlessSetKey(key, 1);
    FrontEndTicks(ticks);
    HeadlessSetKey(key, 0);
  }
  // Runs a state's handler as the front end would on its next tick.
  static void RunState(MenuState state) {
    menustate = state;
    FrontEndTicks();
  }

  // The interactive menu on screen (the last one listed), or null.
  static tMENU* ActiveMenu() {
    for (auto m = menulist.rbegin(); m != menulist.rend(); ++m)
      if (m->t == 0) return &*m;
    return nullptr;
  }
  static std::string SelectedText() {
    tMENU* m = ActiveMenu();
    return m && m->selected >= 0 ? m->text[m->selected] : "";
  }

  // The glyphs this tick's text put on the line whose top is y, left to
  // right (spaces draw nothing, so they are not in it).
  static std::string GlyphsAt(int y) {
    std::vector<const tDRAW*> line;
    for (const tDRAW& d : drawlist)
      if (d.img == fontimg && d.y == (float)(y + 16)) line.push_back(&d);
    std::stable_sort(line.begin(), line.end(), [](const tDRAW* a, const tDRAW* b) { return a->x < b->x; });
    std::string s;
    for (const tDRAW* d : line) s += (char)(d->frame + 32);
    return s;
  }
  // The same text as it would be drawn: without its spaces.
  static std::string Glyphs(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
  }
  // The leftmost glyph drawn on the line whose top is y, or null.
  static const tDRAW* LeftmostGlyphAt(int y) {
    const tDRAW* left = nullptr;
    for (const tDRAW& d : drawlist)
      if (d.img == fontimg && d.y == (float)(y + 16) && (!left || d.x < left->x)) left = &d;
    return left;
  }
  static std::vector<const tDRAW*> DrawsOf(TImage* img) {
    std::vector<const tDRAW*> out;
    for (const tDRAW& d : drawlist)
      if (d.img == img) out.push_back(&d);
    return out;
  }

  TBank emptymap;
  TImage font_, white_, sight_;
  TImage award_[AWARD_COUNT];

 private:
  std::array<TImage*, 3> saved_{};
  TImage* savedawards_[AWARD_COUNT] = {};
  ScratchDir folder_{"front_end"};
  std::filesystem::path oldfolder_;
};
