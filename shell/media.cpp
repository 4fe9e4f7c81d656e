// The media catalogue: every picture and sound, loaded once at start-up into
// a named global kept for the whole run. Sounds decode on a few worker
// threads while the pictures load, and everything is in place before the
// first tick. A required file that is missing or broken stops start-up.
#include "shell/media.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>

#include "platform/files.h"
#include "shell/fatal.h"

#define PULSEFIELD_DEFINE_PICTURE(name, ...) TImage* name##img;
PULSEFIELD_PICTURES(PULSEFIELD_DEFINE_PICTURE)
#undef PULSEFIELD_DEFINE_PICTURE
#define PULSEFIELD_DEFINE_SOUND(name) TSound* name##snd;
PULSEFIELD_EFFECT_SOUNDS(PULSEFIELD_DEFINE_SOUND)
PULSEFIELD_INTRO_SOUNDS(PULSEFIELD_DEFINE_SOUND)
#undef PULSEFIELD_DEFINE_SOUND
TSound *titlemusicsnd, *ingamemusicsnd;
int custommusic = 0;
int custommusicstarted = 0;
TImage* awardimgs[AWARD_COUNT];

// The game's flag values are the renderer's bits.
static_assert(kPictureMasked == IMG_MASKED && kPictureFiltered == IMG_FILTERED);

// True when every award's picture is one the catalogue loads.
static constexpr bool EveryAwardIsAPicture() {
  for (const AwardPicture& a : kAwardPictures)
    if (PictureOfStem(a.stem) < 0) return false;
  return true;
}
static_assert(EveryAwardIsAPicture(), "an award picture is missing from the picture list");

// The global of each picture, entry i for kPictures[i].
#define PULSEFIELD_PICTURE_GLOBAL(name, ...) &name##img,
static TImage** const pictureglobals[] = {PULSEFIELD_PICTURES(PULSEFIELD_PICTURE_GLOBAL)};
#undef PULSEFIELD_PICTURE_GLOBAL
static_assert(std::size(pictureglobals) == kPictureCount);

// One sound of the catalogue: its global and file stem (flags 0, plays once).
struct SoundEntry {
  TSound** dst;
  const char* stem;
};

#define PULSEFIELD_SOUND_ENTRY(name) {&name##snd, #name},
static const SoundEntry effecttable[] = {PULSEFIELD_EFFECT_SOUNDS(PULSEFIELD_SOUND_ENTRY)};
static const SoundEntry introtable[] = {PULSEFIELD_INTRO_SOUNDS(PULSEFIELD_SOUND_ENTRY)};
#undef PULSEFIELD_SOUND_ENTRY

// The game's path of a picture or a sound from its stem.
static std::string GfxFile(const char* stem) { return std::string("data\\gfx\\") + stem + ".png"; }
static std::string SfxFile(const char* stem) { return std::string("data\\sfx\\") + stem + ".ogg"; }

static const char* const custommusicfile = "music.ogg";

// A decode waiting for a worker, and its result.
struct SoundJob {
  std::string gamepath;
  int flags;
  TSound* result = nullptr;
};

// The sound decoding under way: jobs taken in order by the workers (and by
// the loading thread once the pictures are done).
struct SoundLoader {
  std::vector<SoundJob> jobs;
  std::atomic<size_t> next{0};
  std::vector<std::thread> workers;
  bool triedcustom = false;
};
static SoundLoader* loader = nullptr;

// Takes jobs until none are left.
static void RunSoundJobs(SoundLoader* l) {
  for (;;) {
    size_t i = l->next.fetch_add(1);
    if (i >= l->jobs.size()) return;
    SoundJob& j = l->jobs[i];
    j.result = LoadSound(ResolveMediaPath(j.gamepath), j.flags);
  }
}

// Starts decoding every sound the catalogue will need, music first (the
// longest). "music.ogg" is tried when it exists; the built-in tracks are
// queued only when it does not.
static void StartSoundLoading() {
  if (loader) return;
  loader = new SoundLoader;
  std::error_code ec;
  loader->triedcustom = std::filesystem::exists(ResolveMediaPath(custommusicfile), ec);
  if (loader->triedcustom) {
    loader->jobs.push_back({custommusicfile, 1});
  } else {
    loader->jobs.push_back({SfxFile(kIngameMusicStem), 1});
    loader->jobs.push_back({SfxFile(kTitleMusicStem), 1});
  }
  for (const SoundEntry& e : effecttable) loader->jobs.push_back({SfxFile(e.stem), 0});
  for (const SoundEntry& e : introtable) loader->jobs.push_back({SfxFile(e.stem), 0});
  unsigned hw = std::thread::hardware_concurrency();
  unsigned n = hw == 0 ? 1 : (hw > 4 ? 4 : hw);
  for (unsigned i = 0; i < n; i++) loader->workers.emplace_back(RunSoundJobs, loader);
}

// Helps with the remaining decodes, waits for the workers and hands back
// the finished jobs (the loader is gone afterwards).
static SoundLoader* FinishSoundLoading() {
  if (!loader) StartSoundLoading();
  RunSoundJobs(loader);
  for (std::thread& t : loader->workers) t.join();
  loader->workers.clear();
  SoundLoader* done = loader;
  loader = nullptr;
  return done;
}

// A required media file is missing or broken: start-up stops here, naming it.
[[noreturn]] static void MediaFailure(const std::string& gamepath) {
  if (loader) {
    loader->next = loader->jobs.size();  // no new decodes; wait for those under way
    delete FinishSoundLoading();
  }
  FatalError("cannot load the media file \"" + ResolveMediaPath(gamepath) +
             "\" (missing or unreadable)");
}

// Loads one picture of the catalogue; stops start-up when it cannot.
static TImage* LoadCatalogueImage(const PictureEntry& e) {
  std::string file = GfxFile(e.stem);
  std::string path = ResolveMediaPath(file);
  TImage* img = e.cellw > 0 ? LoadImageCells(path, e.cellw, e.cellh, 0, e.count, e.flags) : LoadImage(path, e.flags);
  if (!img) MediaFailure(file);
  return img;
}

// Start-up's media step: the loading screen and every picture, then every
// sound (already decoding on worker threads while the pictures load).
void LoadMedia() {
  StartSoundLoading();
  LoadImages();
  LoadSounds();
}

// Shows the loading screen (the green-tinted title logo, straight to the
// back buffer) and loads every picture in catalogue order.
void LoadImages() {
  SetDefaultImageFlags(IMG_FILTERED | IMG_MIPMAPPED);
  titlelogoimg = LoadCatalogueImage(kPictures[0]);
  SetColor(0, 255, 0);
  SetScale(1, 1);
  SetRotation(0);
  SetAlpha(1);
  SetBlend(BLEND_ALPHA);
  DrawImage(titlelogoimg, 400, 300, 0);
  Flip(-1);
  for (int i = 1; i < kPictureCount; i++) *pictureglobals[i] = LoadCatalogueImage(kPictures[i]);
  // By award index, which is not the loading order.
  for (int i = 0; i < AWARD_COUNT; i++) awardimgs[i] = *pictureglobals[PictureOfStem(kAwardPictures[i].stem)];
}

// The decoded sound of a job, or stops start-up when it would not decode.
static TSound* TakeSound(SoundLoader* l, const std::string& gamepath) {
  for (SoundJob& j : l->jobs)
    if (j.gamepath == gamepath) {
      if (!j.result) MediaFailure(gamepath);
      return j.result;
    }
  TSound* s = LoadSound(ResolveMediaPath(gamepath), 1);
  if (!s) MediaFailure(gamepath);
  return s;
}

// Places every sound in its global and decides the music: "music.ogg"
// beside the program, when it decodes, replaces both built-in tracks.
void LoadSounds() {
  SoundLoader* l = FinishSoundLoading();
  for (const SoundEntry& e : effecttable) *e.dst = TakeSound(l, SfxFile(e.stem));
  TSound* custom = nullptr;
  if (l->triedcustom)
    for (SoundJob& j : l->jobs)
      if (j.gamepath == custommusicfile) custom = j.result;
  if (custom) {
    titlemusicsnd = custom;
    ingamemusicsnd = nullptr;
    custommusic = 1;
    custommusicstarted = 0;
  } else {
    titlemusicsnd = TakeSound(l, SfxFile(kTitleMusicStem));
    ingamemusicsnd = TakeSound(l, SfxFile(kIngameMusicStem));
    custommusic = 0;
  }
  for (const SoundEntry& e : introtable) *e.dst = TakeSound(l, SfxFile(e.stem));
  delete l;
}
