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
  for (const char* sub : {"gfx", "sfx", "misc"}) {
    std::filesystem::create_directories(std::filesystem::path(out) / sub, ec);
    if (ec) {
      std::fprintf(stderr, "pfmediagen: cannot create %s/%s: %s\n", out.c_str(), sub, ec.message().c_str());
      return 1;
    }
  }
  bool okimages = true, oksounds = true, okmap = true;
  // Sounds take longest (the music tracks), so they run beside the pictures.
  std::thread soundthread;
  if (only.empty() || only == "sounds") soundthread = std::thread([&] { oksounds = GenerateSounds(out); });
  if (only.empty() || only == "images") okimages = GenerateImages(out);
  if (only.empty() || only == "map") okmap = GenerateBorderMap(out);
  if (soundthread.joinable()) soundthread.join();
  if (!sheet.empty() && okimages && !WriteContactSheet(out, sheet)) okimages = false;
  return okimages && oksounds && okmap ? 0 : 1;
}
