// The one way start-up gives up: a message on the error stream and exit
// code 1, before anything of the player's could have changed.
#pragma once
#include <string>

// Writes "pulsefield: " and the message, then ends the program with code 1.
[[noreturn]] void FatalError(const std::string& message);
