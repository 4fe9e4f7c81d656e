// Fuzz target: Ogg Vorbis sounds through the game's decoder and mixer. A
// sound either decodes within the bound, whatever length it claims, or is
// refused with a reason; a decoded sound plays through the mixer.
#include <memory>
#include <vector>

#include "platform/audio.h"
#include "platform/media_checks.h"
#include "tests/fuzz/fuzz_support.h"

// The input with every whole page's CRC made good, so that mutations get
// past the loader's CRC check to the decoder behind it.
static std::vector<uint8_t> WithGoodCrcs(const uint8_t* data, size_t size) {
  std::vector<uint8_t> ogg(data, data + size);
  for (size_t at = 0; at + 27 <= size;) {
    size_t length = 27 + ogg[at + 26];
    if (length > size - at) break;
    for (size_t i = 0; i < ogg[at + 26]; i++) length += ogg[at + 27 + i];
    if (length > size - at) break;
    const uint32_t crc = OggPageCrc(ogg.data() + at, length);
    for (int i = 0; i < 4; i++) ogg[at + 22 + i] = uint8_t(crc >> (8 * i));
    at += length;
  }
  return ogg;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* rawdata, size_t size) {
  // Inputs of an even size are taken as they are, the others with good CRCs.
  const std::vector<uint8_t> mended = size % 2 ? WithGoodCrcs(rawdata, size) : std::vector<uint8_t>();
  const uint8_t* data = size % 2 ? mended.data() : rawdata;
  std::string why, warning;
  std::unique_ptr<TSound> s(LoadSoundFromMemory(data, size, 1, "fuzz.ogg", &why, &warning));
  if (!s) {
    FUZZ_CHECK(!why.empty());
    return 0;
  }
  FUZZ_CHECK(s->channels == 1 || s->channels == 2);
  FUZZ_CHECK(s->rate >= 1000 && s->rate <= 192000);
  FUZZ_CHECK(!s->samples.empty() && s->samples.size() % s->channels == 0);
  FUZZ_CHECK(s->samples.size() <= (size_t(1) << 26));
  // Half a second of the sound, looping, panned, then stopped.
  std::vector<int16_t> out(2 * 22050);
  TChannel ch = PlaySound(s.get(), 0.8f, -0.5f);
  FUZZ_CHECK(ch.Exists());
  MixAudio(out.data(), 22050);
  StopAllChannels();
  return 0;
}
