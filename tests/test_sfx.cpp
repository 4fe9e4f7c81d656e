// Effects and music: one start per effect and tick, panning against the
// ship, the effect table, and the music rules with and without "music.ogg".
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/app.h"
#include "app/play_session.h"
#include "platform/audio.h"
#include "playfield/player.h"
#include "services/config.h"
#include "services/media.h"
#include "services/sfx.h"

namespace {

// The next mixed frame, left and right.
std::pair<int, int> Frame() {
  int16_t out[2];
  MixAudio(out, 1);
  return {out[0], out[1]};
}

// Every effect's global, in the list's order.
#define EFFECT_GLOBAL(name) &name##snd,
TSound** const effectglobals[] = {PULSEFIELD_EFFECT_SOUNDS(EFFECT_GLOBAL)};
#undef EFFECT_GLOBAL

class EffectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HandDown();
    CloseAudio();
    StopAllChannels();
    int level = 100;
    for (TSound** g : effectglobals) {
      *g = Level(level);
      level += 100;
    }
    titlemusicsnd = Level(4000, true);
    ingamemusicsnd = Level(6000, true);
    custommusic = 0;
    custommusicstarted = 0;
    titlemusicplaying = 0;
    musicplaying = 0;
    titlemusicchannel = musicchannel = TChannel{};
    fxvolume = 1;
    musicvolume = 0.5f;
    playerx = 1000;
    ClearFX();
  }
  void TearDown() override {
    StopAllChannels();
    for (TSound** g : effectglobals) *g = nullptr;
    titlemusicsnd = ingamemusicsnd = nullptr;
  }
  // A constant-valued sound owned by the test, so the mixed level tells
  // which sounds play.
  TSound* Level(int value, bool loops = false) {
    TSound* s = owned.emplace_back(std::make_unique<TSound>()).get();
    s->channels = 1;
    s->loops = loops;
    s->samples.assign(44100, (int16_t)value);
    return s;
  }
  std::vector<std::unique_ptr<TSound>> owned;
  // "music.ogg" loaded: one track, no in-game track.
  void UseCustomMusic() {
    custommusic = 1;
    custommusicstarted = 0;
    ingamemusicsnd = nullptr;
  }
};

TEST_F(EffectsTest, AnEffectStartsOncePerTickPannedByTheFirstRequest) {
  PlayFX(Sfx::EnemyExplode, playerx + 512);  // first of twenty explosions: half right
  TChannel first = fxchannel[11];
  for (int i = 0; i < 19; i++) PlayFX(Sfx::EnemyExplode, 600 + i * 50);
  EXPECT_EQ(fxchannel[11].slot, first.slot);
  EXPECT_EQ(fxchannel[11].gen, first.gen);
  int v = nme01expsnd->samples[0];
  EXPECT_EQ(Frame(), std::make_pair(v / 2, v));  // one play, not twenty

  ClearFX();  // the next tick
  PlayFX(Sfx::EnemyExplode, -1);
  EXPECT_NE(fxchannel[11].slot, first.slot);
  EXPECT_EQ(ChannelPlaying(first), 1);  // the earlier play is forgotten, not stopped
  EXPECT_EQ(Frame(), std::make_pair(v / 2 + v, 2 * v));
}

TEST_F(EffectsTest, PanFollowsTheSourceAgainstTheShipAndVolumeAppliesToNewEffects) {
  struct Case {
    float playerx, x;
    double left, right;  // gains
  } cases[] = {{1000, -1, 1, 1},     {1500, -1, 1, 1},        // no place: centred wherever the ship is
               {800, 1312, 0.5, 1},  {1200, 944, 1, 0.75},    // 512 right, 256 left
               {700, 1724, 0, 1},    {1500, 600, 1, 124.0 / 1024}};  // 1024 right, 900 left
  for (const Case& c : cases) {
    StopAllChannels();
    ClearFX();
    playerx = c.playerx;
    PlayFX(Sfx::MenuMove, c.x);
    auto [l, r] = Frame();
    int v = menubeep01snd->samples[0];
    EXPECT_NEAR(l, v * c.left, 0.5) << c.x;
    EXPECT_NEAR(r, v * c.right, 0.5) << c.x;
  }
  // 3000 units to the right of the ship: the nearest end, fully right.
  StopAllChannels();
  ClearFX();
  playerx = 600;
  PlayFX(Sfx::MenuSelect, 3600);
  EXPECT_EQ(Frame(), std::make_pair(0, (int)menubeep02snd->samples[0]));

  // The effects volume scales effects started after the change only.
  StopAllChannels();
  ClearFX();
  PlayFX(Sfx::PlayerRez, -1);
  fxvolume = 0.5f;
  PlayFX(Sfx::Fire1, -1);
  int rez = playerrezsnd->samples[0], fire = playerfire03snd->samples[0];
  EXPECT_EQ(Frame().first, rez + fire / 2);
}

TEST_F(EffectsTest, BuiltInMusicFollowsFrontEndGamePauseAndGameOver) {
  const int title = 2000, game = 3000;  // at music volume 0.5
  StartTitleMusic(true);  // first entry to the front end
  EXPECT_EQ(titlemusicplaying, 1);
  EXPECT_EQ(Frame().first, title);
  StartTitleMusic(true);  // already playing: no second copy
  EXPECT_EQ(Frame().first, title);

  musicvolume = 0.25f;
  ApplyMusicVolume();  // heard at once
  EXPECT_EQ(Frame().first, 1000);
  musicvolume = 0.5f;
  ApplyMusicVolume();

  StopTitleMusic();  // a game starts
  StartGameMusic();
  EXPECT_EQ(titlemusicplaying, 0);
  EXPECT_EQ(musicplaying, 1);
  EXPECT_EQ(Frame().first, game);
  StartGameMusic();
  EXPECT_EQ(Frame().first, game);

  PauseGameMusic();  // the quit prompt
  EXPECT_EQ(Frame().first, 0);
  EXPECT_EQ(ChannelPlaying(musicchannel), 1);
  ResumeGameMusic();
  EXPECT_EQ(Frame().first, game);

  StopGameMusic(false);  // the last life is lost: silence before game over
  EXPECT_EQ(musicplaying, 0);
  EXPECT_EQ(Frame().first, 0);
  StartTitleMusic(false);  // the game-over screen
  EXPECT_EQ(Frame().first, title);
  StartTitleMusic(true);  // back to the menus: left alone
  EXPECT_EQ(Frame().first, title);

  // Quitting from the prompt stops the in-game track; the front end's entry
  // restarts the title track.
  StopTitleMusic();
  StartGameMusic();
  PauseGameMusic();
  StopGameMusic(true);
  EXPECT_EQ(musicplaying, 0);
  EXPECT_EQ(Frame().first, 0);
  StartTitleMusic(true);
  EXPECT_EQ(Frame().first, title);
}

TEST_F(EffectsTest, CustomMusicStartsOnceAndPlaysThroughEverything) {
  UseCustomMusic();
  const int custom = 2000;
  StartTitleMusic(false);  // a game-over screen never starts it
  EXPECT_EQ(Frame().first, 0);
  StartTitleMusic(true);
  EXPECT_EQ(custommusicstarted, 1);
  EXPECT_EQ(titlemusicplaying, 0);
  EXPECT_EQ(Frame().first, custom);
  TChannel ch = titlemusicchannel;

  StartTitleMusic(true);
  StopTitleMusic();  // a game starts: the track plays on
  StartGameMusic();  // and nothing else starts
  EXPECT_EQ(musicplaying, 0);
  PauseGameMusic();  // the quit prompt does not pause it
  EXPECT_EQ(Frame().first, custom);
  ResumeGameMusic();
  StopGameMusic(true);
  StopGameMusic(false);  // nor does losing the last life stop it
  StartTitleMusic(false);
  StartTitleMusic(true);
  EXPECT_EQ(Frame().first, custom);
  EXPECT_EQ(titlemusicchannel.gen, ch.gen);
  EXPECT_EQ(titlemusicchannel.slot, ch.slot);

  musicvolume = 1;
  ApplyMusicVolume();
  EXPECT_EQ(Frame().first, 4000);
}

}  // namespace
