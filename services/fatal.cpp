// Start-up failures that the game cannot play on from.
#include "services/fatal.h"

#include <cstdio>
#include <cstdlib>

// Writes the message and ends the program with code 1.
void FatalError(const std::string& message) {
  std::fprintf(stderr, "pulsefield: %s\n", message.c_str());
  std::fflush(stderr);
  std::exit(1);
}
