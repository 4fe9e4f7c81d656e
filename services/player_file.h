// The player's own files, read at start-up and written as they change and
// at the orderly end ("config.dat", "highscore.dat"): a short file keeps what it held and the
// rest stays as reset; a file that is there but cannot be read is reported
// and left as it is at the end; every save goes through a temporary file.
#pragma once
#include <string>

#include "platform/files.h"

struct PlayerFile {
  const char* path;      // in the player's folder
  const char* what;      // what it holds, for messages: "settings"
  const char* fallback;  // what play goes on with when it cannot be read
  bool unreadable = false;
  std::string problem;
};

// reset() puts every value at its start; read(s) reads the file in order and
// may stop early (a short file) by the stream's own error.
void LoadPlayerFile(PlayerFile& f, void (*reset)(), void (*read)(TStream*));
// Writes the file with write(s); false, after a warning on stderr naming the
// file and the reason, when it was not written.
bool SavePlayerFile(PlayerFile& f, void (*write)(TStream*, void*));
