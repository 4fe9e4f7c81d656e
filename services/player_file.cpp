// Reading and writing the player's own files, the same way for each.
#include "services/player_file.h"

#include <cstdio>

void LoadPlayerFile(PlayerFile& f, void (*reset)(), void (*read)(TStream*)) {
  reset();
  f.unreadable = false;
  FileStatus status;
  TStream* s = OpenReadStream(f.path, &status, &f.problem);
  if (s) {
    try {
      read(s);
    } catch (const StreamError&) {
      // A short file: whatever was not read keeps its start value.
    }
    if (ReadFailed(s)) {
      f.problem = "a read failed";
      status = FileStatus::Unreadable;
      reset();
    }
    CloseStream(s);
  }
  if (status != FileStatus::Unreadable) return;
  f.unreadable = true;
  std::fprintf(stderr,
               "pulsefield: warning: cannot read the %s in \"%s\" (%s); %s, and the file will be "
               "left as it is\n",
               f.what, f.path, f.problem.c_str(), f.fallback);
}

bool SavePlayerFile(PlayerFile& f, void (*write)(TStream*, void*)) {
  if (f.unreadable) {
    std::fprintf(stderr,
                 "pulsefield: warning: %s not saved: \"%s\" could not be read at start-up (%s), so "
                 "it is left as it is\n",
                 f.what, f.path, f.problem.c_str());
    return false;
  }
  std::string why;
  if (SaveFileAtomically(f.path, write, nullptr, &why)) return true;
  std::fprintf(stderr, "pulsefield: warning: could not save the %s to \"%s\": %s\n", f.what, f.path,
               why.c_str());
  return false;
}
