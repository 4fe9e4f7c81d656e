// The media generator: draws every picture and synthesises every sound of the
// game, deterministically, into a data folder (gfx/, sfx/, misc/).
#pragma once
#include <string>

// Writes every PNG into outdir/gfx; returns false after printing a reason.
bool GenerateImages(const std::string& outdir);
// Writes one PNG showing every frame of every image on black, labelled.
bool WriteContactSheet(const std::string& outdir, const std::string& sheetpath);
// Writes every Ogg Vorbis file into outdir/sfx.
bool GenerateSounds(const std::string& outdir);
// Writes outdir/misc/BGmap.bnk.
bool GenerateBorderMap(const std::string& outdir);
