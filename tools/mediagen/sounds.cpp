// The sound half of the media generator: renders every effect, the intro
// sounds and the two music loops, and writes them as Ogg Vorbis into sfx/.
#include <cstdio>
#include <map>
#include "mediagen.h"
#include "music.h"
#include "ogg_writer.h"
#include "services/sound_list.h"
#include "synth_fx.h"

// Writes every effect and intro sound of the game's lists into outdir/sfx;
// false after the first failure, or when a listed sound has no recipe or a
// recipe renders a sound the game does not load.
bool GenerateEffectSounds(const std::string& outdir) {
  const std::string dir = outdir + "/sfx/";
  std::map<std::string, Buf> rendered;
  for (EffectSound& e : RenderEffects()) rendered[e.name] = std::move(e.samples);
  bool ok = true;
  auto write = [&](const char* stem) {
    auto it = rendered.find(stem);
    if (it == rendered.end()) {
      std::fprintf(stderr, "pfmediagen: the game loads %s.ogg but nothing renders it\n", stem);
      ok = false;
      return;
    }
    if (ok && !WriteOggMono(dir + stem + ".ogg", it->second, 0.4f)) ok = false;
    rendered.erase(it);
  };
  for (const char* stem : kEffectSoundStems) write(stem);
  for (const char* stem : kIntroSoundStems) write(stem);
  for (const auto& [stem, samples] : rendered) {
    std::fprintf(stderr, "pfmediagen: %s.ogg is rendered but the game does not load it\n", stem.c_str());
    ok = false;
  }
  return ok;
}

// Renders and writes the title loop; it shares nothing, so it may run on its own thread.
bool GenerateTitleMusic(const std::string& outdir) {
  return WriteOggStereo(outdir + "/sfx/" + kTitleMusicStem + ".ogg", RenderTitleMusic(), 0.35f, true);
}

// Renders and writes the in-game loop; it shares nothing, so it may run on its own thread.
bool GenerateIngameMusic(const std::string& outdir) {
  return WriteOggStereo(outdir + "/sfx/" + kIngameMusicStem + ".ogg", RenderIngameMusic(), 0.35f, true);
}
