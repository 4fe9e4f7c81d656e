// Chooses the platform back ends at start-up: the real machine (SDL2 +
// OpenGL window, SDL input, the audio device) or headless (nothing shown,
// draws recorded, a clock the caller advances, scripted input, silence).
#pragma once
#include <string>

enum class PlatformKind { Real, Headless };

void PlatformInit(PlatformKind kind);
PlatformKind CurrentPlatform();
// The folder that holds the running program ("" when unknown).
std::string ProgramFolder();
