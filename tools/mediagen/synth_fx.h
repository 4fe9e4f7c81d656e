// The game's sound effects and intro sounds, each built from the synthesiser.
#pragma once
#include <string>
#include <vector>
#include "synth.h"

// One mono effect: the file stem it is written as and its samples.
struct EffectSound {
  std::string name;
  Buf samples;
};

// Renders every effect and intro sound, levelled and faded, in catalogue order.
std::vector<EffectSound> RenderEffects();
