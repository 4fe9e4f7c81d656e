// The little synthesiser behind every sound of the game: oscillators, noise,
// envelopes, filters and a few effects, all deterministic (fixed-seed noise,
// no clock), working on float buffers at 44100 Hz.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSynthRate = 44100;
constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.28318530717959f;

using Buf = std::vector<float>;

// A stereo buffer: left and right halves of equal length.
struct Stereo {
  Buf l, r;
  explicit Stereo(size_t n = 0) : l(n, 0.0f), r(n, 0.0f) {}
  size_t size() const { return l.size(); }
};

// Xorshift noise source; the same seed always gives the same hiss.
struct Noise {
  uint32_t state;
  explicit Noise(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  // A white noise sample in [-1, 1).
  float White() { return (Next() >> 8) * (2.0f / 16777216.0f) - 1.0f; }
  // A uniform real in [lo, hi).
  float Range(float lo, float hi) { return lo + (hi - lo) * (Next() >> 8) * (1.0f / 16777216.0f); }
};

// A phase-accumulating oscillator with band-limited saw and pulse shapes.
struct Osc {
  double phase = 0.0;  // 0..1
  // Advances by one sample at frequency hz and returns the shape's value.
  float Sine(float hz);
  float Saw(float hz);
  float Pulse(float hz, float width);
  float Tri(float hz);
};

// State-variable filter (trapezoidal), stable under fast cutoff sweeps.
struct Svf {
  float ic1 = 0.0f, ic2 = 0.0f;
  float g = 0.0f, k = 1.0f, a1 = 0.0f, a2 = 0.0f, a3 = 0.0f;
  float low = 0.0f, band = 0.0f, high = 0.0f;
  // Sets cutoff in Hz and resonance q (0.5 gentle .. 10 ringing).
  void Set(float hz, float q);
  // Filters one sample; afterwards low, band and high hold the three outputs.
  void Run(float x);
  float Lp(float x) { Run(x); return low; }
  float Hp(float x) { Run(x); return high; }
  float Bp(float x) { Run(x); return band; }
};

// A one-pole smoother / low-pass.
struct OnePole {
  float z = 0.0f;
  float Lp(float x, float coef) { z += coef * (x - z); return z; }
};

// Frequency in Hz of a MIDI note number (69 = A 440).
float NoteHz(float midi);
// Exponential decay to 1/1000 (-60 dB) over t60 seconds, evaluated at t.
float Decay(float t, float t60);
// Linear attack over a seconds, hold, then exponential decay with t60 after the attack.
float AttackDecay(float t, float a, float t60);
// Smooth 0..1..0 window with fades of f seconds at both ends of a length-len note.
float NoteGate(float t, float len, float fadein, float fadeout);
// A two-operator FM tone at time t: carrier hz, modulator at ratio times hz
// bending the carrier's phase by index radians. The heart of every bell.
float FmTone(float hz, float ratio, float index, float t);
// Gentle saturation that keeps small signals linear.
float SoftClip(float x);
// Sweeps exponentially from a to b as u goes 0..1.
float ExpSweep(float a, float b, float u);

// Number of samples in s seconds.
inline int Samples(float s) { return static_cast<int>(s * kSynthRate + 0.5f); }

// Short fades at both ends so a sound never starts or stops with a click.
void FadeEdges(Buf& b, float fadeinsec, float fadeoutsec);
// Scales b so its largest magnitude sits at peakdb dBFS.
void NormalisePeak(Buf& b, float peakdb);
void NormalisePeak(Stereo& s, float peakdb);
// Removes any constant offset with a gentle high-pass at hz.
void DcBlock(Buf& b, float hz);
// Adds src into dst starting at offset (clipped to dst's length).
void MixInto(Buf& dst, const Buf& src, int offset, float gain);

// A stereo plate-like reverb (parallel combs into series all-passes).
struct Reverb {
  std::vector<Buf> combl, combr, apl, apr;
  std::vector<int> combposl, combposr, apposl, apposr;  // read/write place in each line
  std::vector<float> combfilt;
  float feedback, damp;
  // size 0..1 sets the decay, damp 0..1 darkens the tail.
  Reverb(float size, float damping);
  // Processes one input sample (mono send) into a stereo wet pair.
  void Run(float in, float& outl, float& outr);
};

// Runs a mono buffer through a fresh reverb and mixes the wet signal back in.
void AddReverb(Buf& b, float size, float damp, float wet);
// Adds a feedback echo of delaysec to b.
void AddEcho(Buf& b, float delaysec, float feedback, float wet, float lowpasshz);
