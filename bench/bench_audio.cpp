// Mixer cost: CPU time to mix one second of output (44100 frames, in the
// device's 512-frame buffers) with 32 channels playing, half of them mono
// 22050 Hz sounds that are resampled, half stereo at the output rate; and
// the cost of starting one effect.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/audio.h"

namespace {

// A looping sound of `seconds` of a sine at the given rate and layout.
TSound MakeTone(int rate, int channels, double seconds) {
  TSound s;
  s.rate = rate;
  s.channels = channels;
  s.loops = true;
  long n = (long)(rate * seconds);
  s.samples.reserve((size_t)n * channels);
  for (long i = 0; i < n; i++)
    for (int c = 0; c < channels; c++) s.samples.push_back((int16_t)(3000 * std::sin(i * 0.03 * (c + 1))));
  return s;
}

// One iteration mixes one second of output: its time is the CPU per second.
void BM_MixOneSecond32Channels(benchmark::State& state) {
  StopAllChannels();
  static TSound mono = MakeTone(22050, 1, 2.0), stereo = MakeTone(44100, 2, 2.0);
  int n = (int)state.range(0);
  for (int i = 0; i < n; i++) {
    TChannel ch = PlaySound(i % 2 ? &mono : &stereo);
    SetChannelVolume(ch, 0.5f);
    SetChannelPan(ch, (i % 9 - 4) / 4.0f);
  }
  std::vector<int16_t> buf(512 * 2);
  for (auto _ : state) {
    for (int f = 0; f < 44100; f += 512) MixAudio(buf.data(), 512);
    benchmark::DoNotOptimize(buf.data());
  }
  state.counters["channels"] = n;
  StopAllChannels();
}
BENCHMARK(BM_MixOneSecond32Channels)->Arg(32)->Arg(1)->Unit(benchmark::kMillisecond);

// Starting a play and setting it up as the effects do.
void BM_StartEffect(benchmark::State& state) {
  StopAllChannels();
  static TSound blip = MakeTone(44100, 1, 0.1);
  for (auto _ : state) {
    TChannel ch = PlaySound(&blip);
    SetChannelVolume(ch, 1);
    SetChannelPan(ch, 0.3f);
    SetChannelDepth(ch, 0);
    StopChannel(ch);
  }
}
BENCHMARK(BM_StartEffect);

}  // namespace
