// Fuzz target: a ".pfr" replay file, watched from the high-score table as a
// player would. Whatever the bytes, the file is refused with a message, or
// its settings are taken, its stars made and its first ticks played back
// through the real frame loop's ticks, in bounded time and memory; then the
// watcher leaves with Escape and the player's own settings are back.
#include <cstring>
#include <vector>

#include "app/frame_loop.h"
#include "app/replay.h"
#include "app/replay_run.h"
#include "frontend/frontend.h"
#include "frontend/menus.h"
#include "platform/compress.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "playfield/grid.h"
#include "playfield/playfield.h"
#include "playfield/stars.h"
#include "services/config.h"
#include "services/draw.h"
#include "tests/fuzz/fuzz_support.h"

namespace {
// Ticks of a replay played back per input: two checkpoints' worth.
constexpr int kPlayTicks = 2 * REPLAY_CHECK_EVERY;
// Ticks in the front end after leaving, so the table it returns to opens.
constexpr int kAfterTicks = 3;
constexpr const char* kFile = "replays/input.pfr";

// The tick of the frame loop, input taken as seen, as LoopPass runs it.
void Ticks(int n) {
  for (int i = 0; i < n; i++) FrameDispatch();
}
}  // namespace

#ifdef PULSEFIELD_LIBFUZZER
// The body is packed, so changed bytes of a file nearly always fail its
// check and test nothing past it. Half the mutations therefore unpack the
// body, change the tick records, count the whole records again and pack it
// as the game would; the rest change the file's bytes as they are.
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxsize);

namespace {
// The value sizes of the tick record tags 0..8 (0 is no tag).
constexpr size_t kTagSizes[9] = {0, 2, 8, 1, 1, 5, 6, 8 * RP_COUNT, 0};
constexpr size_t kLengthFields = 8;  // the unpacked and packed lengths

uint32_t Le32(const uint8_t* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }
void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = (uint8_t)(v >> (8 * i));
}

// The whole tick records at the start of a body: how many, and where they end.
uint32_t WholeRecords(const std::vector<uint8_t>& body, size_t* end) {
  uint32_t records = 0;
  size_t p = 0;
  *end = 0;
  while (p < body.size()) {
    uint32_t n = 0;
    int shift = 0;
    bool done = false;
    while (p < body.size() && shift < 35) {
      uint8_t b = body[p++];
      n |= (uint32_t)(b & 0x7f) << shift;
      shift += 7;
      if (!(b & 0x80)) {
        done = true;
        break;
      }
    }
    if (!done) return records;
    for (uint32_t i = 0; i < n; i++) {
      if (p >= body.size() || body[p] == 0 || body[p] > 8) return records;
      p += 1 + kTagSizes[body[p]];
      if (p > body.size()) return records;
    }
    records++;
    *end = p;
  }
  return records;
}
}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxsize, unsigned int seed) {
  if (seed % 2 == 0 || size < 7) return LLVMFuzzerMutate(data, size, maxsize);
  // Where the tick count and the lengths sit behind the version text and settings.
  size_t ticksat = 7 + (size_t)data[6] + 8 + 2 + 4 * REPLAY_SETTINGS;
  size_t lengthsat = ticksat + 4 + 16;
  if (size < lengthsat + kLengthFields) return LLVMFuzzerMutate(data, size, maxsize);
  uint32_t unpacked = Le32(data + lengthsat), packed = Le32(data + lengthsat + 4);
  size_t bodyat = lengthsat + kLengthFields;
  std::vector<uint8_t> body;
  if (unpacked > REPLAY_MAX_BODY || packed != size - bodyat ||
      !UncompressBytes(data + bodyat, packed, unpacked, body, nullptr))
    return LLVMFuzzerMutate(data, size, maxsize);
  size_t used = body.size();
  body.resize(used * 2 + 64);
  body.resize(LLVMFuzzerMutate(body.data(), used, body.size()));
  size_t end;
  uint32_t ticks = WholeRecords(body, &end);
  body.resize(end);
  std::vector<uint8_t> repacked;
  if (!CompressBytes(body.data(), body.size(), repacked) || bodyat + repacked.size() > maxsize)
    return LLVMFuzzerMutate(data, size, maxsize);
  PutLe32(data + ticksat, ticks);
  PutLe32(data + lengthsat, (uint32_t)body.size());
  PutLe32(data + lengthsat + 4, (uint32_t)repacked.size());
  std::memcpy(data + bodyat, repacked.data(), repacked.size());
  return bodyat + repacked.size();
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    std::filesystem::current_path(FuzzScratch("replay"));
    std::filesystem::create_directories("replays");
    PlatformInit(PlatformKind::Headless);
    HeadlessReleaseAll();
    InitFontWidths();
    SetDefaultConfig();
    DeriveStarCount();
    // An empty border map: the grid and its arena without any tiles.
    static TBank map;
    map.data.assign(1700, 0);
    SetupGrid(&map);
    ReturnToFrontEnd(MenuState::Enter);
    Ticks(kAfterTicks);
    return true;
  }();
  (void)ready;
  WriteInputFile(kFile, data, size);
  int32_t own[REPLAY_SETTINGS], after[REPLAY_SETTINGS];
  CaptureReplaySettings(own);
  std::string why;
  if (!WatchTableReplay(kFile, &why)) {
    FUZZ_CHECK(!why.empty());
    FUZZ_CHECK(!WatchingReplay());
    return 0;
  }
  // The first tick takes the file's settings: ones the game can play with.
  Ticks(1);
  if (WatchingReplay()) {
    int32_t taken[REPLAY_SETTINGS];
    CaptureReplaySettings(taken);
    FUZZ_CHECK(ReplaySettingsPlayable(taken, nullptr));
  }
  Ticks(kPlayTicks - 1);
  if (WatchingReplay()) {
    FUZZ_CHECK(starsetting == 0 || starlist.size() == (size_t)starcount + 1);
    HeadlessSetKey(VK_ESCAPE, 1);
    Ticks(1);
    HeadlessSetKey(VK_ESCAPE, 0);
  }
  FUZZ_CHECK(!WatchingReplay());
  Ticks(kAfterTicks);
  FUZZ_CHECK(gamestate == GameState::FrontEnd);
  CaptureReplaySettings(after);
  FUZZ_CHECK(std::memcmp(own, after, sizeof own) == 0);
  return 0;
}
