// Files and streams: byte streams for the game's own files, whole-file banks
// and the path rule every file access shares.
#pragma once
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

// A read past the end or a refused write raises this.
struct StreamError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TStream {
  FILE* f = nullptr;
  bool readable = false, writeable = false;
  std::string path;
};

// Backslashes become forward slashes before any file is opened.
std::string FixPath(const std::string& path);

TStream* OpenStream(const std::string& path, bool readable, bool writeable);
int ReadByte(TStream* s);
void WriteByte(TStream* s, int value);
float ReadFloat(TStream* s);
void WriteFloat(TStream* s, float value);
std::string ReadLine(TStream* s);
void WriteLine(TStream* s, const std::string& text);
bool Eof(TStream* s);
// Closes the stream; returns false when buffered data could not be written.
bool CloseStream(TStream* s);

struct TBank {
  std::vector<uint8_t> data;
  int Size() const { return (int)data.size(); }
};
TBank* LoadBank(const std::string& path);
int PeekByte(const TBank* bank, int offset);

// Writes a file through a temporary file in the same folder renamed over the
// old one, so a crash mid-save never leaves a half-written file. The writer
// fills the stream; returns false with a reason when anything failed.
bool SaveFileAtomically(const std::string& path, void (*writer)(TStream*, void*), void* ctx,
                        std::string* why);

// Media folder: where "data\..." paths are looked up. Set at start-up from
// --datadir, the folder beside the program, or the installed folder.
void SetDataDir(const std::string& dir);
const std::string& DataDir();
// Resolves a game path ("data\gfx\x.png" or "music.ogg"): paths that start
// with "data\" go to the media folder; others are beside the program.
std::string ResolveMediaPath(const std::string& gamepath);
void SetProgramDir(const std::string& dir);
const std::string& ProgramDir();
