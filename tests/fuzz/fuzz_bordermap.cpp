// Fuzz target: the arena's border map, "data/misc/BGmap.bnk". Any file
// either loads as a 1700-byte map or is refused with a reason; a loaded map
// builds the grid and paints only border tiles, wherever the camera is.
#include <algorithm>

#include "platform/files.h"
#include "playfield/grid.h"
#include "playfield/playfield.h"
#include "services/draw.h"
#include "services/media.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string d = FuzzScratch("bordermap");
    std::filesystem::create_directories(d + "/misc");
    SetDataDir(d);
    // One small picture for each tile image, so that a draw of anything
    // else shows up.
    const uint8_t px[4] = {255, 255, 255, 255};
    for (TImage** img : {&border01img, &border02img, &border03img, &border04img, &border05img,
                         &border06img, &border07img, &border08img, &border09img})
      *img = CreateImageFromPixels(1, 1, px, true, 0);
    return d;
  }();
  WriteInputFile(dir + "/misc/BGmap.bnk", data, size);
  std::string why;
  TBank* map = LoadBorderMap(&why);
  if (!map) {
    FUZZ_CHECK(size < 1700);
    FUZZ_CHECK(why.find("BGmap.bnk") != std::string::npos);
    return 0;
  }
  FUZZ_CHECK(size >= 1700 && map->Size() == 1700);
  FUZZ_CHECK(std::equal(map->data.begin(), map->data.end(), data));
  TBank* old = bgmap;
  SetupGrid(map);
  delete old;
  const TImage* tiles[] = {border01img, border02img, border03img, border04img, border05img,
                           border06img, border07img, border08img, border09img};
  for (float x : {-100.0f, 0.0f, 800.0f, 1700.0f})
    for (float y : {-100.0f, 0.0f, 600.0f, 1200.0f}) {
      camx = x;
      camy = y;
      ClearDrawList();
      DrawBorder();
      for (const tDRAW& d : drawlist) FUZZ_CHECK(std::find(std::begin(tiles), std::end(tiles), d.img) != std::end(tiles));
    }
  return 0;
}
