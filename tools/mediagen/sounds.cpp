// The sound half of the media generator: renders every effect, the intro
// sounds and the two music loops, and writes them as Ogg Vorbis into sfx/.
#include <cstdio>
#include "mediagen.h"
#include "music.h"
#include "ogg_writer.h"
#include "synth_fx.h"

// Writes every Ogg Vorbis file into outdir/sfx; false after the first failure.
bool GenerateSounds(const std::string& outdir) {
  const std::string dir = outdir + "/sfx/";
  for (const EffectSound& e : RenderEffects()) {
    if (!WriteOggMono(dir + e.name + ".ogg", e.samples, 0.4f)) return false;
  }
  Stereo title = RenderTitleMusic();
  if (!WriteOggStereo(dir + "titlemusic.ogg", title, 0.35f)) return false;
  Stereo ingame = RenderIngameMusic();
  if (!WriteOggStereo(dir + "ingamemusic.ogg", ingame, 0.35f)) return false;
  return true;
}
