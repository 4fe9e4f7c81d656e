// Fuzz target: Ogg Vorbis sounds through the game's decoder and mixer. A
// sound either decodes within the bound, whatever length it claims, or is
// refused with a reason; a decoded sound plays through the mixer.
#include <memory>
#include <vector>

#include "platform/audio.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
