// The media catalogue on the generated data folder: the loading screen,
// frames and flags of the pictures, the sounds and the music choice, and
// the program stopping with the file's name when a required file is bad.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "services/media.h"
#include "tests/run_helpers.h"

namespace {

namespace fs = std::filesystem;
const int kDefaultFlags = IMG_FILTERED | IMG_MIPMAPPED;  // what the catalogue sets before loading
const std::string bindir = PULSEFIELD_BINARY_DIR;
const std::string datadir = bindir + "/data";

// Runs a program headless for one tick on a data folder, its settings in
// the scratch folder; returns its exit code and stderr.
RunResult RunGame(const std::string& program, const std::string& data, const ScratchDir& scratch) {
  fs::create_directories(scratch / "user");
  return RunProgram(program,
                    {"--headless", "--ticks", "1", "--datadir", data, "--userdir", (scratch / "user").string()},
                    scratch / "stderr.txt");
}

// Whether the media generator has made the data folder; a folder with bad
// contents is for the tests to catch, not to skip.
bool HaveData() { return fs::is_directory(datadir); }

class Media : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveData()) GTEST_SKIP() << "no generated data folder";
    PlatformInit(PlatformKind::Headless);
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    SetCentreHandles(1);
    SetMaskColor(0, 0, 0);
    SetDataDir(datadir);
    SetProgramDir(scratch.string());  // where "music.ogg" would be
  }
  ScratchDir scratch{"media"};
};

TEST_F(Media, CatalogueLoadsWithLoadingScreenFramesFlagsAndBuiltInMusic) {
  Cls();
  int flips = HeadlessFlipCount();
  LoadMedia();

  // The loading screen: only the green-tinted title logo, centred, presented once.
  const auto& draws = HeadlessDraws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].img, titlelogoimg);
  EXPECT_EQ(draws[0].x, 400);
  EXPECT_EQ(draws[0].y, 300);
  EXPECT_EQ(draws[0].r, 0);
  EXPECT_EQ(draws[0].g, 255);
  EXPECT_EQ(draws[0].b, 0);
  EXPECT_EQ(draws[0].blend, BLEND_ALPHA);
  EXPECT_EQ(draws[0].alpha, 1);
  EXPECT_EQ(HeadlessFlipCount(), flips + 1);

  EXPECT_EQ(fontimg->FrameCount(), 100);
  EXPECT_EQ(fontimg->width, 32);
  EXPECT_EQ(scorenumosimg->FrameCount(), 10);
  EXPECT_EQ(multiplierimg->FrameCount(), 9);
  EXPECT_EQ(multiplierimg->width, 152);
  EXPECT_EQ(nme09shieldimg->FrameCount(), 4);
  EXPECT_EQ(fontsmallimg->FrameCount(), 768);
  EXPECT_EQ(fontsmallimg->flags, 1);
  EXPECT_EQ(playerrez05img->flags, 2);
  for (TImage* img : {titlelogoimg, playerrez04img, nme10cimg, kelvtextimg}) EXPECT_EQ(img->flags, 6);
  EXPECT_EQ(playerimg->handle_x, playerimg->width * 0.5f);
  EXPECT_NE(border07img->path.find("border07c.png"), std::string::npos);

  // Every global holds its own file, cut and flagged as the list says.
#define PICTURE_GLOBAL(name, ...) &name##img,
  TImage** const pictures[] = {PULSEFIELD_PICTURES(PICTURE_GLOBAL)};
#undef PICTURE_GLOBAL
  for (int i = 0; i < kPictureCount; i++) {
    const PictureEntry& e = kPictures[i];
    TImage* img = *pictures[i];
    ASSERT_NE(img, nullptr) << e.name;
    EXPECT_NE(img->path.find(std::string("/") + e.stem + ".png"), std::string::npos) << e.name;
    EXPECT_EQ(img->FrameCount(), e.count > 0 ? e.count : 1) << e.name;
    EXPECT_EQ(img->flags, e.flags == kPictureDefaultFlags ? kDefaultFlags : e.flags) << e.name;
  }
#define SOUND_GLOBAL(name) {&name##snd, #name},
  const std::pair<TSound**, const char*> sounds[] = {PULSEFIELD_EFFECT_SOUNDS(SOUND_GLOBAL)
                                                         PULSEFIELD_INTRO_SOUNDS(SOUND_GLOBAL)};
#undef SOUND_GLOBAL
  for (const auto& [global, stem] : sounds) {
    ASSERT_NE(*global, nullptr) << stem;
    EXPECT_NE((*global)->path.find(std::string("/") + stem + ".ogg"), std::string::npos) << stem;
  }

  // Indexed by award, not by loading order.
  for (int i = 0; i < AWARD_COUNT; i++) {
    ASSERT_NE(awardimgs[i], nullptr);
    EXPECT_NE(awardimgs[i]->path.find(std::string("/") + kAwardPictures[i].stem + ".png"), std::string::npos) << i;
  }
  EXPECT_EQ(awardimgs[AWARD_NOSHOOT], awdnoshootimg);
  EXPECT_EQ(awardimgs[AWARD_MULTI], awdmultiimg);

  for (TSound* s : {menubeep01snd, holeexpsnd, nme08spawnsnd, qvosoundsnd, kelvvoicesnd}) {
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->loops);
    EXPECT_GT(s->Frames(), 0);
  }
  EXPECT_EQ(custommusic, 0);
  ASSERT_NE(titlemusicsnd, nullptr);
  ASSERT_NE(ingamemusicsnd, nullptr);
  EXPECT_TRUE(titlemusicsnd->loops);
  EXPECT_TRUE(ingamemusicsnd->loops);
  EXPECT_NE(titlemusicsnd->path.find("titlemusic.ogg"), std::string::npos);
}

TEST_F(Media, MusicOggBesideTheProgramReplacesBothTracksUnlessBroken) {
  fs::copy_file(datadir + "/sfx/award.ogg", scratch / "music.ogg");
  LoadSounds();
  EXPECT_EQ(custommusic, 1);
  EXPECT_EQ(custommusicstarted, 0);
  EXPECT_EQ(ingamemusicsnd, nullptr);
  ASSERT_NE(titlemusicsnd, nullptr);
  EXPECT_TRUE(titlemusicsnd->loops);
  EXPECT_NE(titlemusicsnd->path.find("music.ogg"), std::string::npos);
  EXPECT_EQ(titlemusicsnd->path.find("titlemusic"), std::string::npos);

  // A "music.ogg" that does not decode counts as absent.
  std::ofstream(scratch / "music.ogg", std::ios::trunc) << "not a sound";
  LoadSounds();
  EXPECT_EQ(custommusic, 0);
  ASSERT_NE(ingamemusicsnd, nullptr);
  EXPECT_NE(titlemusicsnd->path.find("titlemusic.ogg"), std::string::npos);
}

TEST(MediaStartUp, AMissingOrBrokenFileStopsStartUpNamingIt) {
  if (!HaveData()) GTEST_SKIP() << "no generated data folder";
  ScratchDir s("media_run");
  fs::path data = s / "data";
  fs::copy(datadir, data, fs::copy_options::recursive);
  const std::string game = bindir + "/pulsefield";

  fs::remove(data / "gfx" / "nme03.png");
  RunResult r = RunGame(game, data.string(), s);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("nme03.png"), std::string::npos) << r.err;
  fs::copy_file(datadir + "/gfx/nme03.png", data / "gfx" / "nme03.png");

  fs::resize_file(data / "sfx" / "bombhit.ogg", 100);
  r = RunGame(game, data.string(), s);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("bombhit.ogg"), std::string::npos) << r.err;
  fs::copy_file(datadir + "/sfx/bombhit.ogg", data / "sfx" / "bombhit.ogg",
                fs::copy_options::overwrite_existing);

  fs::remove(data / "sfx" / "ingamemusic.ogg");
  r = RunGame(game, data.string(), s);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("ingamemusic.ogg"), std::string::npos) << r.err;

  // ...but with "music.ogg" beside the program the built-in tracks are not needed.
  fs::copy_file(game, s / "pulsefield");
  fs::copy_file(datadir + "/sfx/hole.ogg", s / "music.ogg");
  r = RunGame((s / "pulsefield").string(), data.string(), s);
  EXPECT_EQ(r.code, 0) << r.err;
}

// Damaged files from the fuzzing seeds in place of good ones: a required
// one stops start-up with its name and what is wrong with it, quickly and
// without leaking what was decoded so far (checked when the build has
// LeakSanitizer); a sound cut short or a damaged "music.ogg" only warns.
TEST(MediaStartUp, DamagedFilesStopStartUpSayingWhyButADamagedMusicOggOnlyWarns) {
  if (!HaveData()) GTEST_SKIP() << "no generated data folder";
  ScratchDir s("media_damaged");
  fs::path data = s / "data";
  fs::copy(datadir, data, fs::copy_options::recursive);
  const std::string game = bindir + "/pulsefield";
  const std::string seeds = PULSEFIELD_SOURCE_DIR "/tests/fuzz/";
  const char* oldasan = std::getenv("ASAN_OPTIONS");
  const std::string savedasan = oldasan ? oldasan : "";
  setenv("ASAN_OPTIONS", "detect_leaks=1", 1);
  // Puts a seed in place of a data file, runs the game, puts the file back.
  auto with = [&](const std::string& seed, const std::string& file) {
    fs::copy_file(seeds + seed, data / file, fs::copy_options::overwrite_existing);
    RunResult r = RunGame(game, data.string(), s);
    fs::copy_file(datadir + "/" + file, data / file, fs::copy_options::overwrite_existing);
    EXPECT_EQ(r.err.find("LeakSanitizer"), std::string::npos) << r.err;
    return r;
  };

  RunResult r = with("png/huge-65535x65535.png", "gfx/nme03.png");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("nme03.png\": it is 65535x65535 pixels"), std::string::npos) << r.err;
  r = with("ogg/claims-2pow33-frames.ogg", "sfx/bombhit.ogg");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("bombhit.ogg\": it claims 8589934592 frames"), std::string::npos) << r.err;
  r = with("ogg/cut-short-mid-page.ogg", "sfx/bombhit.ogg");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("warning: the sound \"" + (data / "sfx" / "bombhit.ogg").string() + "\": it seems cut short"),
            std::string::npos)
      << r.err;

  // The border map: a link to an endless device, and a file longer than the map.
  fs::remove(data / "misc" / "BGmap.bnk");
  fs::create_symlink("/dev/zero", data / "misc" / "BGmap.bnk");
  r = RunGame(game, data.string(), s);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("BGmap.bnk\": it is not a regular file"), std::string::npos) << r.err;
  fs::remove(data / "misc" / "BGmap.bnk");
  r = with("bordermap/long-1800-bytes.bnk", "misc/BGmap.bnk");
  EXPECT_EQ(r.code, 0) << r.err;

  // The player's own music, damaged: the built-in music plays instead.
  fs::copy_file(game, s / "pulsefield");
  fs::copy_file(seeds + "ogg/claims-2pow62-frames.ogg", s / "music.ogg");
  r = RunGame((s / "pulsefield").string(), data.string(), s);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("music.ogg\" (it claims"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("playing the built-in music"), std::string::npos) << r.err;
  if (oldasan) setenv("ASAN_OPTIONS", savedasan.c_str(), 1);
  else unsetenv("ASAN_OPTIONS");
}

// The generator writes exactly the files the game's lists name, each named
// once; a file left over from an older list shows up here too.
TEST(MediaLists, DataFolderHoldsEachListedFileOnceAndNothingElse) {
  if (!HaveData()) GTEST_SKIP() << "no generated data folder";
  auto files = [](const std::string& dir) {
    std::set<std::string> names;
    for (const auto& f : fs::directory_iterator(dir)) names.insert(f.path().filename().string());
    return names;
  };
  std::set<std::string> pictures, sounds;
  for (const PictureEntry& p : kPictures) EXPECT_TRUE(pictures.insert(std::string(p.stem) + ".png").second) << p.stem;
  for (const char* stem : kEffectSoundStems) EXPECT_TRUE(sounds.insert(std::string(stem) + ".ogg").second) << stem;
  for (const char* stem : kIntroSoundStems) EXPECT_TRUE(sounds.insert(std::string(stem) + ".ogg").second) << stem;
  for (const char* stem : {kTitleMusicStem, kIngameMusicStem})
    EXPECT_TRUE(sounds.insert(std::string(stem) + ".ogg").second) << stem;
  EXPECT_EQ(files(datadir + "/gfx"), pictures);
  EXPECT_EQ(files(datadir + "/sfx"), sounds);
}

}  // namespace
