// Player settings and "config.dat". Byte order of the file: little-endian
// (floats are IEEE single precision, least significant byte first).
#pragma once
#include <string>

extern int screenmode;
extern int controltype;
extern int keyleft, keyright, keyup, keydown;
extern int keyfireleft, keyfireright, keyfireup, keyfiredown, keybomb;
extern std::string lastname;
extern int joyaxis[8];
extern int joyisbutton[8];
extern int joyport[8];
extern float joyrange[8];
extern float musicvolume;
extern float fxvolume;
extern int graphicsdriver;
extern int starsetting;
extern int hitscoresetting;
extern int explosionsetting;
extern int gridsetting;
extern int joyfirebutton[4];
extern int joyfireport[4];
extern int starcount;

void SetDefaultConfig();
void LoadConfig();
// Writes "config.dat"; returns false (after a warning on stderr naming the
// file and the reason) when it could not be written.
bool SaveConfig();
void DeriveStarCount();

// Safe readings of settings whose stored values may be out of range.
int SafeJoyPort(int port);        // -1 (no joystick) for ports outside 0..15
float SafeJoyRange(float range);  // 1.0 for 0, negative or non-finite
float SafeVolume(float volume);   // clamped to 0..1
int SafeIndex(int value, int count);  // 0 for values outside 0..count-1
