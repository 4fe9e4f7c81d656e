// Byte streams, banks, the path rule and the millisecond clock.
#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

// Turns the game's backslash paths into forward-slash ones.
std::string FixPath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

// Opens a file for reading, writing (created or emptied) or both (must exist).
TStream* OpenStream(const std::string& path, bool readable, bool writeable) {
  if (!readable && !writeable) return nullptr;
  const char* mode = readable && writeable ? "r+b" : (readable ? "rb" : "wb");
  FILE* f = std::fopen(FixPath(path).c_str(), mode);
  if (!f) return nullptr;
  TStream* s = new TStream;
  s->f = f;
  s->readable = readable;
  s->writeable = writeable;
  s->path = path;
  return s;
}

// Reads the next byte; past the end it raises the read error.
int ReadByte(TStream* s) {
  int c = s && s->f ? std::fgetc(s->f) : EOF;
  if (c == EOF) throw StreamError("Error reading from stream");
  return c;
}

// Writes the low 8 bits of a value.
void WriteByte(TStream* s, int value) {
  if (!s || !s->f || std::fputc((unsigned char)(value & 255), s->f) == EOF)
    throw StreamError("Error writing to stream");
}

// Reads four bytes, least significant first, as a single-precision float.
float ReadFloat(TStream* s) {
  uint32_t u = 0;
  for (int i = 0; i < 4; i++) u |= (uint32_t)ReadByte(s) << (8 * i);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

// Writes a float as four bytes, least significant first.
void WriteFloat(TStream* s, float value) {
  uint32_t u;
  std::memcpy(&u, &value, 4);
  for (int i = 0; i < 4; i++) WriteByte(s, (int)((u >> (8 * i)) & 255));
}

// Reads up to a line feed, a zero byte or the end; carriage returns are dropped.
std::string ReadLine(TStream* s) {
  std::string line;
  if (!s || !s->f) return line;
  for (;;) {
    int c = std::fgetc(s->f);
    if (c == EOF || c == 10 || c == 0) break;
    if (c == 13) continue;
    line.push_back((char)c);
  }
  return line;
}

// Writes one byte per character, then 13 and 10.
void WriteLine(TStream* s, const std::string& text) {
  for (unsigned char c : text) WriteByte(s, c);
  WriteByte(s, 13);
  WriteByte(s, 10);
}

// True when the next read would pass the end of the file.
bool Eof(TStream* s) {
  if (!s || !s->f) return true;
  int c = std::fgetc(s->f);
  if (c == EOF) return true;
  std::ungetc(c, s->f);
  return false;
}

// Closes the stream; false when buffered data could not be written out.
bool CloseStream(TStream* s) {
  if (!s) return false;
  bool ok = true;
  if (s->f) {
    if (s->writeable && std::fflush(s->f) != 0) ok = false;
    if (std::fclose(s->f) != 0) ok = false;
  }
  delete s;
  return ok;
}

// Reads a whole file into a bank; null when it cannot be read.
TBank* LoadBank(const std::string& path) {
  FILE* f = std::fopen(FixPath(path).c_str(), "rb");
  if (!f) return nullptr;
  TBank* b = new TBank;
  uint8_t buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) b->data.insert(b->data.end(), buf, buf + n);
  bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) {
    delete b;
    return nullptr;
  }
  return b;
}

// The bank's byte at an offset (offsets outside the bank read as 0).
int PeekByte(const TBank* bank, int offset) {
  if (!bank || offset < 0 || offset >= bank->Size()) return 0;
  return bank->data[offset];
}

// Saves through a temporary file renamed over the old one.
bool SaveFileAtomically(const std::string& path, void (*writer)(TStream*, void*), void* ctx,
                        std::string* why) {
  std::string real = FixPath(path);
  std::string tmp = real + ".tmp";
  TStream* s = OpenStream(tmp, false, true);
  if (!s) {
    if (why) *why = std::strerror(errno);
    return false;
  }
  try {
    writer(s, ctx);
  } catch (const StreamError& e) {
    int err = errno;
    CloseStream(s);
    std::remove(tmp.c_str());
    if (why) *why = std::string(e.what()) + (err ? std::string(": ") + std::strerror(err) : "");
    return false;
  }
  bool ok = std::fflush(s->f) == 0 && fsync(fileno(s->f)) == 0;
  int err = errno;
  if (!CloseStream(s)) ok = false;
  if (!ok) {
    std::remove(tmp.c_str());
    if (why) *why = std::strerror(err ? err : EIO);
    return false;
  }
  if (std::rename(tmp.c_str(), real.c_str()) != 0) {
    err = errno;
    std::remove(tmp.c_str());
    if (why) *why = std::strerror(err);
    return false;
  }
  return true;
}

static std::string datadir = "data";
static std::string programdir = ".";

// Sets the media folder chosen at start-up.
void SetDataDir(const std::string& dir) { datadir = dir; }
const std::string& DataDir() { return datadir; }
// Sets the folder that holds the program (where "music.ogg" may sit).
void SetProgramDir(const std::string& dir) { programdir = dir; }
const std::string& ProgramDir() { return programdir; }

// Maps a game path to a real file: "data\..." into the media folder, other
// relative paths beside the program.
std::string ResolveMediaPath(const std::string& gamepath) {
  std::string p = FixPath(gamepath);
  if (!p.empty() && p[0] == '/') return p;
  if (p.rfind("data/", 0) == 0) return datadir + "/" + p.substr(5);
  return programdir + "/" + p;
}
