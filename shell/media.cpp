// The media catalogue: every picture and sound, loaded once at start-up into
// a named global kept for the whole run. Sounds decode on a few worker
// threads while the pictures load, and everything is in place before the
// first tick. A required file that is missing or broken stops start-up.
#include "shell/media.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/files.h"
#include "shell/fatal.h"

TImage *titlelogoimg, *fontimg, *fontsmallimg, *menubarimg, *whiteimg, *white2img;
TImage *scoreimg, *scorehighimg, *scorenumosimg, *scorebombimg, *multiplierimg;
TImage *border01img, *border02img, *border03img, *border04img, *border05img, *border06img,
    *border07img, *border08img, *border09img;
TImage *star01img, *star02img, *star03img;
TImage *playerimg, *playersightimg, *playershieldimg;
TImage *playerrez01img, *playerrez02img, *playerrez03img, *playerrez04img, *playerrez05img;
TImage *thrustimg, *bombimg, *playerbulletimg, *part01img, *part02img;
TImage *nme01img, *nme02img, *nme03img, *nme04img, *nme05img, *nme06img, *nme07img, *nme07bimg,
    *nme08img, *nme09img, *nme09shieldimg, *nme10img, *nme10bimg, *nme10cimg;
TImage *partex01img, *partex02img;
TImage *awdpansyimg, *awdsuckerimg, *awd100timg, *awd250timg, *awd500timg, *awd1000timg,
    *awd100cimg, *awd250cimg, *awd500cimg, *awd1000cimg, *awdquarterimg, *awdmultiimg,
    *awdskillimg, *awdnoshootimg;
TImage *qvobgimg, *qvozarqimg, *qvozorvimg, *qvolineimg, *qvocoverimg, *qvoshineimg;
TImage *kelvarcimg, *kelvarcmaskimg, *kelvaneimg, *kelvtextimg;
TSound *menubeep01snd, *menubeep02snd, *multiplysnd, *extralifesnd, *extrabombsnd;
TSound *playerfire03snd, *playerfire02snd, *playerfire01snd, *playerexpsnd, *bombsnd, *bombhitsnd,
    *playerrezsnd, *shieldwarningsnd;
TSound *nme01expsnd, *nme01spawnsnd, *nme02spawnsnd, *nme03spawnsnd, *nme04spawnsnd, *nme05spawnsnd,
    *nme06spawnsnd, *nme07spawnsnd, *nme08spawnsnd;
TSound *awardsnd, *holesnd, *holeexpsnd;
TSound *titlemusicsnd, *ingamemusicsnd, *qvosoundsnd, *kelvloadsnd, *kelvvoicesnd;
int custommusic = 0;
int custommusicstarted = 0;
TImage* awardimgs[14];

// One picture of the catalogue: its global, file, cells (0 for a single
// whole-picture frame) and flags (-1 for the default).
struct ImageEntry {
  TImage** dst;
  const char* file;
  int cellw, cellh, count;
  int flags;
};

// Every picture after the title logo, in loading order.
static const ImageEntry imagetable[] = {
    {&fontimg, "data\\gfx\\font.png", 32, 32, 100, -1},
    {&fontsmallimg, "data\\gfx\\fontsmall.png", 8, 8, 768, 1},
    {&menubarimg, "data\\gfx\\menubar01.png", 0, 0, 0, -1},
    {&whiteimg, "data\\gfx\\white.png", 0, 0, 0, -1},
    {&white2img, "data\\gfx\\white2.png", 0, 0, 0, -1},
    {&scoreimg, "data\\gfx\\score.png", 0, 0, 0, -1},
    {&scorehighimg, "data\\gfx\\scorehigh.png", 0, 0, 0, -1},
    {&scorenumosimg, "data\\gfx\\scorenumos.png", 8, 16, 10, -1},
    {&scorebombimg, "data\\gfx\\scorebomb.png", 0, 0, 0, -1},
    {&multiplierimg, "data\\gfx\\multiplier.png", 152, 32, 9, -1},
    {&border01img, "data\\gfx\\border01.png", 0, 0, 0, -1},
    {&border02img, "data\\gfx\\border02.png", 0, 0, 0, -1},
    {&border03img, "data\\gfx\\border03.png", 0, 0, 0, -1},
    {&border04img, "data\\gfx\\border04.png", 0, 0, 0, -1},
    {&border05img, "data\\gfx\\border05.png", 0, 0, 0, -1},
    {&border06img, "data\\gfx\\border06.png", 0, 0, 0, -1},
    {&border07img, "data\\gfx\\border07c.png", 0, 0, 0, -1},
    {&border08img, "data\\gfx\\border08.png", 0, 0, 0, -1},
    {&border09img, "data\\gfx\\border09.png", 0, 0, 0, -1},
    {&star01img, "data\\gfx\\star01.png", 0, 0, 0, -1},
    {&star02img, "data\\gfx\\star02.png", 0, 0, 0, -1},
    {&star03img, "data\\gfx\\star03.png", 0, 0, 0, -1},
    {&playerimg, "data\\gfx\\player.png", 0, 0, 0, -1},
    {&playersightimg, "data\\gfx\\playersight.png", 0, 0, 0, -1},
    {&playershieldimg, "data\\gfx\\playershield.png", 0, 0, 0, -1},
    {&playerrez01img, "data\\gfx\\playerrez01.png", 0, 0, 0, -1},
    {&playerrez02img, "data\\gfx\\playerrez02.png", 0, 0, 0, -1},
    {&playerrez03img, "data\\gfx\\playerrez03.png", 0, 0, 0, -1},
    {&playerrez04img, "data\\gfx\\playerrez04.png", 0, 0, 0, -1},
    {&playerrez05img, "data\\gfx\\playerrez05.png", 0, 0, 0, 2},
    {&thrustimg, "data\\gfx\\thrust02.png", 0, 0, 0, -1},
    {&bombimg, "data\\gfx\\bomb01.png", 0, 0, 0, -1},
    {&playerbulletimg, "data\\gfx\\playerbullet01.png", 0, 0, 0, -1},
    {&part01img, "data\\gfx\\part01.png", 0, 0, 0, -1},
    {&part02img, "data\\gfx\\part02.png", 0, 0, 0, -1},
    {&nme01img, "data\\gfx\\nme01.png", 0, 0, 0, -1},
    {&nme02img, "data\\gfx\\nme02.png", 0, 0, 0, -1},
    {&nme03img, "data\\gfx\\nme03.png", 0, 0, 0, -1},
    {&nme04img, "data\\gfx\\nme04.png", 0, 0, 0, -1},
    {&nme05img, "data\\gfx\\nme05.png", 0, 0, 0, -1},
    {&nme06img, "data\\gfx\\nme06.png", 0, 0, 0, -1},
    {&nme07img, "data\\gfx\\nme07.png", 0, 0, 0, -1},
    {&nme07bimg, "data\\gfx\\nme07b.png", 0, 0, 0, -1},
    {&nme08img, "data\\gfx\\nme08.png", 0, 0, 0, -1},
    {&nme09img, "data\\gfx\\nme09.png", 0, 0, 0, -1},
    {&nme09shieldimg, "data\\gfx\\nme09shield.png", 48, 48, 4, -1},
    {&nme10img, "data\\gfx\\nme10.png", 0, 0, 0, -1},
    {&nme10bimg, "data\\gfx\\nme10b.png", 0, 0, 0, -1},
    {&nme10cimg, "data\\gfx\\nme10c.png", 0, 0, 0, -1},
    {&partex01img, "data\\gfx\\partex01.png", 0, 0, 0, -1},
    {&partex02img, "data\\gfx\\partex02.png", 0, 0, 0, -1},
    {&awdpansyimg, "data\\gfx\\awdpansy.png", 0, 0, 0, -1},
    {&awdsuckerimg, "data\\gfx\\awdsucker.png", 0, 0, 0, -1},
    {&awd100timg, "data\\gfx\\awd100t.png", 0, 0, 0, -1},
    {&awd250timg, "data\\gfx\\awd250t.png", 0, 0, 0, -1},
    {&awd500timg, "data\\gfx\\awd500t.png", 0, 0, 0, -1},
    {&awd1000timg, "data\\gfx\\awd1000t.png", 0, 0, 0, -1},
    {&awd100cimg, "data\\gfx\\awd100c.png", 0, 0, 0, -1},
    {&awd250cimg, "data\\gfx\\awd250c.png", 0, 0, 0, -1},
    {&awd500cimg, "data\\gfx\\awd500c.png", 0, 0, 0, -1},
    {&awd1000cimg, "data\\gfx\\awd1000c.png", 0, 0, 0, -1},
    {&awdquarterimg, "data\\gfx\\awdquarter.png", 0, 0, 0, -1},
    {&awdmultiimg, "data\\gfx\\awdmulti.png", 0, 0, 0, -1},
    {&awdskillimg, "data\\gfx\\awdskill.png", 0, 0, 0, -1},
    {&awdnoshootimg, "data\\gfx\\awdnoshoot.png", 0, 0, 0, -1},
    {&qvobgimg, "data\\gfx\\qvobg.png", 0, 0, 0, -1},
    {&qvozarqimg, "data\\gfx\\qvozarq.png", 0, 0, 0, -1},
    {&qvozorvimg, "data\\gfx\\qvozorv.png", 0, 0, 0, -1},
    {&qvolineimg, "data\\gfx\\qvoline.png", 0, 0, 0, -1},
    {&qvocoverimg, "data\\gfx\\qvocover.png", 0, 0, 0, -1},
    {&qvoshineimg, "data\\gfx\\qvoshine.png", 0, 0, 0, -1},
    {&kelvarcimg, "data\\gfx\\kelvarc.png", 0, 0, 0, -1},
    {&kelvarcmaskimg, "data\\gfx\\kelvarcmask.png", 0, 0, 0, -1},
    {&kelvaneimg, "data\\gfx\\kelvane.png", 0, 0, 0, -1},
    {&kelvtextimg, "data\\gfx\\kelvtext.png", 0, 0, 0, -1},
};

// One sound of the catalogue: its global and file (flags 0, plays once).
struct SoundEntry {
  TSound** dst;
  const char* file;
};

// The effect sounds, in loading order.
static const SoundEntry effecttable[] = {
    {&menubeep01snd, "data\\sfx\\menubeep01.ogg"},   {&menubeep02snd, "data\\sfx\\menubeep02.ogg"},
    {&multiplysnd, "data\\sfx\\multiply.ogg"},       {&extralifesnd, "data\\sfx\\extralife.ogg"},
    {&extrabombsnd, "data\\sfx\\extrabomb.ogg"},     {&playerfire03snd, "data\\sfx\\playerfire03.ogg"},
    {&playerfire02snd, "data\\sfx\\playerfire02.ogg"}, {&playerfire01snd, "data\\sfx\\playerfire01.ogg"},
    {&playerexpsnd, "data\\sfx\\playerexp.ogg"},     {&bombsnd, "data\\sfx\\bomb.ogg"},
    {&bombhitsnd, "data\\sfx\\bombhit.ogg"},         {&playerrezsnd, "data\\sfx\\playerrez.ogg"},
    {&shieldwarningsnd, "data\\sfx\\shieldwarning.ogg"}, {&nme01expsnd, "data\\sfx\\nme01exp.ogg"},
    {&nme01spawnsnd, "data\\sfx\\nme01spawn.ogg"},   {&nme02spawnsnd, "data\\sfx\\nme02spawn.ogg"},
    {&nme03spawnsnd, "data\\sfx\\nme03spawn.ogg"},   {&nme04spawnsnd, "data\\sfx\\nme04spawn.ogg"},
    {&nme05spawnsnd, "data\\sfx\\nme05spawn.ogg"},   {&nme06spawnsnd, "data\\sfx\\nme06spawn.ogg"},
    {&nme07spawnsnd, "data\\sfx\\nme07spawn.ogg"},   {&nme08spawnsnd, "data\\sfx\\nme08spawn.ogg"},
    {&awardsnd, "data\\sfx\\award.ogg"},             {&holesnd, "data\\sfx\\hole.ogg"},
    {&holeexpsnd, "data\\sfx\\holeexp.ogg"},
};

// The intro sounds, loaded after the music.
static const SoundEntry introtable[] = {
    {&qvosoundsnd, "data\\sfx\\qvosound.ogg"},
    {&kelvloadsnd, "data\\sfx\\kelvload.ogg"},
    {&kelvvoicesnd, "data\\sfx\\kelvvoice.ogg"},
};

static const char* const custommusicfile = "music.ogg";
static const char* const titlemusicfile = "data\\sfx\\titlemusic.ogg";
static const char* const ingamemusicfile = "data\\sfx\\ingamemusic.ogg";

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
    loader->jobs.push_back({ingamemusicfile, 1});
    loader->jobs.push_back({titlemusicfile, 1});
  }
  for (const SoundEntry& e : effecttable) loader->jobs.push_back({e.file, 0});
  for (const SoundEntry& e : introtable) loader->jobs.push_back({e.file, 0});
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
static TImage* LoadCatalogueImage(const char* file, int cellw, int cellh, int count, int flags) {
  std::string path = ResolveMediaPath(file);
  TImage* img = cellw > 0 ? LoadImageCells(path, cellw, cellh, 0, count, flags) : LoadImage(path, flags);
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
  SetDefaultImageFlags(6);
  titlelogoimg = LoadCatalogueImage("data\\gfx\\titlelogo.png", 0, 0, 0, -1);
  SetColor(0, 255, 0);
  SetScale(1, 1);
  SetRotation(0);
  SetAlpha(1);
  SetBlend(BLEND_ALPHA);
  DrawImage(titlelogoimg, 400, 300, 0);
  Flip(-1);
  for (const ImageEntry& e : imagetable)
    *e.dst = LoadCatalogueImage(e.file, e.cellw, e.cellh, e.count, e.flags);
  // By award index, which is not the loading order: no-shoot is award 2,
  // skill 12 and multiplier 13.
  TImage* awards[14] = {awdpansyimg, awdsuckerimg, awdnoshootimg, awd100timg, awd250timg,
                        awd500timg,  awd1000timg,  awd100cimg,    awd250cimg, awd500cimg,
                        awd1000cimg, awdquarterimg, awdskillimg,  awdmultiimg};
  for (int i = 0; i < 14; i++) awardimgs[i] = awards[i];
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
  for (const SoundEntry& e : effecttable) *e.dst = TakeSound(l, e.file);
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
    titlemusicsnd = TakeSound(l, titlemusicfile);
    ingamemusicsnd = TakeSound(l, ingamemusicfile);
    custommusic = 0;
  }
  for (const SoundEntry& e : introtable) *e.dst = TakeSound(l, e.file);
  delete l;
}
