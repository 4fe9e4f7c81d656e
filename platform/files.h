// Files and streams: byte streams for the game's own files, whole-file banks
// and the path rule every file access shares.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
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

// What became of an attempt to open a file for reading: there is no such
// file, or there is one that cannot be read (no permission, a folder, a FIFO
// or device, a name too long...), which is not the same as no file at all.
enum class FileStatus { Opened, Missing, Unreadable };

// Opens a regular file to read. It never blocks: a FIFO or a device is
// refused, not waited on. Null when it cannot, with *status and *why (either
// may be null) telling which and why.
FILE* OpenRegularFile(const std::string& path, FileStatus* status, std::string* why);
// Reads a whole regular file of at most maxbytes; false (with *status and
// *why) when it is missing, unreadable or larger.
bool ReadFileBytes(const std::string& path, size_t maxbytes, std::vector<uint8_t>& out,
                   FileStatus* status, std::string* why);

// Reading opens only regular files (as OpenRegularFile); writing alone
// creates or empties the file.
TStream* OpenStream(const std::string& path, bool readable, bool writeable);
// OpenStream for reading, telling a missing file from an unreadable one.
TStream* OpenReadStream(const std::string& path, FileStatus* status, std::string* why);
int ReadByte(TStream* s);
void WriteByte(TStream* s, int value);
float ReadFloat(TStream* s);
void WriteFloat(TStream* s, float value);
// Reads a line; only its first maxlength bytes are kept, the rest of the
// line is read past.
std::string ReadLine(TStream* s, size_t maxlength = std::string::npos);
void WriteLine(TStream* s, const std::string& text);
bool Eof(TStream* s);
// True when a read failed for another reason than the end of the file.
bool ReadFailed(TStream* s);
// Closes the stream; returns false when buffered data could not be written.
bool CloseStream(TStream* s);

struct TBank {
  std::vector<uint8_t> data;
  int Size() const { return (int)data.size(); }
};
// Reads the first maxbytes of a regular file (all of a shorter one); null
// when it cannot, *why telling why.
TBank* LoadBank(const std::string& path, size_t maxbytes = 1 << 24, std::string* why = nullptr);
int PeekByte(const TBank* bank, int offset);

// Writes a file through a temporary file renamed over the old one, so a
// crash mid-save never leaves a half-written file. The temporary file gets a
// new name, created exclusively beside the file (never through a link of
// that name), and is removed again whenever the save fails. A symbolic link
// is saved through to the file it names, and an existing file keeps its
// permissions. The writer fills the stream; returns false with a reason
// when anything failed.
bool SaveFileAtomically(const std::string& path, void (*writer)(TStream*, void*), void* ctx,
                        std::string* why);

// The browser build offers a file just saved to the player as a download
// (a screenshot); elsewhere the file in its folder is enough.
void OfferDownload(const std::string& path, const std::string& mimetype);

// The file a temporary name of SaveFileAtomically's was made for: "x.dat"
// for "x.dat.tmp-" and six lower-case letters or digits; false for any other name.
bool TemporaryFileTarget(const std::string& name, std::string* target);
// A save that was killed leaves its temporary file behind: removes from the
// folder ("" the current one) those whose target ours() accepts, that are
// regular files of this user's and older than minageseconds. Nothing else
// is touched. Returns how many went.
int RemoveStaleTemporaries(const std::string& folder, const std::function<bool(const std::string&)>& ours,
                           int minageseconds);
// The same for one save whose path may be a symbolic link: a save writes
// beside the file the link names, so the stale temporaries of that file's
// name go from that file's folder, and nothing else there.
int RemoveStaleTemporariesOf(const std::string& path, int minageseconds);

// Media folder: where "data\..." paths are looked up. Set at start-up from
// --datadir, the folder beside the program, or the installed folder.
void SetDataDir(const std::string& dir);
const std::string& DataDir();
// Resolves a game path ("data\gfx\x.png" or "music.ogg"): paths that start
// with "data\" go to the media folder; others are beside the program.
std::string ResolveMediaPath(const std::string& gamepath);
void SetProgramDir(const std::string& dir);
const std::string& ProgramDir();
