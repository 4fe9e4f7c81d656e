// Player settings and "config.dat" (little-endian; floats IEEE single,
// least significant byte first). The file is L + 72 bytes, L the name length.
#include "frontend/config.h"

#include <cmath>
#include <cstdio>

#include "platform/files.h"

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

static const char* configfile = "config.dat";

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

// Reads the fields in file order; a file that ends early leaves the rest at
// their defaults (the read error stops the reading, nothing else).
static void ReadConfigFields(TStream* s) {
  screenmode = ReadByte(s);
  controltype = ReadByte(s);
  keyleft = ReadByte(s);
  keyright = ReadByte(s);
  keyup = ReadByte(s);
  keydown = ReadByte(s);
  keyfireleft = ReadByte(s);
  keyfireright = ReadByte(s);
  keyfireup = ReadByte(s);
  keyfiredown = ReadByte(s);
  keybomb = ReadByte(s);
  if (Eof(s)) return;  // the name line is missing altogether
  lastname = ReadLine(s);
  for (int i = 0; i < 6; i++) joyaxis[i] = ReadByte(s);
  joyisbutton[4] = ReadByte(s);
  joyisbutton[5] = ReadByte(s);
  for (int i = 0; i < 6; i++) joyport[i] = ReadByte(s);
  for (int i = 0; i < 6; i++) joyrange[i] = ReadFloat(s);
  musicvolume = ReadFloat(s);
  fxvolume = ReadFloat(s);
  graphicsdriver = ReadByte(s);
  starsetting = ReadByte(s);
  hitscoresetting = ReadByte(s);
  explosionsetting = ReadByte(s);
  gridsetting = ReadByte(s);
  for (int i = 0; i < 4; i++) joyfirebutton[i] = ReadByte(s);
  for (int i = 0; i < 4; i++) joyfireport[i] = ReadByte(s);
}

// Fills every setting from "config.dat", or with its default.
void LoadConfig() {
  SetDefaultConfig();
  TStream* s = OpenStream(configfile, true, false);
  if (!s) return;
  try {
    ReadConfigFields(s);
  } catch (const StreamError&) {
    // A short file: whatever was not read keeps its default.
  }
  CloseStream(s);
}

// Writes the fields in file order.
static void WriteConfigFields(TStream* s, void*) {
  WriteByte(s, screenmode);
  WriteByte(s, controltype);
  WriteByte(s, keyleft);
  WriteByte(s, keyright);
  WriteByte(s, keyup);
  WriteByte(s, keydown);
  WriteByte(s, keyfireleft);
  WriteByte(s, keyfireright);
  WriteByte(s, keyfireup);
  WriteByte(s, keyfiredown);
  WriteByte(s, keybomb);
  WriteLine(s, lastname);
  for (int i = 0; i < 6; i++) WriteByte(s, joyaxis[i]);
  WriteByte(s, joyisbutton[4]);
  WriteByte(s, joyisbutton[5]);
  for (int i = 0; i < 6; i++) WriteByte(s, joyport[i]);
  for (int i = 0; i < 6; i++) WriteFloat(s, joyrange[i]);
  WriteFloat(s, musicvolume);
  WriteFloat(s, fxvolume);
  WriteByte(s, graphicsdriver);
  WriteByte(s, starsetting);
  WriteByte(s, hitscoresetting);
  WriteByte(s, explosionsetting);
  WriteByte(s, gridsetting);
  for (int i = 0; i < 4; i++) WriteByte(s, joyfirebutton[i]);
  for (int i = 0; i < 4; i++) WriteByte(s, joyfireport[i]);
}

// Writes "config.dat" at the orderly end, through a temporary file.
bool SaveConfig() {
  std::string why;
  if (SaveFileAtomically(configfile, WriteConfigFields, nullptr, &why)) return true;
  std::fprintf(stderr, "pulsefield: warning: could not save settings to \"%s\": %s\n", configfile,
               why.c_str());
  return false;
}

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
