// Oscillators, filters, envelopes and effects for the media generator's sounds.
#include "synth.h"
#include <algorithm>
#include <cmath>

namespace {

// PolyBLEP residual that rounds off a saw or pulse edge at phase t.
float PolyBlep(double t, double dt) {
  if (t < dt) {
    double x = t / dt;
    return static_cast<float>(x + x - x * x - 1.0);
  }
  if (t > 1.0 - dt) {
    double x = (t - 1.0) / dt;
    return static_cast<float>(x * x + x + x + 1.0);
  }
  return 0.0f;
}

}  // namespace

// Advances the phase and returns a sine sample.
float Osc::Sine(float hz) {
  float v = std::sin(static_cast<float>(phase) * kTwoPi);
  phase += hz / kSynthRate;
  phase -= std::floor(phase);
  return v;
}

// Advances the phase and returns a band-limited rising saw sample.
float Osc::Saw(float hz) {
  double dt = std::min(0.5, std::max(1e-9, static_cast<double>(hz) / kSynthRate));
  float v = static_cast<float>(2.0 * phase - 1.0) - PolyBlep(phase, dt);
  phase += dt;
  phase -= std::floor(phase);
  return v;
}

// Advances the phase and returns a band-limited pulse sample of the given width.
float Osc::Pulse(float hz, float width) {
  double dt = std::min(0.5, std::max(1e-9, static_cast<double>(hz) / kSynthRate));
  float v = phase < width ? 1.0f : -1.0f;
  v += PolyBlep(phase, dt);
  double t2 = phase - width + 1.0;
  t2 -= std::floor(t2);
  v -= PolyBlep(t2, dt);
  phase += dt;
  phase -= std::floor(phase);
  return v;
}

// Advances the phase and returns a triangle sample.
float Osc::Tri(float hz) {
  float p = static_cast<float>(phase);
  float v = p < 0.5f ? 4.0f * p - 1.0f : 3.0f - 4.0f * p;
  phase += hz / kSynthRate;
  phase -= std::floor(phase);
  return v;
}

// Recomputes the filter coefficients for a cutoff and resonance.
void Svf::Set(float hz, float q) {
  hz = std::clamp(hz, 10.0f, kSynthRate * 0.45f);
  g = std::tan(kPi * hz / kSynthRate);
  k = 1.0f / std::max(q, 0.05f);
  a1 = 1.0f / (1.0f + g * (g + k));
  a2 = g * a1;
  a3 = g * a2;
}

// Filters one sample through the state-variable filter.
void Svf::Run(float x) {
  float v3 = x - ic2;
  float v1 = a1 * ic1 + a2 * v3;
  float v2 = ic2 + a2 * ic1 + a3 * v3;
  ic1 = 2.0f * v1 - ic1;
  ic2 = 2.0f * v2 - ic2;
  low = v2;
  band = v1;
  high = x - k * v1 - v2;
}

// Converts a MIDI note number to Hz.
float NoteHz(float midi) { return 440.0f * std::pow(2.0f, (midi - 69.0f) / 12.0f); }

// Exponential decay reaching -60 dB after t60 seconds.
float Decay(float t, float t60) {
  if (t < 0.0f) return 0.0f;
  return std::exp(-6.9078f * t / t60);
}

// Linear rise over a seconds, then exponential decay.
float AttackDecay(float t, float a, float t60) {
  if (t < 0.0f) return 0.0f;
  if (t < a) return t / a;
  return Decay(t - a, t60);
}

// A raised-cosine gate for a note of length len.
float NoteGate(float t, float len, float fadein, float fadeout) {
  if (t < 0.0f || t > len) return 0.0f;
  float g = 1.0f;
  if (fadein > 0.0f && t < fadein) g *= 0.5f - 0.5f * std::cos(kPi * t / fadein);
  if (fadeout > 0.0f && t > len - fadeout) g *= 0.5f - 0.5f * std::cos(kPi * (len - t) / fadeout);
  return g;
}

// A sine carrier phase-modulated by a sine at ratio times its frequency.
float FmTone(float hz, float ratio, float index, float t) {
  return std::sin(kTwoPi * hz * t + index * std::sin(kTwoPi * hz * ratio * t));
}

// Soft saturation: tanh-like, linear near zero.
float SoftClip(float x) {
  if (x > 3.0f) return 1.0f;
  if (x < -3.0f) return -1.0f;
  float x2 = x * x;
  return x * (27.0f + x2) / (27.0f + 9.0f * x2);
}

// Exponential interpolation between a and b.
float ExpSweep(float a, float b, float u) {
  u = std::clamp(u, 0.0f, 1.0f);
  return a * std::pow(b / a, u);
}

// Fades the ends of a buffer with raised-cosine ramps.
void FadeEdges(Buf& b, float fadeinsec, float fadeoutsec) {
  int n = static_cast<int>(b.size());
  int fi = std::min(n, Samples(fadeinsec)), fo = std::min(n, Samples(fadeoutsec));
  for (int i = 0; i < fi; i++) b[i] *= 0.5f - 0.5f * std::cos(kPi * i / fi);
  for (int i = 0; i < fo; i++) b[n - 1 - i] *= 0.5f - 0.5f * std::cos(kPi * i / fo);
}

// Scales a mono buffer to the given peak level.
void NormalisePeak(Buf& b, float peakdb) {
  float peak = 0.0f;
  for (float v : b) peak = std::max(peak, std::fabs(v));
  if (peak <= 0.0f) return;
  float gain = std::pow(10.0f, peakdb / 20.0f) / peak;
  for (float& v : b) v *= gain;
}

// Scales a stereo buffer (both sides alike) to the given peak level.
void NormalisePeak(Stereo& s, float peakdb) {
  float peak = 0.0f;
  for (float v : s.l) peak = std::max(peak, std::fabs(v));
  for (float v : s.r) peak = std::max(peak, std::fabs(v));
  if (peak <= 0.0f) return;
  float gain = std::pow(10.0f, peakdb / 20.0f) / peak;
  for (float& v : s.l) v *= gain;
  for (float& v : s.r) v *= gain;
}

// One-pole high-pass that removes offsets and subsonic drift.
void DcBlock(Buf& b, float hz) {
  float r = std::exp(-kTwoPi * hz / kSynthRate);
  float x1 = 0.0f, y1 = 0.0f;
  for (float& v : b) {
    float y = v - x1 + r * y1;
    x1 = v;
    y1 = y;
    v = y;
  }
}

// Adds src scaled by gain into dst at offset.
void MixInto(Buf& dst, const Buf& src, int offset, float gain) {
  for (size_t i = 0; i < src.size(); i++) {
    long j = offset + static_cast<long>(i);
    if (j < 0) continue;
    if (j >= static_cast<long>(dst.size())) break;
    dst[j] += gain * src[i];
  }
}

// Builds the comb and all-pass lines; the right side is slightly longer for width.
Reverb::Reverb(float size, float damping) {
  static const int combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static const int aps[4] = {556, 441, 341, 225};
  const int spread = 23;
  for (int c : combs) {
    combl.emplace_back(c, 0.0f);
    combr.emplace_back(c + spread, 0.0f);
  }
  for (int a : aps) {
    apl.emplace_back(a, 0.0f);
    apr.emplace_back(a + spread, 0.0f);
  }
  combposl.assign(8, 0);
  combposr.assign(8, 0);
  apposl.assign(4, 0);
  apposr.assign(4, 0);
  combfilt.assign(16, 0.0f);
  feedback = 0.7f + 0.28f * size;
  damp = damping * 0.4f;
}

// Runs one sample through both reverb halves.
void Reverb::Run(float in, float& outl, float& outr) {
  float input = in * 0.015f;
  float sl = 0.0f, sr = 0.0f;
  for (int c = 0; c < 8; c++) {
    Buf& bl = combl[c];
    Buf& br = combr[c];
    int& pl = combposl[c];
    int& pr = combposr[c];
    float ol = bl[pl], orr = br[pr];
    combfilt[c] = ol * (1.0f - damp) + combfilt[c] * damp;
    combfilt[8 + c] = orr * (1.0f - damp) + combfilt[8 + c] * damp;
    bl[pl] = input + combfilt[c] * feedback;
    br[pr] = input + combfilt[8 + c] * feedback;
    sl += ol;
    sr += orr;
    if (++pl == static_cast<int>(bl.size())) pl = 0;
    if (++pr == static_cast<int>(br.size())) pr = 0;
  }
  for (int a = 0; a < 4; a++) {
    Buf& bl = apl[a];
    Buf& br = apr[a];
    int& pl = apposl[a];
    int& pr = apposr[a];
    float ol = bl[pl], orr = br[pr];
    bl[pl] = sl + ol * 0.5f;
    br[pr] = sr + orr * 0.5f;
    sl = ol - sl;
    sr = orr - sr;
    if (++pl == static_cast<int>(bl.size())) pl = 0;
    if (++pr == static_cast<int>(br.size())) pr = 0;
  }
  outl = sl;
  outr = sr;
}

// Mixes a mono reverb tail into a mono buffer.
void AddReverb(Buf& b, float size, float damp, float wet) {
  Reverb rv(size, damp);
  for (float& v : b) {
    float l, r;
    rv.Run(v, l, r);
    v += wet * 0.5f * (l + r);
  }
}

// Mixes a darkened feedback echo into a mono buffer.
void AddEcho(Buf& b, float delaysec, float feedback, float wet, float lowpasshz) {
  int d = std::max(1, Samples(delaysec));
  Buf line(d, 0.0f);
  OnePole lp;
  float coef = 1.0f - std::exp(-kTwoPi * lowpasshz / kSynthRate);
  int pos = 0;
  for (float& v : b) {
    float echo = line[pos];
    line[pos] = v + lp.Lp(echo, coef) * feedback;
    pos = (pos + 1) % d;
    v += wet * echo;
  }
}
