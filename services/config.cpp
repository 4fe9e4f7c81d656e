// Player settings and "config.dat" (little-endian; floats IEEE single,
// least significant byte first). The file is L + 72 bytes, L the name length.
#include "services/config.h"

#include <cmath>
#include <cstdio>

#include "platform/files.h"
#include "services/draw.h"
#include "services/player_file.h"

int screenmode;
int controltype;
int keyleft, keyright, keyup, keydown;
int keyfireleft, keyfireright, keyfireup, keyfiredown, keybomb;
std::string lastname;
int joyaxis[8];
int joyisbutton[8];
int joyport[8];
float joyrange[8];
float musicvolume;
float fxvolume;
int graphicsdriver;
int starsetting;
int hitscoresetting;
int explosionsetting;
int gridsetting;
int joyfirebutton[4];
int joyfireport[4];
int starcount = 256;

static PlayerFile configfile{"config.dat", "settings", "playing with the defaults", false, {}};

// The name entry takes what fits in 496 pixels of the font, and no glyph
// advances less than a pixel: a longer stored name is cut to this many bytes.
static constexpr size_t kMaxNameBytes = 496;

// Set when "config.dat" exists but could not be read: the file is then left
// alone at quit rather than replaced by the defaults this run played with.

// Every setting at its default.
void SetDefaultConfig() {
  screenmode = 0;
  controltype = 0;
  keyleft = 65;
  keyright = 68;
  keyup = 87;
  keydown = 83;
  keyfireleft = 100;
  keyfireright = 102;
  keyfireup = 104;
  keyfiredown = 101;
  keybomb = 32;
  lastname.clear();
  static const int axes[8] = {7, 8, 4, 2, 10, 7, 0, 0};
  for (int i = 0; i < 8; i++) {
    joyaxis[i] = axes[i];
    joyisbutton[i] = 0;
    joyport[i] = 0;
    joyrange[i] = 1.0f;
  }
  joyisbutton[5] = 1;
  musicvolume = 0.5f;
  fxvolume = 1.0f;
  graphicsdriver = 1;
  starsetting = 2;
  hitscoresetting = 1;
  explosionsetting = 2;
  gridsetting = 1;
  static const int firebuttons[4] = {3, 0, 2, 1};
  for (int i = 0; i < 4; i++) {
    joyfirebutton[i] = firebuttons[i];
    joyfireport[i] = 0;
  }
}

// How a field is stored: one byte per value, four bytes per float, or a
// line of text ended by 13 and 10.
enum class FieldKind { Byte, Float, Line };

// One field of the file: count values of one kind from the global at "at"
// (an int array for Byte, a float array for Float, the std::string for Line).
struct ConfigField {
  FieldKind kind;
  void* at;
  int count;
};

static constexpr ConfigField Bytes(int* at, int count = 1) { return {FieldKind::Byte, at, count}; }
static constexpr ConfigField Floats(float* at, int count = 1) { return {FieldKind::Float, at, count}; }
static constexpr ConfigField Line(std::string* at) { return {FieldKind::Line, at, 1}; }

// Joystick controls 0 to 5 are saved (6 and 7 never are); only the bomb and
// start controls (4 and 5) may be buttons, so only their two flags are saved.
static constexpr int kSavedJoyControls = 6;
static constexpr int kJoyBombControl = 4;
static constexpr int kJoyButtonControls = 2;
static constexpr int kFireButtons = 4;

// Every field of the file, in file order.
static constexpr ConfigField configfields[] = {
    Bytes(&screenmode),
    Bytes(&controltype),
    Bytes(&keyleft),
    Bytes(&keyright),
    Bytes(&keyup),
    Bytes(&keydown),
    Bytes(&keyfireleft),
    Bytes(&keyfireright),
    Bytes(&keyfireup),
    Bytes(&keyfiredown),
    Bytes(&keybomb),
    Line(&lastname),
    Bytes(joyaxis, kSavedJoyControls),
    Bytes(&joyisbutton[kJoyBombControl], kJoyButtonControls),
    Bytes(joyport, kSavedJoyControls),
    Floats(joyrange, kSavedJoyControls),
    Floats(&musicvolume),
    Floats(&fxvolume),
    Bytes(&graphicsdriver),
    Bytes(&starsetting),
    Bytes(&hitscoresetting),
    Bytes(&explosionsetting),
    Bytes(&gridsetting),
    Bytes(joyfirebutton, kFireButtons),
    Bytes(joyfireport, kFireButtons),
};

// Reads the fields in file order; a file that ends early leaves the rest at
// their defaults (the read error stops the reading, nothing else), and so
// does one that ends just before the name line.
static void ReadConfigFields(TStream* s) {
  for (const ConfigField& f : configfields) {
    switch (f.kind) {
      case FieldKind::Byte:
        for (int i = 0; i < f.count; i++) static_cast<int*>(f.at)[i] = ReadByte(s);
        break;
      case FieldKind::Float:
        for (int i = 0; i < f.count; i++) static_cast<float*>(f.at)[i] = ReadFloat(s);
        break;
      case FieldKind::Line:
        if (Eof(s)) return;  // the name line is missing altogether
        // Only what the font can draw: the name entry starts from it.
        *static_cast<std::string*>(f.at) = DrawableName(ReadLine(s, kMaxNameBytes));
        break;
    }
  }
}

// Fills every setting from "config.dat", or with its default. A file that
// is there but cannot be read is reported and marked to be left alone.
void LoadConfig() {
  LoadPlayerFile(configfile, SetDefaultConfig, ReadConfigFields);
  // A volume outside 0..1 (or not a number at all) is taken at the nearer end.
  musicvolume = SafeVolume(musicvolume);
  fxvolume = SafeVolume(fxvolume);
}

// Writes the fields in file order.
static void WriteConfigFields(TStream* s, void*) {
  for (const ConfigField& f : configfields) {
    switch (f.kind) {
      case FieldKind::Byte:
        for (int i = 0; i < f.count; i++) WriteByte(s, static_cast<const int*>(f.at)[i]);
        break;
      case FieldKind::Float:
        for (int i = 0; i < f.count; i++) WriteFloat(s, static_cast<const float*>(f.at)[i]);
        break;
      case FieldKind::Line:
        WriteLine(s, *static_cast<const std::string*>(f.at));
        break;
    }
  }
}

// Writes "config.dat" as a screen changes a setting and at the orderly end,
// through a temporary file; one that could not be read at start-up is left
// as it is.
bool SaveConfig() { return SavePlayerFile(configfile, WriteConfigFields); }

// The number of background stars follows the STARS setting.
void DeriveStarCount() {
  if (starsetting == 1) starcount = 128;
  if (starsetting == 2) starcount = 256;
}

// A joystick port above 15 (or below 0) reads as no joystick.
int SafeJoyPort(int port) { return port >= 0 && port < 16 ? port : -1; }
// A calibration range of 0, below 0 or not finite reads as 1.0.
float SafeJoyRange(float range) { return std::isfinite(range) && range > 0 ? range : 1.0f; }
// Volumes are used clamped to 0..1 whatever the file held.
float SafeVolume(float volume) {
  if (!(volume >= 0)) return 0;
  return volume > 1 ? 1 : volume;
}
// A menu or table index outside 0..count-1 reads as 0.
int SafeIndex(int value, int count) { return value >= 0 && value < count ? value : 0; }
