// Writes float sample buffers as Ogg Vorbis files with libvorbisenc.
#pragma once
#include <string>
#include "synth.h"

// Encodes a mono buffer at 44100 Hz with VBR quality q (-0.1 .. 1); false on failure.
bool WriteOggMono(const std::string& path, const Buf& samples, float quality);
// Encodes a stereo buffer at 44100 Hz with VBR quality q; false on failure.
// With loops set the buffer is one turn of a loop, and the file is encoded
// so that its last sample runs on into its first without a click.
bool WriteOggStereo(const std::string& path, const Stereo& samples, float quality, bool loops = false);
