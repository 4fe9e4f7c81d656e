// The debug overlay of a game in play, toggled with F2 (off at start-up,
// never saved): the attack director's state and the lists' sizes, so
// players and testers can watch the waves build.
#pragma once
#include <string>

extern int showoverlay;

// Reads the F2 toggle; once per game tick.
void ToggleOverlay();
// Queues the readouts when the overlay is on.
void DrawOverlay();
// The statistics line of a headless run: "stats: ticks=... games=...".
std::string StatsLine();
