// The two music loops of the game. Their lengths are whole bars of whole
// sixteenth-note steps, so each file decodes to exactly one loop.
#pragma once
#include "synth.h"

// The calmer title track: 90 beats a minute, 24 bars.
constexpr long kTitleStepSamples = 7350;
constexpr long kTitleBars = 24;
constexpr long kTitleLoopSamples = kTitleStepSamples * 16 * kTitleBars;
// The driving in-game track: 126 beats a minute, 32 bars.
constexpr long kIngameStepSamples = 5250;
constexpr long kIngameBars = 32;
constexpr long kIngameLoopSamples = kIngameStepSamples * 16 * kIngameBars;

// Renders one seamless loop of the title track.
Stereo RenderTitleMusic();
// Renders one seamless loop of the in-game track.
Stereo RenderIngameMusic();
