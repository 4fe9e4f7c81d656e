// Replay files: recording, packing, checked loading and playback.
//
// Byte layout of a ".pfr" file (little-endian throughout):
//   offset size  value
//   0      4     magic "PFRP"
//   4      2     format version: the oldest that holds what the file records
//                (1, or 2 once a focus loss is recorded); a newer one is refused
//   6      1     L, the length of the game version text (1..32)
//   7      L     the game version text ("v0.97")
//   7+L    8     the generator's state at the start (1 .. 2^31-2)
//   15+L   2     the number of settings S (55 in formats 1 and 2)
//   17+L   4*S   the settings as signed 32-bit values, floats as their bit
//                patterns, in the order of CaptureReplaySettings; each
//                within what the game itself sets (ReplaySettingsPlayable)
//   ...    4     the number of ticks T (1 .. REPLAY_MAX_TICKS, eight hours)
//   ...    8     the final score
//   ...    8     the final play clock in ticks
//   ...    4     U, the unpacked body's length (T .. REPLAY_MAX_BODY)
//   ...    4     P, the packed body's length: exactly the rest of the file
//   ...    P     the body, zlib-packed
// The body holds T tick records. A record is a count N (LEB128, at most
// 1024) then N changes, each a tag byte and its value:
//   1 key        code (1 byte), level (1 byte, 0 or 1)
//   2 pointer    x, y (signed 32-bit each)
//   3 buttons    mouse buttons held (1 byte, bits 1..3)
//   4 joysticks  port count (1 byte, 0..16)
//   5 joybuttons port (1 byte, 0..15), buttons held (32-bit)
//   6 joyaxis    port (1 byte), axis code (1 byte, 0..10), value (float, a
//                number; read as -1..1, all a pad gives)
//   7 checkpoint the state sums after the tick, RP_COUNT 64-bit values
//   8 then       (no value) the changes after it make the levels the tick
//                reads once it has forgotten its taps (the quit prompt's
//                wait for a key to be let go); the next record starts again
//                from the levels before this mark
//   9 focus      (format 2; no value) the window lost the input focus: this
//                tick's TakeFocusLost answers 1 (in play, the game pauses at
//                the quit prompt). An event of its tick, not a level.
// Input changes take effect on the tick of their record; a checkpoint is
// compared after that tick has run. Levels start all up, the pointer at 0,0.
// A build that reads only format 1 refuses a format 2 file as "newer than
// this game reads" and plays every format 1 file as before; this build reads
// both, and refuses tag 9 in a format 1 file.
//
// What a tick reads from outside the game, and why the record is the whole of it:
// - keys, pointer, mouse buttons, joystick buttons and axes: recorded as the
//   levels the tick read (taps counted as down), whatever the pass or the
//   queue of time-stamped presses made of them;
// - focus loss (and a minimised window, which loses it): tag 9 on the tick
//   that took it; the keys it let go of are recorded as levels. A loss
//   reported mid-tick waits for the next tick, so a tick's reads agree;
// - focus gain, restore, a hidden window: only whether the loop sleeps or
//   paints; no tick reads them (the keys a gain lets go of are levels);
// - a close request: ends the program between ticks, at the prompt or in
//   play; the recording ends there with the score and clock of its last tick;
// - joysticks plugged in or out mid-game: a port reads as the recorded
//   readings say, and the count of ports a tick scans (the quit prompt, the
//   wait after it) is the recorded count, never the watcher's pads;
// - a resized or full-screen window: the pointer is recorded in the 800x600
//   picture's pixels, after the window's mapping;
// - the display re-opened (SCREEN MODE): only from the menus, outside a
//   game; the keys it lets go of are levels;
// - the slow-pass catch-up rule (the ticks a pass runs, the one tick after a
//   long stall, a replay watched at 4x): ticks are recorded one by one, so
//   how passes group them does not matter;
// - the settings that change play are in the header; the table's top score
//   is only shown; the clock, sound and picture are never read by a rule.
#include "app/replay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/frame_loop.h"
#include "app/replay_size.h"
#include "enemies/enemies.h"
#include "platform/compress.h"
#include "platform/files.h"
#include "playfield/player.h"
#include "playfield/playfield.h"
#include "services/config.h"
#include "services/random.h"

namespace {

constexpr uint8_t kMagic[4] = {'P', 'F', 'R', 'P'};
constexpr uint32_t kMaxChanges = 1024;
// How far zlib can pack bytes at best (about 1032 to 1), and the few bytes
// of its header and end; a declared body beyond that is a lie.
constexpr uint64_t kMaxPackRatio = 1032, kPackSlack = 64;
enum Tag : uint8_t { TAG_KEY = 1, TAG_POINTER, TAG_BUTTONS, TAG_JOYCOUNT, TAG_JOYBUTTONS, TAG_JOYAXIS, TAG_CHECK, TAG_THEN,
                   TAG_FOCUS };
// The format that brought the focus tag.
constexpr uint16_t kFormatFocus = 2;

// FNV-1a over plain values.
struct Sum {
  uint64_t h = 1469598103934665603ull;
  template <typename T>
  void Add(const T& v) {
    const unsigned char* c = reinterpret_cast<const unsigned char*>(&v);
    for (size_t i = 0; i < sizeof v; i++) h = (h ^ c[i]) * 1099511628211ull;
  }
};

// Appends without allocating once the vector has room.
struct Writer {
  std::vector<uint8_t>& v;
  void U8(uint8_t b) { v.push_back(b); }
  void U16(uint16_t x) { for (int i = 0; i < 2; i++) U8((uint8_t)(x >> (8 * i))); }
  void U32(uint32_t x) { for (int i = 0; i < 4; i++) U8((uint8_t)(x >> (8 * i))); }
  void U64(uint64_t x) { for (int i = 0; i < 8; i++) U8((uint8_t)(x >> (8 * i))); }
  void F32(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    U32(b);
  }
  void Count(uint32_t n) {
    while (n >= 0x80) {
      U8((uint8_t)(n | 0x80));
      n >>= 7;
    }
    U8((uint8_t)n);
  }
};

// Reads within bounds; the first overrun sets ok to false and reads zeros.
struct Reader {
  const uint8_t* p;
  size_t n, pos = 0;
  bool ok = true;
  bool Need(size_t k) {
    if (!ok || n - pos < k) {
      ok = false;
      return false;
    }
    return true;
  }
  uint64_t Le(int bytes) {
    if (!Need((size_t)bytes)) return 0;
    uint64_t x = 0;
    for (int i = 0; i < bytes; i++) x |= (uint64_t)p[pos + i] << (8 * i);
    pos += (size_t)bytes;
    return x;
  }
  uint8_t U8() { return (uint8_t)Le(1); }
  uint16_t U16() { return (uint16_t)Le(2); }
  uint32_t U32() { return (uint32_t)Le(4); }
  uint64_t U64() { return Le(8); }
  float F32() {
    uint32_t b = U32();
    float f;
    std::memcpy(&f, &b, 4);
    return f;
  }
  uint32_t Count() {
    uint32_t v = 0;
    for (int shift = 0; shift < 35 && ok; shift += 7) {
      uint8_t b = U8();
      v |= (uint32_t)(b & 0x7f) << shift;
      if (!(b & 0x80)) return v;
    }
    ok = false;
    return 0;
  }
};

// Applies one tick record to the frame; false with *why for a bad record.
bool ReadTick(Reader& r, uint16_t format, InputFrame& base, InputFrame& then, bool& hasthen, bool& hascheck,
              ReplayCheck& check, std::string* why) {
  auto bad = [&](const std::string& what) {
    if (why) *why = what;
    return false;
  };
  hascheck = false;
  hasthen = false;
  base.focuslost = 0;
  InputFrame* fp = &base;
  uint32_t n = r.Count();
  if (!r.ok) return bad("a tick record is cut short");
  if (n > kMaxChanges) return bad("a tick record claims " + std::to_string(n) + " changes");
  for (uint32_t i = 0; i < n; i++) {
    uint8_t tag = r.U8();
    InputFrame& f = *fp;
    switch (tag) {
      case TAG_KEY: {
        uint8_t code = r.U8(), level = r.U8();
        if (level > 1) return bad("a key level is " + std::to_string(level));
        f.keys[code] = level;
        break;
      }
      case TAG_POINTER:
        f.mousex = (int32_t)r.U32();
        f.mousey = (int32_t)r.U32();
        break;
      case TAG_BUTTONS:
        f.mousebuttons = r.U8();
        if (f.mousebuttons & ~0x0e) return bad("a mouse button mask has unknown bits");
        break;
      case TAG_JOYCOUNT:
        f.joycount = r.U8();
        if (f.joycount > MAX_JOYPORTS) return bad("a joystick count is over " + std::to_string(MAX_JOYPORTS));
        break;
      case TAG_JOYBUTTONS: {
        uint8_t port = r.U8();
        uint32_t b = r.U32();
        if (port >= MAX_JOYPORTS) return bad("a joystick port is out of range");
        f.joy[port].buttons = b;
        break;
      }
      case TAG_JOYAXIS: {
        uint8_t port = r.U8(), axis = r.U8();
        float v = r.F32();
        if (port >= MAX_JOYPORTS || axis >= JOY_AXES) return bad("a joystick axis is out of range");
        if (!std::isfinite(v)) return bad("a joystick axis reads no number");
        f.joy[port].axes[axis] = std::clamp(v, -1.0f, 1.0f);
        break;
      }
      case TAG_CHECK:
        for (uint64_t& s : check.part) s = r.U64();
        hascheck = true;
        break;
      case TAG_FOCUS:
        if (format < kFormatFocus) return bad("a format " + std::to_string(format) + " replay records a focus loss");
        base.focuslost = 1;
        break;
      case TAG_THEN:
        if (hasthen) return bad("a tick record has two \"then\" marks");
        then = base;
        hasthen = true;
        fp = &then;
        break;
      default:
        if (!r.ok) break;
        return bad("a change has the unknown tag " + std::to_string(tag));
    }
    if (!r.ok) return bad("a tick record is cut short");
  }
  return true;
}

void EmptyFrame(InputFrame& f) { f = InputFrame{}; }

}  // namespace

const char* ReplayPartName(int part) {
  static const char* names[RP_COUNT] = {"player", "score", "multiplier", "lives",
                                        "bombs", "enemies", "random generator"};
  return part >= 0 && part < RP_COUNT ? names[part] : "?";
}

void TakeReplayCheck(ReplayCheck* out) {
  Sum p;
  p.Add((int)playermode);
  p.Add(playerx);
  p.Add(playery);
  p.Add(playerdx);
  p.Add(playerdy);
  p.Add(playerrot);
  p.Add(aimang);
  out->part[RP_PLAYER] = p.h;
  out->part[RP_SCORE] = (uint64_t)score;
  out->part[RP_MULTIPLIER] = (uint64_t)multiplier;
  out->part[RP_LIVES] = (uint64_t)(int64_t)lives;
  out->part[RP_BOMBS] = (uint64_t)(int64_t)bombs;
  Sum e;
  e.Add((uint64_t)nmelist.size());  // eight bytes in every build, 32-bit ones too
  for (const tNME& n : nmelist) {
    e.Add(n.t);
    e.Add(n.mode);
    e.Add(n.x);
    e.Add(n.y);
  }
  out->part[RP_ENEMIES] = e.h;
  out->part[RP_GENERATOR] = (uint64_t)RandomState();
}

// The settings in file order; the names and index marks below follow it.
static void SettingSlots(int32_t** ints, float** floats) {
  int i = 0;
  for (int* v : {&controltype, &keyleft, &keyright, &keyup, &keydown, &keyfireleft, &keyfireright,
                 &keyfireup, &keyfiredown, &keybomb})
    ints[i++] = v;
  for (int k = 0; k < 8; k++) ints[i++] = &joyaxis[k];
  for (int k = 0; k < 8; k++) ints[i++] = &joyisbutton[k];
  for (int k = 0; k < 8; k++) ints[i++] = &joyport[k];
  for (int k = 0; k < 8; k++) floats[i++] = &joyrange[k];
  for (int k = 0; k < 4; k++) ints[i++] = &joyfirebutton[k];
  for (int k = 0; k < 4; k++) ints[i++] = &joyfireport[k];
  for (int* v : {&starsetting, &hitscoresetting, &explosionsetting, &gridsetting, &starcount}) ints[i++] = v;
}

namespace {
// Where each group of settings starts in file order.
constexpr int kSlotJoyAxis = 10, kSlotJoyIsButton = 18, kSlotJoyPort = 26, kSlotJoyRange = 34,
              kSlotFireButton = 42, kSlotFirePort = 46, kSlotStarSetting = 50, kSlotStarCount = 54;
// A whole-number setting the game sets itself is one the settings file keeps
// in a byte (the menus and wizards stay inside that too).
constexpr int32_t kSettingMax = 255;
// The STARS settings MEDIUM and HIGH, and the star counts derived from them.
constexpr int32_t kStarSettingMedium = 1, kStarSettingHigh = 2;
constexpr int32_t kMediumStars = 128, kHighStars = 256;

// A setting's name for messages: "key right", "joystick port 3".
std::string SettingName(int slot) {
  static const char* single[] = {"control type", "key left",      "key right",     "key up",
                                 "key down",     "key fire left", "key fire right", "key fire up",
                                 "key fire down", "key bomb"};
  static const char* details[] = {"star setting", "hit score setting", "explosion setting", "grid setting",
                                  "star count"};
  struct Group {
    int from;
    const char* name;
  };
  static const Group groups[] = {{kSlotJoyAxis, "joystick axis"},     {kSlotJoyIsButton, "joystick button flag"},
                                 {kSlotJoyPort, "joystick port"},     {kSlotJoyRange, "joystick range"},
                                 {kSlotFireButton, "fire button"},    {kSlotFirePort, "fire button port"}};
  if (slot < kSlotJoyAxis) return single[slot];
  if (slot >= kSlotStarSetting) return details[slot - kSlotStarSetting];
  int g = 0;
  while (g + 1 < (int)(sizeof groups / sizeof groups[0]) && slot >= groups[g + 1].from) g++;
  return std::string(groups[g].name) + " " + std::to_string(slot - groups[g].from);
}
}  // namespace

bool ReplaySettingsPlayable(const int32_t* in, std::string* why) {
  auto bad = [&](const std::string& what) {
    if (why) *why = what;
    return false;
  };
  for (int i = 0; i < REPLAY_SETTINGS; i++) {
    // The ranges are floats of any value, as a settings file may hold them.
    if (i >= kSlotJoyRange && i < kSlotFireButton) continue;
    if (i == kSlotStarCount) continue;
    if (in[i] < 0 || in[i] > kSettingMax)
      return bad("the replay's " + SettingName(i) + " is " + std::to_string(in[i]) + ", outside 0.." +
                 std::to_string(kSettingMax));
  }
  int32_t stars = in[kSlotStarCount], setting = in[kSlotStarSetting];
  if (stars != kMediumStars && stars != kHighStars)
    return bad("the replay's star count is " + std::to_string(stars) + ", not " + std::to_string(kMediumStars) +
               " or " + std::to_string(kHighStars) + " as the star setting makes it");
  if ((setting == kStarSettingMedium && stars != kMediumStars) || (setting == kStarSettingHigh && stars != kHighStars))
    return bad("the replay's star count is " + std::to_string(stars) + ", which the star setting " +
               std::to_string(setting) + " never makes");
  return true;
}

void CaptureReplaySettings(int32_t* out) {
  int32_t* ints[REPLAY_SETTINGS] = {};
  float* floats[REPLAY_SETTINGS] = {};
  SettingSlots(ints, floats);
  for (int i = 0; i < REPLAY_SETTINGS; i++) {
    if (ints[i]) out[i] = *ints[i];
    else std::memcpy(&out[i], floats[i], 4);
  }
}

void ApplyReplaySettings(const int32_t* in) {
  int32_t* ints[REPLAY_SETTINGS] = {};
  float* floats[REPLAY_SETTINGS] = {};
  SettingSlots(ints, floats);
  for (int i = 0; i < REPLAY_SETTINGS; i++) {
    if (ints[i]) *ints[i] = in[i];
    else std::memcpy(floats[i], &in[i], 4);
  }
}

bool EncodeReplay(const Replay& r, std::vector<uint8_t>& out) {
  std::vector<uint8_t> packed;
  if (!CompressBytes(r.body.data(), r.body.size(), packed)) return false;
  out.clear();
  Writer w{out};
  for (uint8_t b : kMagic) w.U8(b);
  w.U16(r.format);
  std::string v = r.gameversion.substr(0, 32);
  w.U8((uint8_t)v.size());
  for (char c : v) w.U8((uint8_t)c);
  w.U64((uint64_t)r.startstate);
  w.U16(REPLAY_SETTINGS);
  for (int32_t s : r.settings) w.U32((uint32_t)s);
  w.U32(r.ticks);
  w.U64((uint64_t)r.finalscore);
  w.U64((uint64_t)r.finalclock);
  w.U32((uint32_t)r.body.size());
  w.U32((uint32_t)packed.size());
  out.insert(out.end(), packed.begin(), packed.end());
  return true;
}

bool DecodeReplayHeader(const uint8_t* data, size_t n, Replay& out, size_t* bodyat, uint32_t* bodylength,
                        std::string* why) {
  auto bad = [&](const std::string& what) {
    if (why) *why = what;
    return false;
  };
  if (n == 0) return bad("the file is empty");
  Reader r{data, n};
  uint8_t magic[4];
  for (uint8_t& b : magic) b = r.U8();
  if (!r.ok) return bad("the file is too short to be a replay (" + std::to_string(n) + " bytes)");
  if (std::memcmp(magic, kMagic, 4) != 0) return bad("the file is not a Pulsefield replay (wrong magic)");
  uint16_t format = r.U16();
  if (!r.ok) return bad("the replay's header is cut short");
  if (format > REPLAY_FORMAT)
    return bad("the replay has format " + std::to_string(format) + ", newer than this game reads (" +
               std::to_string(REPLAY_FORMAT) + ")");
  if (format == 0) return bad("the replay has format 0, which does not exist");
  uint8_t vlen = r.U8();
  if (r.ok && (vlen == 0 || vlen > 32)) return bad("the replay's game version text is " + std::to_string(vlen) + " bytes long");
  std::string version;
  if (r.Need(vlen)) {
    version.assign(reinterpret_cast<const char*>(data + r.pos), vlen);
    r.pos += vlen;
  }
  for (char c : version)
    if (c < 0x20 || c > 0x7e) return bad("the replay's game version text is not plain text");
  int64_t state = (int64_t)r.U64();
  uint16_t nsettings = r.U16();
  if (!r.ok) return bad("the replay's header is cut short");
  if (state < 1 || state >= 0x7fffffff) return bad("the replay's starting generator state is out of range");
  if (nsettings != REPLAY_SETTINGS)
    return bad("the replay holds " + std::to_string(nsettings) + " settings, not " + std::to_string(REPLAY_SETTINGS));
  Replay rep;
  rep.gameversion = version;
  rep.startstate = state;
  for (int32_t& s : rep.settings) s = (int32_t)r.U32();
  rep.format = format;
  rep.ticks = r.U32();
  rep.finalscore = (int64_t)r.U64();
  rep.finalclock = (int64_t)r.U64();
  uint32_t unpacked = r.U32(), packed = r.U32();
  if (!r.ok) return bad("the replay's header is cut short");
  // Every game records its first tick, and none records more than the cap.
  if (rep.ticks == 0) return bad("the replay holds no ticks");
  if (rep.ticks > REPLAY_MAX_TICKS)
    return bad("the replay holds " + std::to_string(rep.ticks) + " ticks, more than the " +
               std::to_string(REPLAY_MAX_TICKS) + " (eight hours) a replay may hold");
  // A tick record is one byte at least.
  if (unpacked < rep.ticks)
    return bad("the replay's body of " + std::to_string(unpacked) + " bytes cannot hold its " +
               std::to_string(rep.ticks) + " ticks");
  if (unpacked > REPLAY_MAX_BODY)
    return bad("the replay declares a body of " + std::to_string(unpacked) + " bytes, more than the " +
               std::to_string(REPLAY_MAX_BODY) + " a replay may have");
  if (packed != n - r.pos) {
    if (packed > n - r.pos)
      return bad("the replay is truncated: its body should be " + std::to_string(packed) + " bytes, the file holds " +
                 std::to_string(n - r.pos));
    return bad("the replay has " + std::to_string(n - r.pos - packed) + " stray bytes after its body");
  }
  std::string swhy;
  if (!ReplaySettingsPlayable(rep.settings, &swhy)) return bad(swhy);
  // zlib packs at most 1032 bytes into one, so a small file cannot make a
  // large body: the size is refused before any memory is set aside for it.
  if (unpacked > (uint64_t)packed * kMaxPackRatio + kPackSlack)
    return bad("the replay declares a body of " + std::to_string(unpacked) + " bytes, more than its " +
               std::to_string(packed) + " packed bytes can hold");
  *bodyat = r.pos;
  *bodylength = unpacked;
  out = std::move(rep);
  return true;
}

bool DecodeReplay(const uint8_t* data, size_t n, Replay& out, std::string* why) {
  auto bad = [&](const std::string& what) {
    if (why) *why = what;
    return false;
  };
  Replay rep;
  size_t bodyat = 0;
  uint32_t unpacked = 0;
  if (!DecodeReplayHeader(data, n, rep, &bodyat, &unpacked, why)) return false;
  uint16_t format = rep.format;
  std::string zwhy;
  if (!UncompressBytes(data + bodyat, n - bodyat, unpacked, rep.body, &zwhy))
    return bad("the replay's body: " + zwhy);
  // Every tick record must read cleanly, so playback never meets a bad one.
  Reader b{rep.body.data(), rep.body.size()};
  InputFrame f, then;
  EmptyFrame(f);
  bool hascheck, hasthen;
  ReplayCheck check;
  for (uint32_t t = 0; t < rep.ticks; t++) {
    std::string twhy;
    if (!ReadTick(b, format, f, then, hasthen, hascheck, check, &twhy))
      return bad("tick " + std::to_string(t + 1) + ": " + twhy);
  }
  if (b.pos != b.n) return bad("the replay's body holds more than its " + std::to_string(rep.ticks) + " ticks");
  out = std::move(rep);
  return true;
}

bool LoadReplay(const std::string& path, Replay& out, std::string* why, std::string* reason) {
  std::vector<uint8_t> bytes;
  std::string rwhy;
  FileStatus st;
  // No bigger than the largest file the game can make: the same cap a sender and the board use.
  if (!ReadFileBytes(path, kMaxUploadBytes, bytes, &st, &rwhy)) {
    if (why) *why = "cannot read the replay \"" + path + "\": " + rwhy;
    if (reason) *reason = rwhy;
    return false;
  }
  std::string dwhy;
  if (!DecodeReplay(bytes.data(), bytes.size(), out, &dwhy)) {
    if (why) *why = "the replay \"" + path + "\" cannot be played: " + dwhy;
    if (reason) *reason = dwhy;
    return false;
  }
  return true;
}

bool SaveReplay(const std::string& path, const Replay& r, std::string* why) {
  std::vector<uint8_t> bytes;
  if (!EncodeReplay(r, bytes)) {
    if (why) *why = "the replay could not be compressed";
    return false;
  }
  return SaveFileAtomically(
      path,
      [](TStream* s, void* ctx) {
        for (uint8_t b : *static_cast<std::vector<uint8_t>*>(ctx)) WriteByte(s, b);
      },
      &bytes, why);
}

void ReplayRecorder::Begin() {
  replay_.format = 1;
  replay_.gameversion = version;
  replay_.startstate = RandomState();
  CaptureReplaySettings(replay_.settings);
  replay_.ticks = 0;
  replay_.finalscore = replay_.finalclock = 0;
  replay_.body.clear();
  replay_.body.reserve(1 << 20);
  EmptyFrame(last_);
  recording_ = true;
  full_ = false;
}

// Writes the changes from one frame to another; returns how many.
static uint32_t WriteChanges(Writer& w, const InputFrame& from, const InputFrame& to) {
  uint32_t n = 0;
  for (int c = 0; c < 256; c++)
    if (to.keys[c] != from.keys[c]) {
      w.U8(TAG_KEY);
      w.U8((uint8_t)c);
      w.U8(to.keys[c] ? 1 : 0);
      n++;
    }
  if (to.mousex != from.mousex || to.mousey != from.mousey) {
    w.U8(TAG_POINTER);
    w.U32((uint32_t)to.mousex);
    w.U32((uint32_t)to.mousey);
    n++;
  }
  if (to.mousebuttons != from.mousebuttons) {
    w.U8(TAG_BUTTONS);
    w.U8(to.mousebuttons);
    n++;
  }
  if (to.joycount != from.joycount) {
    w.U8(TAG_JOYCOUNT);
    w.U8(to.joycount);
    n++;
  }
  for (int p = 0; p < MAX_JOYPORTS; p++) {
    if (to.joy[p].buttons != from.joy[p].buttons) {
      w.U8(TAG_JOYBUTTONS);
      w.U8((uint8_t)p);
      w.U32(to.joy[p].buttons);
      n++;
    }
    for (int a = 0; a < JOY_AXES; a++)
      if (std::memcmp(&to.joy[p].axes[a], &from.joy[p].axes[a], sizeof(float)) != 0) {
        w.U8(TAG_JOYAXIS);
        w.U8((uint8_t)p);
        w.U8((uint8_t)a);
        w.F32(to.joy[p].axes[a]);
        n++;
      }
  }
  return n;
}

// Field by field: a frame's padding bytes hold nothing.
static bool SameFrame(const InputFrame& a, const InputFrame& b) {
  if (std::memcmp(a.keys, b.keys, sizeof a.keys) != 0 || a.mousex != b.mousex || a.mousey != b.mousey ||
      a.mousebuttons != b.mousebuttons || a.joycount != b.joycount)
    return false;
  for (int p = 0; p < MAX_JOYPORTS; p++)
    if (a.joy[p].buttons != b.joy[p].buttons ||
        std::memcmp(a.joy[p].axes, b.joy[p].axes, sizeof a.joy[p].axes) != 0)
      return false;
  return true;
}

void ReplayRecorder::TickStart() {
  if (!recording_) return;
  InputPump();  // what the tick's first read will take in
  InputCaptureFrame(&start_);
}

void ReplayRecorder::TickEnd() {
  if (!recording_ || full_) return;
  InputFrame end;
  InputCaptureFrame(&end);
  std::vector<uint8_t>& v = replay_.body;
  size_t countat = v.size();
  v.push_back(0);  // the count, patched below
  Writer w{v};
  uint32_t n = WriteChanges(w, last_, start_);
  if (end.focuslost) {
    w.U8(TAG_FOCUS);
    n++;
    replay_.format = kFormatFocus;
  }
  if (!SameFrame(end, start_)) {
    w.U8(TAG_THEN);
    n += 1 + WriteChanges(w, start_, end);
  }
  replay_.ticks++;
  if (replay_.ticks % REPLAY_CHECK_EVERY == 0) {
    ReplayCheck c;
    TakeReplayCheck(&c);
    w.U8(TAG_CHECK);
    for (uint64_t s : c.part) w.U64(s);
    n++;
  }
  if (n < 0x80) {
    v[countat] = (uint8_t)n;
  } else {
    uint8_t wide[5];
    int len = 0;
    for (uint32_t x = n;; x >>= 7) {
      wide[len++] = (uint8_t)((x >= 0x80 ? 0x80 : 0) | (x & 0x7f));
      if (x < 0x80) break;
    }
    v[countat] = wide[0];
    v.insert(v.begin() + (ptrdiff_t)countat + 1, wide + 1, wide + len);
  }
  last_ = start_;
  // At the cap the recording ends with the game as it stands; play goes on.
  if (replay_.ticks == REPLAY_MAX_TICKS) {
    full_ = true;
    replay_.finalscore = score;
    replay_.finalclock = gameclock;
  }
}

void ReplayRecorder::End(int64_t finalscore, int64_t finalclock) {
  if (!full_) {
    replay_.finalscore = finalscore;
    replay_.finalclock = finalclock;
  }
  recording_ = false;
}

void ReplayPlayer::Begin() {
  SeedRandom(r_.startstate);
  ApplyReplaySettings(r_.settings);
  EmptyFrame(frame_);
  pos_ = 0;
  tick_ = 0;
  InputFeedFrame(&frame_);
}

bool ReplayPlayer::BeforeTick() {
  if (tick_ >= r_.ticks) return false;
  Reader rd{r_.body.data(), r_.body.size(), pos_};
  // The records were all checked at load.
  bool hasthen;
  if (!ReadTick(rd, r_.format, frame_, then_, hasthen, hascheck_, check_, nullptr)) return false;
  pos_ = rd.pos;
  tick_++;
  InputFeedFrame(&frame_, hasthen ? &then_ : nullptr);
  return true;
}

bool ReplayPlayer::AfterTick(std::string* why) {
  if (!hascheck_) return true;
  ReplayCheck now;
  TakeReplayCheck(&now);
  for (int p = 0; p < RP_COUNT; p++)
    if (now.part[p] != check_.part[p]) {
      if (why) *why = "desync at tick " + std::to_string(tick_) + ": the " + ReplayPartName(p) + " differs";
      return false;
    }
  return true;
}

void ReplayPlayer::End() { InputFeedFrame(nullptr); }
