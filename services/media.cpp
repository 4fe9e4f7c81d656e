// The media catalogue: every picture and sound, loaded once at start-up into
// a named global kept for the whole run. Sounds decode on a few worker
// threads while the pictures load, and everything is in place before the
// first tick. A required file that is missing or broken stops start-up.
#include "services/media.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <utility>

#include "platform/files.h"
#include "platform/platform.h"
#include "services/fatal.h"

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

// A decode waiting for a worker, and its result: the sound, or why there is
// none; a sound that loads may come with a warning.
struct SoundJob {
  SoundJob(std::string path, int f) : gamepath(std::move(path)), flags(f) {}
  std::string gamepath;
  int flags;
  TSound* result = nullptr;
  std::string why, warning;
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
    // Nothing may escape a worker thread: that would end the program.
    try {
      j.result = LoadSound(ResolveMediaPath(j.gamepath), j.flags, &j.why, &j.warning);
    } catch (const std::exception& e) {
      j.result = nullptr;
      j.why = e.what();
    } catch (...) {
      j.result = nullptr;
      j.why = "it could not be decoded";
    }
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
  // Where no thread may start (the browser), the loading thread decodes them all.
  if (!PlatformThreads()) n = 0;
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

// Frees the finished jobs' sounds that no global has taken, and the loader.
static void DiscardSoundLoader(SoundLoader* l) {
  for (SoundJob& j : l->jobs) delete j.result;
  delete l;
}

// A required media file is missing or broken: start-up stops here, naming
// it and saying why. The sounds decoded so far are freed first; any in
// flight (the loader still running) are waited for.
[[noreturn]] static void MediaFailure(const std::string& gamepath, const std::string& why,
                                      SoundLoader* finished = nullptr) {
  // The message first: the reason may belong to a job about to be freed.
  std::string message = "cannot load the media file \"" + ResolveMediaPath(gamepath) + "\": " +
                        (why.empty() ? std::string("it is missing or unreadable") : why);
  if (finished) DiscardSoundLoader(finished);
  if (loader) {
    loader->next = loader->jobs.size();  // no new decodes; wait for those under way
    DiscardSoundLoader(FinishSoundLoading());
  }
  FatalError(message);
}

// Loads one picture of the catalogue; stops start-up when it cannot.
static TImage* LoadCatalogueImage(const PictureEntry& e) {
  std::string file = GfxFile(e.stem);
  std::string path = ResolveMediaPath(file);
  std::string why;
  TImage* img = e.cellw > 0 ? LoadImageCells(path, e.cellw, e.cellh, 0, e.count, e.flags, &why)
                            : LoadImage(path, e.flags, &why);
  if (!img) MediaFailure(file, why);
  return img;
}

// Passes on a decoded sound's warning, naming the file.
static void WarnAboutSound(const std::string& gamepath, const std::string& warning) {
  if (!warning.empty())
    std::fprintf(stderr, "pulsefield: warning: the sound \"%s\": %s\n", ResolveMediaPath(gamepath).c_str(),
                 warning.c_str());
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

// Takes the decoded sound of a job out of the loader, or stops start-up
// when it would not decode.
static TSound* TakeSound(SoundLoader* l, const std::string& gamepath) {
  for (SoundJob& j : l->jobs)
    if (j.gamepath == gamepath) {
      if (!j.result) MediaFailure(gamepath, j.why, l);
      WarnAboutSound(gamepath, j.warning);
      TSound* s = j.result;
      j.result = nullptr;
      return s;
    }
  std::string why, warning;
  TSound* s = nullptr;
  try {
    s = LoadSound(ResolveMediaPath(gamepath), 1, &why, &warning);
  } catch (const std::exception& e) {
    why = e.what();
  }
  if (!s) MediaFailure(gamepath, why, l);
  WarnAboutSound(gamepath, warning);
  return s;
}

// Places every sound in its global and decides the music: "music.ogg"
// beside the program, when it decodes, replaces both built-in tracks.
void LoadSounds() {
  SoundLoader* l = FinishSoundLoading();
  for (const SoundEntry& e : effecttable) *e.dst = TakeSound(l, SfxFile(e.stem));
  // A "music.ogg" that will not decode is the player's file, not ours: the
  // built-in music plays instead, with a warning.
  TSound* custom = nullptr;
  if (l->triedcustom)
    for (SoundJob& j : l->jobs)
      if (j.gamepath == custommusicfile) {
        if (j.result) {
          WarnAboutSound(j.gamepath, j.warning);
          custom = j.result;
          j.result = nullptr;
        } else {
          std::fprintf(stderr, "pulsefield: warning: cannot play \"%s\" (%s); playing the built-in music\n",
                       ResolveMediaPath(j.gamepath).c_str(), j.why.c_str());
        }
      }
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
  DiscardSoundLoader(l);
}
