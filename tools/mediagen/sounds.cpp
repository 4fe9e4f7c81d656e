// The sound half of the media generator: renders every effect, the intro
// sounds and the two music loops, and writes them as Ogg Vorbis into sfx/.
#include <cstdio>
#include "mediagen.h"
#include "music.h"
#include "ogg_writer.h"
#include "synth_fx.h"

// Writes every effect and intro sound into outdir/sfx; false after the first failure.
bool GenerateEffectSounds(const std::string& outdir) {
  const std::string dir = outdir + "/sfx/";
  for (const EffectSound& e : RenderEffects()) {
    if (!WriteOggMono(dir + e.name + ".ogg", e.samples, 0.4f)) return false;
  }
  return true;
}

// Renders and writes the title loop; it shares nothing, so it may run on its own thread.
bool GenerateTitleMusic(const std::string& outdir) {
  return WriteOggStereo(outdir + "/sfx/titlemusic.ogg", RenderTitleMusic(), 0.35f);
}

// Renders and writes the in-game loop; it shares nothing, so it may run on its own thread.
bool GenerateIngameMusic(const std::string& outdir) {
  return WriteOggStereo(outdir + "/sfx/ingamemusic.ogg", RenderIngameMusic(), 0.35f);
}
