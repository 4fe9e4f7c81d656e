// Byte streams, banks, the path rule and the millisecond clock.
#include "platform/files.h"
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

// Turns the game's backslash paths into forward-slash ones.
std::string FixPath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

// Sets the optional reports of an opening.
static void Report(FileStatus* status, FileStatus value, std::string* why, const std::string& text) {
  if (status) *status = value;
  if (why) *why = text;
}

// Opens a regular file (O_RDONLY or O_RDWR) as a descriptor, refusing
// anything else; -1 with the reports set when it cannot.
static int OpenRegularFd(const std::string& path, int access, FileStatus* status, std::string* why) {
  // Non-blocking, so that opening a FIFO with no writer returns at once; the
  // check below then refuses it.
  int fd = ::open(FixPath(path).c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    Report(status, err == ENOENT ? FileStatus::Missing : FileStatus::Unreadable, why, std::strerror(err));
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    Report(status, FileStatus::Unreadable, why, std::strerror(err));
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    Report(status, FileStatus::Unreadable, why,
           S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file");
    return -1;
  }
  int fl = fcntl(fd, F_GETFL);
  if (fl != -1) fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  Report(status, FileStatus::Opened, why, "");
  return fd;
}

// Opens a regular file to read, never waiting on a FIFO or device.
FILE* OpenRegularFile(const std::string& path, FileStatus* status, std::string* why) {
  int fd = OpenRegularFd(path, O_RDONLY, status, why);
  if (fd < 0) return nullptr;
  FILE* f = fdopen(fd, "rb");
  if (!f) {
    Report(status, FileStatus::Unreadable, why, std::strerror(errno));
    ::close(fd);
  }
  return f;
}

// Reads a whole regular file, refusing one larger than maxbytes.
bool ReadFileBytes(const std::string& path, size_t maxbytes, std::vector<uint8_t>& out,
                   FileStatus* status, std::string* why) {
  out.clear();
  FILE* f = OpenRegularFile(path, status, why);
  if (!f) return false;
  uint8_t buf[65536];
  size_t n;
  bool toolarge = false;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (out.size() + n > maxbytes) {
      toolarge = true;
      break;
    }
    out.insert(out.end(), buf, buf + n);
  }
  int err = std::ferror(f) ? errno : 0;
  std::fclose(f);
  if (toolarge || err) {
    out.clear();
    Report(status, FileStatus::Unreadable, why,
           toolarge ? "it is larger than " + std::to_string(maxbytes) + " bytes" : std::strerror(err));
    return false;
  }
  return true;
}

// Wraps an open FILE in a stream record.
static TStream* NewStream(FILE* f, bool readable, bool writeable, const std::string& path) {
  TStream* s = new TStream;
  s->f = f;
  s->readable = readable;
  s->writeable = writeable;
  s->path = path;
  return s;
}

// Opens a file for reading, writing (created or emptied) or both (must exist).
TStream* OpenStream(const std::string& path, bool readable, bool writeable) {
  if (!readable && !writeable) return nullptr;
  if (readable && !writeable) return OpenReadStream(path, nullptr, nullptr);
  FILE* f = nullptr;
  if (readable) {
    int fd = OpenRegularFd(path, O_RDWR, nullptr, nullptr);
    if (fd >= 0 && !(f = fdopen(fd, "r+b"))) ::close(fd);
  } else {
    f = std::fopen(FixPath(path).c_str(), "wb");
  }
  return f ? NewStream(f, readable, writeable, path) : nullptr;
}

// Opens a regular file for reading as a stream.
TStream* OpenReadStream(const std::string& path, FileStatus* status, std::string* why) {
  FILE* f = OpenRegularFile(path, status, why);
  return f ? NewStream(f, true, false, path) : nullptr;
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

// Reads up to a line feed, a zero byte or the end; carriage returns are
// dropped, and so is whatever comes after the first maxlength bytes.
std::string ReadLine(TStream* s, size_t maxlength) {
  std::string line;
  if (!s || !s->f) return line;
  for (;;) {
    int c = std::fgetc(s->f);
    if (c == EOF || c == 10 || c == 0) break;
    if (c == 13 || line.size() >= maxlength) continue;
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

// True when a read failed for another reason than the end of the file.
bool ReadFailed(TStream* s) { return s && s->f && std::ferror(s->f) != 0; }

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

// Reads the first maxbytes of a regular file into a bank; null when it
// cannot be read.
TBank* LoadBank(const std::string& path, size_t maxbytes, std::string* why) {
  FILE* f = OpenRegularFile(path, nullptr, why);
  if (!f) return nullptr;
  TBank* b = new TBank;
  uint8_t buf[4096];
  size_t n;
  while (b->data.size() < maxbytes &&
         (n = std::fread(buf, 1, std::min(sizeof buf, maxbytes - b->data.size()), f)) > 0)
    b->data.insert(b->data.end(), buf, buf + n);
  int err = std::ferror(f) ? errno : 0;
  std::fclose(f);
  if (err) {
    if (why) *why = std::strerror(err);
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

// The file a path finally names: symbolic links followed to their end, even
// one that names no file yet. False (with *why) for a loop of links.
static bool FinalTarget(const std::string& path, std::string& target, std::string* why) {
  target = path;
  for (int hops = 0; hops < 40; hops++) {
    struct stat st;
    if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::vector<char> buf((size_t)st.st_size + 256);
    ssize_t n = readlink(target.c_str(), buf.data(), buf.size());
    if (n < 0 || (size_t)n >= buf.size()) break;
    std::string next(buf.data(), (size_t)n);
    size_t slash = target.rfind('/');
    if (next.empty() || next[0] != '/')
      next = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + next;
    target = next;
  }
  if (why) *why = "it is a symbolic link that leads nowhere (" + std::string(std::strerror(ELOOP)) + ")";
  return false;
}

// A temporary name is the target's, this mark and a suffix of this many
// letters and digits.
static constexpr size_t kSuffixLength = 6;
static constexpr const char* kTemporaryMark = ".tmp-";

// Six letters and digits for a temporary name, never the same twice in a run.
static std::string UniqueSuffix() {
  static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<unsigned> counter{0};
  uint64_t bits = 0;
#ifdef __EMSCRIPTEN__
  if (getentropy(&bits, sizeof bits) != 0)  // the browser's crypto source
#else
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) != (ssize_t)sizeof bits)
#endif
    bits = ((uint64_t)getpid() << 32) ^ (uint64_t)std::time(nullptr) ^ ((uint64_t)clock() << 16);
  bits += (uint64_t)++counter * 0x9e3779b97f4a7c15ull;
  std::string out;
  for (size_t i = 0; i < kSuffixLength; i++, bits /= 36) out.push_back(digits[bits % 36]);
  return out;
}

// Splits a temporary name into its target and its suffix's exact shape.
bool TemporaryFileTarget(const std::string& name, std::string* target) {
  size_t mark = std::strlen(kTemporaryMark);
  if (name.size() <= mark + kSuffixLength) return false;
  size_t at = name.size() - kSuffixLength - mark;
  if (name.compare(at, mark, kTemporaryMark) != 0) return false;
  for (size_t i = name.size() - kSuffixLength; i < name.size(); i++)
    if (!((name[i] >= 'a' && name[i] <= 'z') || (name[i] >= '0' && name[i] <= '9'))) return false;
  *target = name.substr(0, at);
  return true;
}

// Removes the leftovers of killed saves, and only those.
int RemoveStaleTemporaries(const std::string& folder, const std::function<bool(const std::string&)>& ours,
                           int minageseconds) {
  DIR* d = opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return 0;
  time_t now = std::time(nullptr);
  int removed = 0;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name, target;
    if (!TemporaryFileTarget(name, &target) || !ours(target)) continue;
    std::string path = (folder.empty() ? std::string() : folder + "/") + name;
    struct stat st;
    // Only our own regular files, never through a link, and only those no
    // save of a running game could still be writing.
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) continue;
    if (now - st.st_mtime < minageseconds) continue;
    if (::unlink(path.c_str()) == 0) removed++;
  }
  closedir(d);
  return removed;
}

// The folder part of a path ("." for a bare name).
static std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Sweeps where a save of the path really writes: beside its links' end.
int RemoveStaleTemporariesOf(const std::string& path, int minageseconds) {
  std::string target;
  if (!FinalTarget(FixPath(path), target, nullptr)) return 0;
  size_t slash = target.rfind('/');
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.empty()) return 0;
  return RemoveStaleTemporaries(FolderOf(target), [&](const std::string& t) { return t == name; }, minageseconds);
}

// The path from the root: a relative one is taken from the current folder.
static std::string FullPath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char here[4096];
  if (!getcwd(here, sizeof here)) return path;
  return std::string(here) + (here[1] ? "/" : "") + path;
}

// Creates the temporary file beside the target: a new name each try, made
// exclusively and never through a symbolic link. -1 with errno when it cannot.
static int CreateTemporary(const std::string& target, std::string& tmp) {
  for (int tries = 0; tries < 100; tries++) {
    tmp = target + kTemporaryMark + UniqueSuffix();
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// In the browser a link to the file's bytes is clicked for the player.
void OfferDownload(const std::string& path, const std::string& mimetype) {
#ifdef __EMSCRIPTEN__
  EM_ASM({ if (Module["offerDownload"]) Module["offerDownload"](UTF8ToString($0), UTF8ToString($1)); },
         path.c_str(), mimetype.c_str());
#else
  (void)path;
  (void)mimetype;
#endif
}

// Saves through a temporary file renamed over the old one.
bool SaveFileAtomically(const std::string& path, void (*writer)(TStream*, void*), void* ctx,
                        std::string* why) {
  std::string target;
  if (!FinalTarget(FixPath(path), target, why)) return false;
  struct stat old;
  bool hadold = stat(target.c_str(), &old) == 0;
  if (hadold && !S_ISREG(old.st_mode)) {
    if (why) *why = S_ISDIR(old.st_mode) ? "it is a folder" : "it is not a regular file";
    return false;
  }
  std::string tmp;
  int fd = CreateTemporary(target, tmp);
  if (fd < 0) {
    if (why)
      *why = "cannot create a temporary file in \"" + FolderOf(target) + "\": " + std::strerror(errno);
    return false;
  }
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    int err = errno;
    ::close(fd);
    ::unlink(tmp.c_str());
    if (why) *why = std::strerror(err);
    return false;
  }
  TStream* s = NewStream(f, false, true, tmp);
  try {
    writer(s, ctx);
  } catch (const StreamError& e) {
    int err = errno;
    CloseStream(s);
    ::unlink(tmp.c_str());
    if (why) *why = std::string(e.what()) + (err ? std::string(": ") + std::strerror(err) : "");
    return false;
  }
  errno = 0;
  bool ok = std::fflush(f) == 0 && fsync(fileno(f)) == 0;
  // The new file keeps the permissions of the one it replaces.
  if (ok && hadold && fchmod(fileno(f), old.st_mode & 07777) != 0) ok = false;
  int err = errno;
  if (!CloseStream(s)) {
    ok = false;
    if (!err) err = errno;
  }
  if (!ok) {
    ::unlink(tmp.c_str());
    if (why) *why = std::strerror(err ? err : EIO);
    return false;
  }
  if (std::rename(tmp.c_str(), target.c_str()) != 0) {
    err = errno;
    ::unlink(tmp.c_str());
    if (why) *why = std::strerror(err);
    return false;
  }
  // The rename itself reaches the disk with the folder (best effort).
  int dirfd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd >= 0) {
    fsync(dirfd);
    ::close(dirfd);
  }
  SaveLanded(FullPath(target));
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
