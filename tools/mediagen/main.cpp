// pfmediagen: writes the game's data folder.
//   pfmediagen --out DIR [--contact-sheet FILE] [--only images|sounds|map]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include "mediagen.h"

// Parses the arguments and runs the picture, sound and map generators.
int main(int argc, char** argv) {
  std::string out, sheet, only;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc) out = argv[++i];
    else if (!std::strcmp(argv[i], "--contact-sheet") && i + 1 < argc) sheet = argv[++i];
    else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) only = argv[++i];
    else {
      std::fprintf(stderr, "usage: pfmediagen --out DIR [--contact-sheet FILE] [--only images|sounds|map]\n");
      return 2;
    }
  }
  if (out.empty()) {
    std::fprintf(stderr, "pfmediagen: --out DIR is required\n");
    return 2;
  }
  std::error_code ec;
  for (const char* sub : {"gfx", "sfx", "misc", "icons"}) {
    std::filesystem::create_directories(std::filesystem::path(out) / sub, ec);
    if (ec) {
      std::fprintf(stderr, "pfmediagen: cannot create %s/%s: %s\n", out.c_str(), sub, ec.message().c_str());
      return 1;
    }
  }
  bool okimages = true, okeffects = true, oktitle = true, okingame = true, okmap = true;
  // The two music loops take longest, so each gets a thread of its own while
  // this one draws the pictures and then renders the effects. Every file is
  // written by exactly one job, so the output does not depend on the timing.
  bool sounds = only.empty() || only == "sounds";
  std::thread titlethread, ingamethread;
  if (sounds) {
    titlethread = std::thread([&] { oktitle = GenerateTitleMusic(out); });
    ingamethread = std::thread([&] { okingame = GenerateIngameMusic(out); });
  }
  if (only.empty() || only == "images") okimages = GenerateImages(out);
  if (only.empty() || only == "map") okmap = GenerateBorderMap(out);
  if (only.empty() || only == "images") okimages = GenerateIcons(out) && okimages;
  if (sounds) okeffects = GenerateEffectSounds(out);
  if (titlethread.joinable()) titlethread.join();
  if (ingamethread.joinable()) ingamethread.join();
  bool oksounds = okeffects && oktitle && okingame;
  if (!sheet.empty() && okimages && !WriteContactSheet(out, sheet)) okimages = false;
  return okimages && oksounds && okmap ? 0 : 1;
}
