// Every picture the game loads, in loading order: the name of its global
// (name + "img"), its file stem under data\gfx\, its cells and its load
// flags. The game, the media generator and the tests all walk this list.
#pragma once
#include <iterator>
#include <string_view>

// Load flags of a picture; these match the renderer's IMG_ bits.
inline constexpr int kPictureDefaultFlags = -1;  // the renderer's default (filtered, mipmapped)
inline constexpr int kPictureMasked = 1;         // crisp: masked, no filtering
inline constexpr int kPictureFiltered = 2;       // filtered without mipmaps

// PICTURE(name, stem, cellw, cellh, count, flags): cells of cellw by cellh,
// count of them; 0, 0, 0 for a single frame, the whole picture.
#define PULSEFIELD_PICTURES(PICTURE)                                       \
  PICTURE(titlelogo, "titlelogo", 0, 0, 0, kPictureDefaultFlags)           \
  PICTURE(font, "font", 32, 32, 100, kPictureDefaultFlags)                 \
  PICTURE(fontsmall, "fontsmall", 8, 8, 768, kPictureMasked)               \
  PICTURE(menubar, "menubar01", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(white, "white", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(white2, "white2", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(score, "score", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(scorehigh, "scorehigh", 0, 0, 0, kPictureDefaultFlags)           \
  PICTURE(scorenumos, "scorenumos", 8, 16, 10, kPictureDefaultFlags)       \
  PICTURE(scorebomb, "scorebomb", 0, 0, 0, kPictureDefaultFlags)           \
  PICTURE(multiplier, "multiplier", 152, 32, 9, kPictureDefaultFlags)      \
  PICTURE(border01, "border01", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(border02, "border02", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(border03, "border03", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(border04, "border04", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(border05, "border05", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(border06, "border06", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(border07, "border07c", 0, 0, 0, kPictureDefaultFlags)            \
  PICTURE(border08, "border08", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(border09, "border09", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(star01, "star01", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(star02, "star02", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(star03, "star03", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(player, "player", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(playersight, "playersight", 0, 0, 0, kPictureDefaultFlags)       \
  PICTURE(playershield, "playershield", 0, 0, 0, kPictureDefaultFlags)     \
  PICTURE(playerrez01, "playerrez01", 0, 0, 0, kPictureDefaultFlags)       \
  PICTURE(playerrez02, "playerrez02", 0, 0, 0, kPictureDefaultFlags)       \
  PICTURE(playerrez03, "playerrez03", 0, 0, 0, kPictureDefaultFlags)       \
  PICTURE(playerrez04, "playerrez04", 0, 0, 0, kPictureDefaultFlags)       \
  PICTURE(playerrez05, "playerrez05", 0, 0, 0, kPictureFiltered)           \
  PICTURE(thrust, "thrust02", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(bomb, "bomb01", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(playerbullet, "playerbullet01", 0, 0, 0, kPictureDefaultFlags)   \
  PICTURE(part01, "part01", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(part02, "part02", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(nme01, "nme01", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme02, "nme02", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme03, "nme03", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme04, "nme04", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme05, "nme05", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme06, "nme06", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme07, "nme07", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme07b, "nme07b", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(nme08, "nme08", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme09, "nme09", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme09shield, "nme09shield", 48, 48, 4, kPictureDefaultFlags)     \
  PICTURE(nme10, "nme10", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(nme10b, "nme10b", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(nme10c, "nme10c", 0, 0, 0, kPictureDefaultFlags)                 \
  PICTURE(partex01, "partex01", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(partex02, "partex02", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(awdpansy, "awdpansy", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(awdsucker, "awdsucker", 0, 0, 0, kPictureDefaultFlags)           \
  PICTURE(awd100t, "awd100t", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(awd250t, "awd250t", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(awd500t, "awd500t", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(awd1000t, "awd1000t", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(awd100c, "awd100c", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(awd250c, "awd250c", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(awd500c, "awd500c", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(awd1000c, "awd1000c", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(awdquarter, "awdquarter", 0, 0, 0, kPictureDefaultFlags)         \
  PICTURE(awdmulti, "awdmulti", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(awdskill, "awdskill", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(awdnoshoot, "awdnoshoot", 0, 0, 0, kPictureDefaultFlags)         \
  PICTURE(qvobg, "qvobg", 0, 0, 0, kPictureDefaultFlags)                   \
  PICTURE(qvozarq, "qvozarq", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(qvozorv, "qvozorv", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(qvoline, "qvoline", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(qvocover, "qvocover", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(qvoshine, "qvoshine", 0, 0, 0, kPictureDefaultFlags)             \
  PICTURE(kelvarc, "kelvarc", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(kelvarcmask, "kelvarcmask", 0, 0, 0, kPictureDefaultFlags)       \
  PICTURE(kelvane, "kelvane", 0, 0, 0, kPictureDefaultFlags)               \
  PICTURE(kelvtext, "kelvtext", 0, 0, 0, kPictureDefaultFlags)

// One picture of the list as plain data.
struct PictureEntry {
  const char* name;  // the game's global is name + "img"
  const char* stem;  // file name without ".png"
  int cellw, cellh, count;  // count 0: one frame, the whole picture
  int flags;
};

#define PULSEFIELD_PICTURE_ENTRY(name, stem, cellw, cellh, count, flags) {#name, stem, cellw, cellh, count, flags},
inline constexpr PictureEntry kPictures[] = {PULSEFIELD_PICTURES(PULSEFIELD_PICTURE_ENTRY)};
#undef PULSEFIELD_PICTURE_ENTRY
inline constexpr int kPictureCount = int(std::size(kPictures));

// The title logo comes first: it is the loading screen for all the others.
static_assert(std::string_view(kPictures[0].name) == "titlelogo");

// The index in kPictures of the picture with this stem, or -1.
constexpr int PictureOfStem(std::string_view stem) {
  for (int i = 0; i < kPictureCount; i++)
    if (stem == kPictures[i].stem) return i;
  return -1;
}
