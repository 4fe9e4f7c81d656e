// Fuzz target: PNG pictures through the game's own loader, whole and cut
// into cells as the catalogue cuts them. A picture either loads within the
// size the game takes or is refused with a reason.
#include <memory>
#include <vector>

#include "platform/media_checks.h"
#include "platform/render.h"
#include "tests/fuzz/fuzz_support.h"

// Checks a loaded image's frames against its size.
static void CheckImage(const TImage* img) {
  FUZZ_CHECK(img->width > 0 && img->width <= 4096 && img->height > 0 && img->height <= 4096);
  for (const auto& px : img->pixmaps) FUZZ_CHECK(px.size() == (size_t)img->width * img->height * 4);
  FUZZ_CHECK(img->frames.size() == img->pixmaps.size());
}

// The input with every whole chunk's CRC made good, so that mutations get
// past the loader's CRC check to the decoder behind it.
static std::vector<uint8_t> WithGoodCrcs(const uint8_t* data, size_t size) {
  std::vector<uint8_t> png(data, data + size);
  for (size_t at = 8; at + 12 <= size;) {
    const size_t length = size_t(png[at]) << 24 | size_t(png[at + 1]) << 16 | size_t(png[at + 2]) << 8 | png[at + 3];
    if (length > size - at - 12) break;
    const uint32_t crc = PNGCrc(png.data() + at + 4, 4 + length);
    for (int i = 0; i < 4; i++) png[at + 8 + length + i] = uint8_t(crc >> (24 - 8 * i));
    at += 12 + length;
  }
  return png;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* rawdata, size_t size) {
  // Inputs of an even size are taken as they are, the others with good CRCs.
  const std::vector<uint8_t> mended = size % 2 ? WithGoodCrcs(rawdata, size) : std::vector<uint8_t>();
  const uint8_t* data = size % 2 ? mended.data() : rawdata;
  std::string why;
  std::unique_ptr<TImage> whole(LoadImageCellsFromMemory(data, size, 0, 0, 0, 1, IMG_MASKED, &why));
  if (!whole) {
    FUZZ_CHECK(!why.empty());
    return 0;
  }
  CheckImage(whole.get());
  FUZZ_CHECK(whole->FrameCount() == 1);
  // Cells as the font and the score digits are cut: as many as fit, masked.
  int across = whole->width / 8, down = whole->height / 8;
  if (across * down > 0) {
    std::unique_ptr<TImage> cells(
        LoadImageCellsFromMemory(data, size, 8, 8, 0, std::min(across * down, 64), IMG_MASKED, &why));
    FUZZ_CHECK(cells != nullptr);
    CheckImage(cells.get());
  }
  std::unique_ptr<TImage> toomany(LoadImageCellsFromMemory(data, size, 8, 8, 0, across * down + 1, 0, &why));
  FUZZ_CHECK(toomany == nullptr && !why.empty());
  return 0;
}
