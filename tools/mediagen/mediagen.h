// The media generator: draws every picture and synthesises every sound of the
// game, deterministically, into a data folder (gfx/, sfx/, misc/).
#pragma once
#include <string>

// Writes every PNG into outdir/gfx; returns false after printing a reason.
bool GenerateImages(const std::string& outdir);
// Writes one PNG showing every frame of every image on black, labelled.
bool WriteContactSheet(const std::string& outdir, const std::string& sheetpath);
// Writes every effect and intro sound as Ogg Vorbis into outdir/sfx.
bool GenerateEffectSounds(const std::string& outdir);
// Writes the title music loop into outdir/sfx.
bool GenerateTitleMusic(const std::string& outdir);
// Writes the in-game music loop into outdir/sfx.
bool GenerateIngameMusic(const std::string& outdir);
// Writes outdir/misc/BGmap.bnk.
bool GenerateBorderMap(const std::string& outdir);
// The program's icon at every size the desktop uses, into outdir/icons.
inline constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};
bool GenerateIcons(const std::string& outdir);
