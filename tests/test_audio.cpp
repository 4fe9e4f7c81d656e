// The audio layer: overlapping plays, pause and volume keeping the place,
// loops without a gap, resampling, the pan law, stale handles, the silent
// output, decoding Ogg Vorbis files, and the SDL device path.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_mixer.h"
#include "platform/clock.h"
#include "tests/run_helpers.h"

namespace {

// A mono sound whose frame i holds f(i), made in memory.
template <class F>
TSound MonoSound(int frames, F f, int rate = 44100, bool loops = false) {
  TSound s;
  s.channels = 1;
  s.rate = rate;
  s.loops = loops;
  for (int i = 0; i < frames; i++) s.samples.push_back((int16_t)f(i));
  return s;
}

// Mixes n frames and returns them interleaved (left, right).
std::vector<int16_t> Pull(int frames) {
  std::vector<int16_t> out((size_t)frames * 2);
  MixAudio(out.data(), frames);
  return out;
}

class Audio : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseAudio();
    StopAllChannels();
    UseHeadlessClock(true);  // the silent output follows this clock; here it stands still
    HeadlessSetClock(1000);
  }
  void TearDown() override {
    CloseAudio();
    StopAllChannels();
    UseHeadlessClock(false);
  }
};

TEST_F(Audio, PlaysOfOneSoundOverlapAndStayIndependent) {
  TSound ramp = MonoSound(1000, [](int i) { return i * 10; });
  TChannel a = PlaySound(&ramp);
  Pull(100);
  TChannel b = PlaySound(&ramp);
  EXPECT_NE(a.slot, b.slot);
  auto out = Pull(10);
  for (int i = 0; i < 10; i++) EXPECT_EQ(out[2 * i], (100 + i) * 10 + i * 10) << i;
  StopChannel(a);
  out = Pull(1);
  EXPECT_EQ(out[0], 10 * 10);  // the second play alone, at its own place
  EXPECT_EQ(ChannelPlaying(a), 0);
  EXPECT_EQ(ChannelPlaying(b), 1);
}

TEST_F(Audio, PauseAndVolumeZeroKeepThePlaceInTheSample) {
  TSound ramp = MonoSound(2000, [](int i) { return i; });
  TChannel ch = PlaySound(&ramp);
  Pull(100);
  SetChannelPaused(ch, 1);
  auto out = Pull(500);
  for (int16_t v : out) ASSERT_EQ(v, 0);
  EXPECT_EQ(ChannelPlaying(ch), 1);
  SetChannelPaused(ch, 0);
  out = Pull(1);
  EXPECT_EQ(out[0], 100);  // resumed where it was paused

  // Volume 0 plays on silently: turned up again it is heard further along.
  SetChannelVolume(ch, 0);
  out = Pull(99);
  for (int16_t v : out) ASSERT_EQ(v, 0);
  EXPECT_EQ(ChannelPlaying(ch), 1);
  SetChannelVolume(ch, 1);
  out = Pull(1);
  EXPECT_EQ(out[0], 200);

  // Volumes are used clamped to 0..1.
  SetChannelVolume(ch, 5);
  EXPECT_EQ(Pull(1)[0], 201);
  SetChannelVolume(ch, -3);
  EXPECT_EQ(Pull(1)[0], 0);
}

TEST_F(Audio, FinishedAndStaleHandlesAreIgnored) {
  TSound blip = MonoSound(10, [](int) { return 1000; });
  TSound tone = MonoSound(100, [](int) { return 3000; });
  TChannel old = PlaySound(&blip);
  Pull(20);
  EXPECT_EQ(ChannelPlaying(old), 0);
  StopChannel(old);  // after its end: nothing happens

  // The freed slot is reused by the next play with a new generation.
  TChannel fresh = PlaySound(&tone);
  EXPECT_EQ(fresh.slot, old.slot);
  EXPECT_NE(fresh.gen, old.gen);
  StopChannel(old);
  SetChannelVolume(old, 0);
  SetChannelPan(old, -1);
  SetChannelPaused(old, 1);
  auto out = Pull(1);
  EXPECT_EQ(out[0], 3000);
  EXPECT_EQ(out[1], 3000);
  EXPECT_EQ(ChannelPlaying(fresh), 1);

  // "No channel" and "no sound" are accepted everywhere.
  TChannel none;
  StopChannel(none);
  SetChannelVolume(none, 1);
  EXPECT_EQ(ChannelPlaying(none), 0);
  EXPECT_FALSE(PlaySound(nullptr).Exists());
}

TEST_F(Audio, LoopsWrapWithoutAGapAndResampleFromTheirRate) {
  TSound loop = MonoSound(7, [](int i) { return (i + 1) * 100; }, 44100, true);
  TChannel ch = PlaySound(&loop);
  auto out = Pull(50);
  for (int i = 0; i < 50; i++) ASSERT_EQ(out[2 * i], ((i % 7) + 1) * 100) << i;
  StopChannel(ch);

  // At half the output rate each source frame lasts two output frames, the
  // in-between ones interpolated; the loop's last frame blends into its first.
  TSound half = MonoSound(4, [](int i) { return (i + 1) * 1000; }, 22050, true);
  PlaySound(&half);
  out = Pull(10);
  const int expect[10] = {1000, 1500, 2000, 2500, 3000, 3500, 4000, 2500, 1000, 1500};
  for (int i = 0; i < 10; i++) EXPECT_EQ(out[2 * i], expect[i]) << i;
  StopAllChannels();

  // A one-shot at half rate lasts twice as long at the output.
  TSound once = MonoSound(100, [](int) { return 500; }, 22050);
  TChannel c = PlaySound(&once);
  Pull(199);
  EXPECT_EQ(ChannelPlaying(c), 1);
  Pull(2);
  EXPECT_EQ(ChannelPlaying(c), 0);
}

TEST_F(Audio, PanMovesTheSoundAndValuesBeyondTheEndsCountAsTheEnds) {
  TSound tone = MonoSound(100, [](int) { return 10000; });
  struct Case {
    float pan;
    int left, right;
  } cases[] = {{-1, 10000, 0}, {0, 10000, 10000}, {1, 0, 10000}, {0.5f, 5000, 10000},
               {-0.25f, 10000, 7500}, {3.5f, 0, 10000}, {-40, 10000, 0}, {NAN, 10000, 10000}};
  for (const Case& c : cases) {
    TChannel ch = PlaySound(&tone);
    SetChannelPan(ch, c.pan);
    auto out = Pull(1);
    EXPECT_EQ(out[0], c.left) << "pan " << c.pan;
    EXPECT_EQ(out[1], c.right) << "pan " << c.pan;
    StopChannel(ch);
  }
  // Stereo sounds keep their sides; depth changes nothing on two speakers.
  TSound st;
  st.channels = 2;
  st.samples = {1000, -2000, 1000, -2000};
  TChannel ch = PlaySound(&st);
  SetChannelDepth(ch, 0.7f);
  auto out = Pull(1);
  EXPECT_EQ(out[0], 1000);
  EXPECT_EQ(out[1], -2000);
}

TEST_F(Audio, ManyPlaysSumClipAndGrowTheTableOnlyWhenFull) {
  TSound loud = MonoSound(1000, [](int) { return 10000; });
  int start = ChannelTableSize();
  for (int i = 0; i < start + 5; i++) PlaySound(&loud);
  EXPECT_GT(ChannelTableSize(), start);
  auto out = Pull(1);
  // The sum is held at the limiter's ceiling, never wrapped.
  EXPECT_NEAR(out[0], kLimitCeiling * 32768, 1);
  EXPECT_EQ(out[1], out[0]);
  StopAllChannels();

  // Short plays that end free their slots: no growth however many are played.
  int size = ChannelTableSize();
  TSound blip = MonoSound(10, [](int) { return 1; });
  for (int i = 0; i < 10 * size; i++) {
    PlaySound(&blip);
    Pull(16);
  }
  EXPECT_EQ(ChannelTableSize(), size);
}

// The worst the game asks of the mixer: one explosion-like burst started
// again every tick (16 ms) while a dozen earlier copies still ring, summing
// to far beyond full scale. The limiter turns the pile down as a whole: no
// sample sits at full scale, the loudest reaches the ceiling, and the
// waveform keeps its shape instead of being sheared flat. A lone sound as
// loud as the loudest effect passes sample for sample, before a pile-up and
// again once the gain has come back.
TEST_F(Audio, APileUpIsLimitedWhileALoneSoundPassesUntouched) {
  const int len = 28665, tick = 705;  // a 0.65 s burst; 705 frames is one 16 ms tick
  uint32_t seed = 12345;
  TSound burst = MonoSound(len, [&](int i) {
    seed = seed * 1664525u + 1013904223u;
    float noise = (float)(int32_t)seed / 2147483648.0f;
    return std::lround(26000 * noise * std::exp(-i / 6000.0f));  // peaks near -2 dBFS
  });
  auto alone = [&](const char* when) {
    SCOPED_TRACE(when);
    PlaySound(&burst);
    auto out = Pull(len);
    int differing = 0;
    for (int i = 0; i < len; i++) differing += out[2 * i] != burst.samples[i] || out[2 * i + 1] != burst.samples[i];
    EXPECT_EQ(differing, 0);
  };
  alone("before the pile-up");

  const int copies = 40, frames = copies * tick + len;
  std::vector<double> sum(frames, 0.0);
  std::vector<int16_t> out;
  for (int c = 0; c < copies; c++) {
    for (int i = 0; i < len; i++) sum[c * tick + i] += burst.samples[i];
    PlaySound(&burst);
    auto part = Pull(tick);
    out.insert(out.end(), part.begin(), part.end());
  }
  auto rest = Pull(frames - copies * tick);
  out.insert(out.end(), rest.begin(), rest.end());
  double loudest = 0;
  for (double v : sum) loudest = std::max(loudest, std::fabs(v));
  ASSERT_GT(loudest, 2 * 32768.0) << "the pile must overload the output for the test to mean anything";

  const int ceiling = (int)std::lround(kLimitCeiling * 32768);
  int top = 0, atceiling = 0, flipped = 0, overfull = 0;
  for (double v : sum) overfull += std::fabs(v) >= 32767;
  for (int i = 0; i < frames; i++) {
    int l = out[2 * i], r = out[2 * i + 1];
    EXPECT_EQ(l, r) << "frame " << i;
    top = std::max(top, std::abs(l));
    atceiling += std::abs(l) >= ceiling - 1;
    flipped += std::fabs(sum[i]) > 1000 && (l > 0) != (sum[i] > 0);
  }
  EXPECT_LE(top, ceiling);
  EXPECT_GE(top, ceiling - 1);
  // Clipping at full scale would flatten about one sample in seven of this
  // pile; the limiter holds a rare peak at the ceiling for a sample or two.
  EXPECT_GT(overfull, frames / 10);
  EXPECT_LT(atceiling, frames / 100) << "samples held at the ceiling";
  EXPECT_EQ(flipped, 0) << "samples turned over rather than turned down";

  // A second of quiet lets the gain come all the way back.
  Pull(44100);
  alone("after the pile-up");
}

TEST_F(Audio, SilentOutputAcceptsEveryCallAndLetsGameTimePass) {
  OpenAudio(false);
  EXPECT_FALSE(AudioDeviceOpen());
  TSound shot = MonoSound(4410, [](int) { return 1; });  // 100 ms
  TSound music = MonoSound(4410, [](int) { return 1; }, 44100, true);
  TChannel a = PlaySound(&shot);
  TChannel m = PlaySound(&music);
  TChannel p = PlaySound(&shot);
  ASSERT_TRUE(a.Exists() && m.Exists() && p.Exists());
  SetChannelVolume(a, 0.3f);
  SetChannelPan(a, 2);
  SetChannelDepth(a, 0);
  SetChannelPaused(p, 1);
  HeadlessAdvanceClock(90);
  EXPECT_EQ(ChannelPlaying(a), 1);
  HeadlessAdvanceClock(20);
  EXPECT_EQ(ChannelPlaying(a), 0);  // a one-shot ends on time
  EXPECT_EQ(ChannelPlaying(m), 1);  // a loop plays on
  EXPECT_EQ(ChannelPlaying(p), 1);  // a paused play holds its place
  SetChannelPaused(p, 0);
  HeadlessAdvanceClock(110);
  EXPECT_EQ(ChannelPlaying(p), 0);
  StopChannel(m);
  StopChannel(a);
  EXPECT_EQ(ChannelPlaying(m), 0);
}

TEST_F(Audio, LoadSoundDecodesOggVorbisAndRefusesAnythingElse) {
  namespace fs = std::filesystem;
  const std::string sfx = PULSEFIELD_BINARY_DIR "/data/sfx/";
  if (!fs::exists(sfx + "playerexp.ogg")) GTEST_SKIP() << "no generated sounds yet";
  TSound* boom = LoadSound(sfx + "playerexp.ogg", 1);  // a short effect, loaded looping
  ASSERT_NE(boom, nullptr);
  EXPECT_TRUE(boom->loops);
  EXPECT_EQ(boom->rate, 44100);
  EXPECT_EQ(boom->samples.size(), (size_t)boom->Frames() * boom->channels);
  EXPECT_GT(boom->Frames(), 44100 * 8 / 10);  // the explosion runs 0.8 s or more
  int peak = 0;
  for (int16_t v : boom->samples) peak = std::max(peak, std::abs((int)v));
  EXPECT_GT(peak, 3000);  // real sound, not silence
  TSound* beep = LoadSound(sfx + "menubeep01.ogg", 0);
  ASSERT_NE(beep, nullptr);
  EXPECT_FALSE(beep->loops);

  // Missing, garbage and truncated files give no sound.
  ScratchDir dir("audio");
  EXPECT_EQ(LoadSound((dir / "absent.ogg").string(), 0), nullptr);
  std::ofstream((dir / "junk.ogg").string()) << std::string(5000, 'x');
  EXPECT_EQ(LoadSound((dir / "junk.ogg").string(), 0), nullptr);
  fs::copy_file(sfx + "menubeep01.ogg", dir / "cut.ogg");
  fs::resize_file(dir / "cut.ogg", 60);
  EXPECT_EQ(LoadSound((dir / "cut.ogg").string(), 0), nullptr);
  delete boom;
  delete beep;
}

// SDL's file-writing audio driver stands in for a sound card: what the
// device thread mixes lands in a raw file we can read back.
TEST_F(Audio, DeviceOutputCarriesTheMixedSound) {
  namespace fs = std::filesystem;
  ScratchDir dir("audio_dev");
  std::string raw = (dir / "out.raw").string();
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
  OpenAudio(true);
  unsetenv("SDL_AUDIODRIVER");
  if (!AudioDeviceOpen()) GTEST_SKIP() << "SDL's disk audio driver is not available";
  TSound tone = MonoSound(44100, [](int) { return 1234; }, 44100, true);
  TChannel ch = PlaySound(&tone);
  SetChannelPan(ch, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  CloseAudio();
  std::ifstream f(raw, std::ios::binary);
  std::vector<int16_t> got;
  int16_t v;
  while (f.read((char*)&v, 2)) got.push_back(v);
  ASSERT_GE(got.size(), 1024u);
  int hits = 0;
  for (size_t i = 0; i + 1 < got.size(); i += 2)
    if (got[i] == 0 && got[i + 1] == 1234) hits++;
  EXPECT_GT(hits, 500);
}

}  // namespace

// Damaged sounds kept with the fuzzing seeds; a 20000-frame mono sound at
// 44.1 kHz whose pages were altered as their names say.
TEST_F(Audio, DamagedOggsAreRefusedOrLoadWithAWarningButNeverTrustTheirClaimedLength) {
  const std::string seeds = PULSEFIELD_SOURCE_DIR "/tests/fuzz/ogg/";
  std::string why, warning;
  std::unique_ptr<TSound> whole(LoadSound(seeds + "mono-44100hz.ogg", 0, &why, &warning));
  ASSERT_NE(whole, nullptr) << why;
  EXPECT_EQ(whole->Frames(), 20000);
  EXPECT_EQ(warning, "");

  // Claims of 2^33 frames and more on the last page, which once had the
  // loader reserve them all: refused as damaged, nothing reserved.
  for (const char* name : {"claims-2pow33-frames.ogg", "claims-2pow62-frames.ogg"}) {
    why.clear();
    EXPECT_EQ(LoadSound(seeds + name, 1, &why, &warning), nullptr) << name;
    EXPECT_NE(why.find("it claims"), std::string::npos) << why;
  }

  // Cut short, at a page or inside one, or with the end mark gone: the part
  // that is there loads, with a warning.
  for (const char* name : {"cut-short-mid-page.ogg", "last-page-missing.ogg", "no-end-of-stream-mark.ogg"}) {
    std::unique_ptr<TSound> s(LoadSound(seeds + name, 0, &why, &warning));
    ASSERT_NE(s, nullptr) << name << ": " << why;
    EXPECT_GT(s->Frames(), 0) << name;
    EXPECT_NE(warning.find("cut short"), std::string::npos) << name << ": " << warning;
  }
  std::unique_ptr<TSound> fewer(LoadSound(seeds + "claims-more-frames-than-it-holds.ogg", 0, &why, &warning));
  ASSERT_NE(fewer, nullptr) << why;
  EXPECT_NE(warning.find("of the 60000 frames it claims"), std::string::npos) << warning;

  // A chained file whose second stream is stereo, one whose headers stop
  // halfway, and one that counts more comments than its header holds, are
  // refused with their reasons.
  EXPECT_EQ(LoadSound(seeds + "chained-mono-then-stereo.ogg", 0, &why, &warning), nullptr);
  EXPECT_EQ(why, "its chained streams differ in channels or sample rate");
  for (const char* name : {"setup-header-cut-in-half.ogg", "comment-count-past-its-packet.ogg"}) {
    EXPECT_EQ(LoadSound(seeds + name, 0, &why, &warning), nullptr) << name;
    EXPECT_EQ(why, "it is not an Ogg Vorbis sound") << name;
  }

  // Bytes in memory decode just as the file does.
  std::ifstream f(seeds + "mono-44100hz.ogg", std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), {});
  std::unique_ptr<TSound> same(LoadSoundFromMemory(bytes.data(), bytes.size(), 0, "memory", &why, &warning));
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(same->samples, whole->samples);
}

TEST_F(Audio, OnlyRegularOggFilesAreReadAndTheGeneratedOnesLoadWithoutAWarning) {
  namespace fs = std::filesystem;
  const std::string sfx = PULSEFIELD_BINARY_DIR "/data/sfx/";
  if (!fs::exists(sfx + "playerexp.ogg")) GTEST_SKIP() << "no generated sounds yet";
  for (const auto& e : fs::directory_iterator(sfx)) {
    std::string why, warning = "unset";
    std::unique_ptr<TSound> s(LoadSound(e.path().string(), 0, &why, &warning));
    ASSERT_NE(s, nullptr) << e.path() << ": " << why;
    EXPECT_EQ(warning, "") << e.path();
  }
  ScratchDir dir("audio_kinds");
  ASSERT_EQ(mkfifo((dir / "fifo.ogg").c_str(), 0644), 0);
  std::string why;
  EXPECT_EQ(LoadSound((dir / "fifo.ogg").string(), 0, &why), nullptr);  // returns at once
  EXPECT_EQ(why, "it is not a regular file");
  EXPECT_EQ(LoadSound(dir.string(), 0, &why), nullptr);
  EXPECT_EQ(why, "it is a folder");
}
