// The generator's view of the game's picture list: each picture with the
// maker that draws it and the tint the contact sheet shows it in.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "raster.h"

struct CataloguePicture {
  std::string stem;         // file name without ".png"
  int cellw, cellh, count;  // cells; count 0 means one frame, the whole picture
  std::function<Image()> make;
  int tr, tg, tb;  // the colour the game usually draws it with (for the sheet)
};

// Every picture of the game's list, in its order, with its maker. False after
// printing a reason when a picture has no maker or a maker has no picture.
bool PictureCatalogue(std::vector<CataloguePicture>& out);
