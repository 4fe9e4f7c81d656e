// Checks the generated sounds in the build's data folder: every file decodes
// at 44100 Hz to a sensible length and level, the enemy spawn sounds are told
// apart, the intro sounds fit their scenes, and both music tracks loop for
// over a minute without a click.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>
#include <algorithm>
#include <cmath>
#include <complex>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "platform/audio.h"
#include "platform/audio_mixer.h"
#include "platform/media_checks.h"
#include "services/config.h"
#include "services/sound_list.h"
#include "tools/mediagen/music.h"

namespace {

struct Decoded {
  bool ok = false;
  long rate = 0;
  int channels = 0;
  long total = 0;  // length the stream declares
  std::vector<float> left, right;
};

// Decodes a whole Ogg Vorbis file of the data folder's sfx/ into floats.
Decoded DecodeSfx(const std::string& stem) {
  Decoded d;
  std::string path = std::string(PULSEFIELD_BINARY_DIR "/data/sfx/") + stem + ".ogg";
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) return d;
  vorbis_info* vi = ov_info(&vf, -1);
  d.rate = vi->rate;
  d.channels = vi->channels;
  d.total = static_cast<long>(ov_pcm_total(&vf, -1));
  float** pcm;
  int section;
  long n;
  while ((n = ov_read_float(&vf, &pcm, 4096, &section)) > 0) {
    for (long i = 0; i < n; i++) {
      d.left.push_back(pcm[0][i]);
      d.right.push_back(pcm[d.channels - 1][i]);
    }
  }
  ov_clear(&vf);
  d.ok = n == 0;
  return d;
}

// An effect decoded once per run: several checks look at the same sounds.
const Decoded& Effect(const std::string& stem) {
  static std::map<std::string, Decoded> cache;
  auto it = cache.find(stem);
  if (it == cache.end()) it = cache.emplace(stem, DecodeSfx(stem)).first;
  return it->second;
}

float Peak(const Decoded& d) {
  float p = 0.0f;
  for (size_t i = 0; i < d.left.size(); i++) p = std::max({p, std::fabs(d.left[i]), std::fabs(d.right[i])});
  return p;
}

float Rms(const Decoded& d) {
  double s = 0.0;
  for (size_t i = 0; i < d.left.size(); i++) s += d.left[i] * d.left[i] + d.right[i] * d.right[i];
  return static_cast<float>(std::sqrt(s / (2.0 * std::max<size_t>(1, d.left.size()))));
}

float Db(float v) { return 20.0f * std::log10(std::max(v, 1e-9f)); }

// Level in dB of the mono sound between t0 and t1 seconds.
float WindowDb(const std::vector<float>& x, float t0, float t1) {
  size_t a = std::min(x.size(), static_cast<size_t>(t0 * 44100)), b = std::min(x.size(), static_cast<size_t>(t1 * 44100));
  double s = 0.0;
  for (size_t i = a; i < b; i++) s += x[i] * x[i];
  return 10.0f * static_cast<float>(std::log10(s / std::max<size_t>(1, b - a) + 1e-12));
}

// Start in seconds of the loudest tenth of a second.
float LoudestWindow(const std::vector<float>& x) {
  float best = -1e9f, at = 0.0f;
  for (float t = 0.0f; t * 44100 < x.size(); t += 0.05f) {
    float db = WindowDb(x, t, t + 0.1f);
    if (db > best) best = db, at = t;
  }
  return at;
}

// In-place radix-2 FFT of a power-of-two sized block.
void Fft(std::vector<std::complex<double>>& a) {
  size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; i++) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    std::complex<double> wl = std::polar(1.0, -2.0 * M_PI / len);
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1.0;
      for (size_t j = 0; j < len / 2; j++) {
        std::complex<double> u = a[i + j], v = a[i + j + len / 2] * w;
        a[i + j] = u + v;
        a[i + j + len / 2] = u - v;
        w *= wl;
      }
    }
  }
}

// Energy share of each octave band from 55 Hz up, a coarse timbre fingerprint.
std::vector<double> OctaveProfile(const std::vector<float>& x) {
  const size_t f = 2048;
  std::vector<double> bands(9, 0.0);
  for (size_t start = 0; start < x.size(); start += f / 2) {
    std::vector<std::complex<double>> bins(f, 0.0);
    for (size_t i = 0; i < f && start + i < x.size(); i++)
      bins[i] = (0.5 - 0.5 * std::cos(2.0 * M_PI * i / f)) * x[start + i];
    Fft(bins);
    for (size_t k = 1; k < f / 2; k++) {
      int band = static_cast<int>(std::floor(std::log2(k * 44100.0 / f / 55.0)));
      if (band >= 0 && band < 9) bands[band] += std::norm(bins[k]);
    }
  }
  double total = 0.0;
  for (double b : bands) total += b;
  for (double& b : bands) b /= std::max(total, 1e-12);
  return bands;
}

// Energy in dB of the band above 18.5 kHz over the millisecond of a loop
// centred on sample `centre`, both sides together, reading round the loop's
// end. A steep windowed-sinc high-pass, worked out only where it is asked.
float HighBandDb(const Decoded& d, long centre) {
  static const std::vector<double> taps = [] {
    const int half = 160;
    const double wc = 2.0 * M_PI * 18500.0 / 44100.0;
    std::vector<double> h(2 * half + 1);
    for (int k = -half; k <= half; k++) {
      double lowpass = k == 0 ? wc / M_PI : std::sin(wc * k) / (M_PI * k);
      double blackman = 0.42 + 0.5 * std::cos(M_PI * k / half) + 0.08 * std::cos(2.0 * M_PI * k / half);
      h[k + half] = (k == 0 ? 1.0 : 0.0) - lowpass * blackman;
    }
    return h;
  }();
  const long n = static_cast<long>(d.left.size()), half = static_cast<long>(taps.size() / 2), w = 44;
  double e = 0.0;
  for (long j = centre - w / 2; j < centre + w / 2; j++) {
    double yl = 0.0, yr = 0.0;
    for (long k = -half; k <= half; k++) {
      long i = ((j - k) % n + n) % n;
      yl += taps[k + half] * d.left[i];
      yr += taps[k + half] * d.right[i];
    }
    e += yl * yl + yr * yr;
  }
  return 10.0f * static_cast<float>(std::log10(e / (2.0 * w) + 1e-30));
}

// Integrated loudness in LUFS of a stereo 44100 Hz signal, as a loudness
// meter reads it: K-weighted (a high shelf near 1.7 kHz and a high-pass near
// 38 Hz), 400 ms blocks every 100 ms, gated at -70 LUFS and then 10 LU
// under the mean of the blocks that passed.
double IntegratedLufs(const std::vector<float>& left, const std::vector<float>& right) {
  struct Biquad {
    double b0, b1, b2, a1, a2, z1 = 0, z2 = 0;
    double Run(double x) {
      double y = b0 * x + z1;
      z1 = b1 * x - a1 * y + z2;
      z2 = b2 * x - a2 * y;
      return y;
    }
  };
  const double fs = 44100.0;
  auto shelf = [&] {
    const double k = std::tan(M_PI * 1681.974450955533 / fs), q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20.0), vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return Biquad{(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                  2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
  };
  auto highpass = [&] {
    const double k = std::tan(M_PI * 38.13547087602444 / fs), q = 0.5003270373238773;
    const double a0 = 1.0 + k / q + k * k;
    return Biquad{1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
  };
  // Weighted power of each 100 ms step, both channels summed.
  const size_t step = 4410;
  std::vector<double> steps;
  const std::vector<float>* channels[2] = {&left, &right};
  for (int c = 0; c < 2; c++) {
    Biquad a = shelf(), b = highpass();
    const std::vector<float>& x = *channels[c];
    for (size_t i = 0; i < x.size(); i++) {
      double y = b.Run(a.Run(x[i]));
      if (i / step >= steps.size()) steps.push_back(0.0);
      steps[i / step] += y * y;
    }
  }
  std::vector<double> blocks;  // mean square of each 400 ms block
  for (size_t j = 0; j + 4 <= steps.size(); j++)
    blocks.push_back((steps[j] + steps[j + 1] + steps[j + 2] + steps[j + 3]) / (4.0 * step));
  auto lufs = [](double z) { return -0.691 + 10.0 * std::log10(std::max(z, 1e-30)); };
  auto gatedmean = [&](double gate) {
    double sum = 0.0;
    int n = 0;
    for (double z : blocks)
      if (lufs(z) > gate) sum += z, n++;
    return n ? sum / n : 0.0;
  };
  return lufs(gatedmean(lufs(gatedmean(-70.0)) - 10.0));
}

// The length in seconds each effect and intro sound should have.
struct Length {
  float minsec, maxsec;
};

const std::map<std::string, Length> kLengths = {
    {"menubeep01", {0.03f, 0.5f}},   {"menubeep02", {0.05f, 0.8f}},   {"multiply", {0.2f, 1.5f}},
    {"extralife", {0.3f, 2.0f}},     {"extrabomb", {0.3f, 2.0f}},     {"playerfire03", {0.05f, 0.4f}},
    {"playerfire02", {0.05f, 0.4f}}, {"playerfire01", {0.05f, 0.4f}}, {"playerexp", {0.8f, 3.5f}},
    {"bomb", {0.8f, 3.5f}},          {"bombhit", {0.1f, 1.0f}},       {"playerrez", {0.4f, 2.0f}},
    {"shieldwarning", {0.2f, 1.2f}}, {"nme01exp", {0.2f, 1.5f}},      {"nme01spawn", {0.1f, 1.5f}},
    {"nme02spawn", {0.1f, 1.5f}},    {"nme03spawn", {0.1f, 1.5f}},    {"nme04spawn", {0.1f, 1.5f}},
    {"nme05spawn", {0.1f, 1.5f}},    {"nme06spawn", {0.1f, 1.5f}},    {"nme07spawn", {0.1f, 1.5f}},
    {"nme08spawn", {0.1f, 1.5f}},    {"award", {0.4f, 2.5f}},         {"hole", {0.15f, 1.0f}},
    {"holeexp", {0.8f, 3.5f}},       {"kelvload", {2.5f, 6.0f}},      {"kelvvoice", {1.0f, 4.0f}},
    {"qvosound", {6.0f, 10.0f}},
};

// Every effect and intro sound the game loads, in its lists' order.
std::vector<std::string> ListedSounds() {
  std::vector<std::string> stems(std::begin(kEffectSoundStems), std::end(kEffectSoundStems));
  stems.insert(stems.end(), std::begin(kIntroSoundStems), std::end(kIntroSoundStems));
  return stems;
}

}  // namespace

// Every effect and intro sound: present, 44100 Hz, of its expected length,
// clearly audible, below the mixer's limiter ceiling (so a sound heard alone
// is never turned down), and starting and ending without a click.
TEST(MediaSounds, EveryEffectDecodesToACleanAudibleSound) {
  std::vector<std::string> stems = ListedSounds();
  EXPECT_EQ(stems.size(), kLengths.size()) << "a length for each listed sound, and no other";
  for (const std::string& stem : stems) {
    SCOPED_TRACE(stem);
    auto length = kLengths.find(stem);
    ASSERT_NE(length, kLengths.end()) << "no expected length";
    const Length& e = length->second;
    const Decoded& d = Effect(stem);
    ASSERT_TRUE(d.ok) << "missing or undecodable";
    EXPECT_EQ(d.rate, 44100);
    EXPECT_EQ(static_cast<long>(d.left.size()), d.total);
    float secs = static_cast<float>(d.left.size()) / 44100.0f;
    EXPECT_GE(secs, e.minsec);
    EXPECT_LE(secs, e.maxsec);
    float peak = Peak(d);
    EXPECT_GT(Db(peak), -16.0f);
    EXPECT_LT(peak, kLimitCeiling);
    EXPECT_GT(Db(Rms(d)), -40.0f);
    EXPECT_LT(std::fabs(d.left.front()), 0.05f);
    EXPECT_LT(std::fabs(d.left.back()), 0.01f);
  }
}

// The busiest the game gets: the enemy explosion can start again every
// tick while the earlier ones still ring. A second of them, one a tick, all
// in the middle, over the in-game music at its default volume, sums to less
// than full scale wherever in the loop it falls, so the mixer's limiter only
// ever trims such a pile rather than having to hold it down hard.
TEST(MediaSounds, AnExplosionEveryTickOverTheMusicStaysUnderFullScale) {
  const Decoded& boom = Effect("nme01exp");
  Decoded music = DecodeSfx(kIngameMusicStem);
  ASSERT_TRUE(boom.ok && music.ok);
  SetDefaultConfig();
  const long tick = 705, copies = 60, len = copies * tick + static_cast<long>(boom.left.size());
  ASSERT_LT(len, static_cast<long>(music.left.size()));
  std::vector<float> pile(len, 0.0f);
  for (long c = 0; c < copies; c++)
    for (size_t i = 0; i < boom.left.size(); i++) pile[c * tick + i] += boom.left[i];
  float loudest = 0.0f;
  long worstat = 0;
  for (long at = 0; at + len <= static_cast<long>(music.left.size()); at += 11025) {
    for (long i = 0; i < len; i++) {
      float v = std::max(std::fabs(pile[i] + musicvolume * music.left[at + i]),
                         std::fabs(pile[i] + musicvolume * music.right[at + i]));
      if (v > loudest) loudest = v, worstat = at;
    }
  }
  EXPECT_LT(loudest, 1.0f) << "with the music from " << worstat / 44100.0f << " s";
}

// A real fight's effects against the music: at the rates a recorded game
// played them (six quick shots and three slower ones a second, near four
// explosions, nearly two Hole hums and a few spawns), the effects together
// carry a little more power than the in-game music at its default volume
// (such a game measures about -18 LUFS). Four times the music, as it once
// was, and a fight plays near -15 LUFS with the limiter always at work; much
// less and the shots and explosions drown in the music.
TEST(MediaSounds, AFightsEffectsAtTheirRealRatesSitLevelWithTheMusic) {
  struct Rate {
    const char* stem;
    double persecond;
  } const fight[] = {{"playerfire03", 6.1}, {"playerfire02", 1.7}, {"playerfire01", 1.75},
                     {"nme01exp", 3.7},     {"hole", 1.65},        {"nme02spawn", 0.44},
                     {"nme04spawn", 0.33},  {"nme01spawn", 0.28},  {"nme03spawn", 0.18}};
  auto energy = [](const Decoded& d) {  // summed square of both channels, per channel
    double e = 0.0;
    for (size_t i = 0; i < d.left.size(); i++) e += d.left[i] * d.left[i] + d.right[i] * d.right[i];
    return e / 2.0;
  };
  Decoded music = DecodeSfx(kIngameMusicStem);
  ASSERT_TRUE(music.ok);
  SetDefaultConfig();
  double musicpower = energy(music) / music.left.size() * musicvolume * musicvolume;
  double fxpower = 0.0;
  for (const Rate& r : fight) {
    const Decoded& d = Effect(r.stem);
    ASSERT_TRUE(d.ok) << r.stem;
    fxpower += r.persecond * fxvolume * fxvolume * energy(d) / 44100.0;
  }
  EXPECT_LT(fxpower / musicpower, 1.6);
  EXPECT_GT(fxpower / musicpower, 0.5);
}

// Each enemy kind's spawn sound has its own colour: no two share a spectrum.
TEST(MediaSounds, SpawnSoundsDifferBetweenEnemyKinds) {
  std::vector<std::vector<double>> profiles;
  for (int k = 1; k <= 8; k++) {
    char stem[16];
    std::snprintf(stem, sizeof stem, "nme%02dspawn", k);
    const Decoded& d = Effect(stem);
    ASSERT_TRUE(d.ok) << stem;
    profiles.push_back(OctaveProfile(d.left));
  }
  for (size_t a = 0; a < profiles.size(); a++) {
    for (size_t b = a + 1; b < profiles.size(); b++) {
      double dist = 0.0;
      for (size_t i = 0; i < profiles[a].size(); i++) dist += std::fabs(profiles[a][i] - profiles[b][i]);
      EXPECT_GT(dist, 0.2) << "nme0" << a + 1 << "spawn and nme0" << b + 1 << "spawn sound alike";
    }
  }
}

// The intro sounds follow their pictures: the group sound swells to the
// moment the logo is fully in (about 2.7 s), the tagline has rung out before
// the intro cuts it 1.6 s in, and the splash sound carries its shine past 5 s.
TEST(MediaSounds, IntroSoundsFitTheirScenes) {
  const Decoded& load = Effect("kelvload");
  const Decoded& voice = Effect("kelvvoice");
  const Decoded& splash = Effect("qvosound");
  ASSERT_TRUE(load.ok && voice.ok && splash.ok);
  float peakat = LoudestWindow(load.left);
  EXPECT_GT(peakat, 2.3f);
  EXPECT_LT(peakat, 3.1f);
  float voiceat = LoudestWindow(voice.left);
  float voicepeak = WindowDb(voice.left, voiceat, voiceat + 0.1f);
  EXPECT_LT(WindowDb(voice.left, 1.6f, 10.0f), voicepeak - 25.0f);
  float splashat = LoudestWindow(splash.left);
  float splashpeak = WindowDb(splash.left, splashat, splashat + 0.1f);
  EXPECT_GT(WindowDb(splash.left, 4.9f, 5.4f), splashpeak - 15.0f);
  EXPECT_LT(WindowDb(splash.left, 7.5f, 10.0f), splashpeak - 40.0f);
}

// The intros' sounds as the intros play them, at full channel volume: the
// group sound from the first tick, the tagline from the tagline's first tick,
// both cut when the fade-out begins; the splash sound from the splash's
// 13th tick to its end. Each intro measures within 2 LU of -20 LUFS, with
// the title music and a game rather than a burst ahead of both (they once
// played at -15 and -16).
TEST(MediaSounds, EachIntroPlaysWithin2LuOfMinus20Lufs) {
  constexpr double kTick = 0.016;
  constexpr double kTaglineAt = (171 + 13) * kTick, kGroupFadeOutAt = (171 + 13 + 101) * kTick;
  constexpr double kGroupLength = (171 + 13 + 101 + 96 + 1) * kTick;
  constexpr double kSplashSoundAt = 12 * kTick, kSplashLength = (64 + 155 + 176 + 137 + 1) * kTick;
  struct Play {
    const char* stem;
    double from, to;  // seconds into the intro
  };
  struct Intro {
    double length;
    std::vector<Play> plays;
  } const intros[] = {
      {kGroupLength, {{"kelvload", 0.0, kGroupFadeOutAt}, {"kelvvoice", kTaglineAt, kGroupFadeOutAt}}},
      {kSplashLength, {{"qvosound", kSplashSoundAt, kSplashLength}}},
  };
  for (const Intro& intro : intros) {
    SCOPED_TRACE(intro.plays[0].stem);
    size_t n = static_cast<size_t>(intro.length * 44100);
    std::vector<float> left(n, 0.0f), right(n, 0.0f);
    for (const Play& p : intro.plays) {
      const Decoded& d = Effect(p.stem);
      ASSERT_TRUE(d.ok);
      size_t from = static_cast<size_t>(p.from * 44100), to = std::min(n, static_cast<size_t>(p.to * 44100));
      for (size_t i = from, k = 0; i < to && k < d.left.size(); i++, k++) {
        left[i] += d.left[k];
        right[i] += d.right[k];
      }
    }
    EXPECT_NEAR(IntegratedLufs(left, right), -20.0, 2.0);
  }
}

// Both music tracks: stereo, a minute or more, exactly one loop long, a
// little quieter than the effects, and the jump from the last sample back to
// the first of the same size as the steps around it (a cut in the middle of
// the music jumps five to forty times the typical step). Nor is there a
// fainter click at the seam: above 18.5 kHz, where the codec leaves almost
// nothing, the millisecond across the loop point holds no more than the
// music does almost everywhere else (a step of a hundredth of full scale
// between the last sample and the first, such as a codec guessing at what
// lies beyond a file's ends leaves, stands 14 to 20 dB above that).
TEST(MediaSounds, MusicLoopsSeamlesslyForOverAMinute) {
  struct Track {
    const char* stem;
    long loop;
  } tracks[] = {{kTitleMusicStem, kTitleLoopSamples}, {kIngameMusicStem, kIngameLoopSamples}};
  for (const Track& t : tracks) {
    SCOPED_TRACE(t.stem);
    Decoded d = DecodeSfx(t.stem);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rate, 44100);
    EXPECT_EQ(d.channels, 2);
    long n = static_cast<long>(d.left.size());
    EXPECT_EQ(n, t.loop);
    EXPECT_GE(n, 60L * 44100);
    EXPECT_LT(Db(Peak(d)), -2.0f);
    EXPECT_GT(Db(Rms(d)), -30.0f);
    ASSERT_GT(n, 8192);
    for (const std::vector<float>* ch : {&d.left, &d.right}) {
      const std::vector<float>& x = *ch;
      std::vector<float> steps;
      for (long i = n - 512; i < n - 1; i++) steps.push_back(std::fabs(x[i + 1] - x[i]));
      for (long i = 0; i < 511; i++) steps.push_back(std::fabs(x[i + 1] - x[i]));
      std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
      float typical = steps[steps.size() / 2];
      float seam = std::fabs(x[0] - x[n - 1]);
      EXPECT_LE(seam, 4.0f * typical + 0.001f) << "seam " << seam << " typical " << typical;
    }
    std::vector<float> elsewhere;
    for (long at = 4096; at + 4096 < n; at += 1024) elsewhere.push_back(HighBandDb(d, at));
    std::sort(elsewhere.begin(), elsewhere.end());
    float usual = elsewhere[elsewhere.size() * 99 / 100];
    EXPECT_LE(HighBandDb(d, 0), usual) << "above 18.5 kHz the seam holds " << HighBandDb(d, 0)
                                       << " dB; 99% of the loop holds at most " << usual << " dB";
  }
}

namespace {

// An Ogg file's pages, each whole.
std::vector<std::vector<uint8_t>> Pages(const std::vector<uint8_t>& ogg) {
  std::vector<std::vector<uint8_t>> pages;
  for (size_t at = 0; at + 27 <= ogg.size();) {
    size_t length = 27 + ogg[at + 26];
    for (size_t i = 0; i < ogg[at + 26]; i++) length += ogg[at + 27 + i];
    pages.emplace_back(ogg.begin() + at, ogg.begin() + at + length);
    at += length;
  }
  return pages;
}

// The pages written out again, each with its CRC made good.
std::vector<uint8_t> Ogg(std::vector<std::vector<uint8_t>> pages) {
  std::vector<uint8_t> out;
  for (std::vector<uint8_t>& p : pages) {
    const uint32_t crc = OggPageCrc(p.data(), p.size());
    for (int i = 0; i < 4; i++) p[22 + i] = uint8_t(crc >> (8 * i));
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

// A 20000-frame mono sound kept with the fuzzing seeds (five pages: the
// identification header at byte 0, the other headers at 58, sound at 3536,
// 3728 and 3922), damaged as the case says, and what both builds must make
// of it: refused with why, or loaded with frames and warning.
struct DamagedSound {
  const char* name;
  void (*damage)(std::vector<uint8_t>& ogg);
  const char* why;
  long frames;
  const char* warning;
};

constexpr size_t kLastPageAt = 3922;

const DamagedSound kDamagedSounds[] = {
    {"ABadCrcOnASoundPage", [](std::vector<uint8_t>& o) { o[3536 + 22] ^= 1; },
     "it is damaged (the page at byte 3536 fails its CRC check)", 0, ""},
    {"ABadCrcOnItsLastPage", [](std::vector<uint8_t>& o) { o.back() ^= 0x10; },
     "it is damaged (the page at byte 3922 fails its CRC check)", 0, ""},
    {"APageMissing",
     [](std::vector<uint8_t>& o) {
       auto p = Pages(o);
       p.erase(p.begin() + 2);
       o = Ogg(p);
     },
     "it is damaged (the page at byte 3536 is out of order in its stream)", 0, ""},
    {"BytesBetweenPages", [](std::vector<uint8_t>& o) { o.insert(o.begin() + 3536, {'j', 'u', 'n', 'k'}); },
     "it is damaged (no Ogg page begins at byte 3536)", 0, ""},
    {"AHeaderPageOutOfSequence",
     [](std::vector<uint8_t>& o) {
       auto p = Pages(o);
       p[1][18] = 2;
       o = Ogg(p);
     },
     "it is damaged (the page at byte 58 is out of order in its stream)", 0, ""},
    {"ItsFirstPageEndingTheStream",
     [](std::vector<uint8_t>& o) {
       auto p = Pages(o);
       p[0][5] |= 4;
       o = Ogg(p);
     },
     "it is damaged (the page at byte 58 is out of order in its stream)", 0, ""},
    {"APageCarryingOnAPacketThatEnded",
     [](std::vector<uint8_t>& o) {
       auto p = Pages(o);
       p[2][5] |= 1;
       o = Ogg(p);
     },
     "it is damaged (the page at byte 3536 is out of order in its stream)", 0, ""},
    {"ASetupHeaderWithoutItsFramingBit",
     [](std::vector<uint8_t>& o) {
       auto p = Pages(o);
       p[1].back() = 0;
       o = Ogg(p);
     },
     "it is not an Ogg Vorbis sound", 0, ""},
    {"ASecondStreamWithTheFirstOnesSerial", [](std::vector<uint8_t>& o) { o.insert(o.end(), o.begin(), o.end()); },
     "it is damaged (the page at byte 4287 is out of order in its stream)", 0, ""},
    {"ACutInsideItsLastPage", [](std::vector<uint8_t>& o) { o.resize(kLastPageAt + 100); }, "", 13440,
     "it seems cut short (its last page does not end the stream)"},
};

void PrintTo(const DamagedSound& d, std::ostream* os) { *os << d.name; }

class MediaDamagedSounds : public ::testing::TestWithParam<DamagedSound> {};

// The desktop's Vorbis and the browser's stb once split on these: stb read
// pages with bad CRCs and out of sequence, and the pieces of a cut page;
// Vorbis skipped damaged pages and read past bytes between them. Now either
// build loads or refuses each alike, for the same reason.
TEST_P(MediaDamagedSounds, LoadOrAreRefusedAlikeInEitherBuild) {
  std::ifstream f(PULSEFIELD_SOURCE_DIR "/tests/fuzz/ogg/mono-44100hz.ogg", std::ios::binary);
  std::vector<uint8_t> ogg((std::istreambuf_iterator<char>(f)), {});
  ASSERT_EQ(Pages(ogg).size(), 5u);
  ASSERT_EQ(ogg.size() - Pages(ogg).back().size(), kLastPageAt);
  GetParam().damage(ogg);
  std::string why, warning;
  std::unique_ptr<TSound> s(LoadSoundFromMemory(ogg.data(), ogg.size(), 0, "damaged.ogg", &why, &warning));
  EXPECT_EQ(why, GetParam().why);
  EXPECT_EQ(s ? s->Frames() : 0, GetParam().frames);
  EXPECT_EQ(warning, GetParam().warning);
}

INSTANTIATE_TEST_SUITE_P(Media, MediaDamagedSounds, ::testing::ValuesIn(kDamagedSounds),
                         [](const ::testing::TestParamInfo<DamagedSound>& i) { return std::string(i.param.name); });

}  // namespace
