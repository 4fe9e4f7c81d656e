// A small step sequencer and the two music loops written with it. Notes are
// rendered one by one onto buses whose length is exactly one loop; anything
// that rings past the end wraps round to the start, and the reverb and echo
// run over the loop twice so their tails at the seam are those of a loop that
// has been playing, which makes the last sample flow into the first.
#include "music.h"
#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace {

// One chord of a progression: bass root, pad voicing and arpeggio tones.
struct Chord {
  int bass;
  int pad[4];
  int arp[4];
};

// A melody note: start step within its bar, length in steps, MIDI note.
struct MelNote {
  int step, len, note;
};

// The mix being built: buses, effect sends and the sidechain duck.
struct Song {
  long len, step;
  Stereo drums, synths, lead;
  Buf revsend, delsend;
  Buf kickmarks;  // 1 where a kick lands, for the pumping duck
  Song(long steplen, long bars)
      : len(steplen * 16 * bars), step(steplen), drums(len), synths(len), lead(len), revsend(len, 0.0f),
        delsend(len, 0.0f), kickmarks(len, 0.0f) {}
  // Sample position of a step counted from the loop's start.
  long At(long bar, double stepinbar) const { return bar * 16 * step + static_cast<long>(stepinbar * step); }
  // Seconds of a number of steps.
  float Secs(float steps) const { return steps * step / static_cast<float>(kSynthRate); }
  // Places a mono note on a bus, wrapping round the loop end.
  void Add(Stereo& bus, const Buf& note, long start, float gain, float pan, float rev, float del) {
    float gl = gain * std::min(1.0f, 1.0f - pan), gr = gain * std::min(1.0f, 1.0f + pan);
    for (size_t i = 0; i < note.size(); i++) {
      long j = (start + static_cast<long>(i)) % len;
      float v = note[i];
      bus.l[j] += gl * v;
      bus.r[j] += gr * v;
      revsend[j] += rev * gain * v;
      delsend[j] += del * gain * v;
    }
  }
  // Places a stereo note on a bus, wrapping round the loop end.
  void AddStereo(Stereo& bus, const Stereo& note, long start, float gain, float rev, float del) {
    for (size_t i = 0; i < note.size(); i++) {
      long j = (start + static_cast<long>(i)) % len;
      bus.l[j] += gain * note.l[i];
      bus.r[j] += gain * note.r[i];
      float m = 0.5f * (note.l[i] + note.r[i]);
      revsend[j] += rev * gain * m;
      delsend[j] += del * gain * m;
    }
  }
};

// Kick drum: a sine diving in pitch with a short click.
Buf Kick(float vel) {
  Buf b(Samples(0.45f));
  Osc o;
  Noise n(0x61c);
  Svf clicklp;
  clicklp.Set(3500.0f, 0.7f);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    float hz = 45.0f + 110.0f * std::exp(-t / 0.03f);
    float v = o.Sine(hz) * AttackDecay(t, 0.0015f, 0.42f);
    v += 0.3f * clicklp.Lp(n.White()) * AttackDecay(t, 0.001f, 0.01f);
    b[i] = vel * SoftClip(1.4f * v);
  }
  return b;
}

// Snare: a short tone under a burst of band-passed noise.
Buf Snare(float vel, uint32_t seed) {
  Buf b(Samples(0.4f));
  Osc o;
  Noise n(seed);
  Svf hp;
  hp.Set(1200.0f, 0.8f);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    float tone = o.Sine(190.0f * (1.0f + 0.3f * std::exp(-t / 0.01f))) * Decay(t, 0.12f);
    float noise = hp.Hp(n.White()) * AttackDecay(t, 0.001f, 0.28f);
    b[i] = vel * (0.5f * tone + 0.7f * noise);
  }
  return b;
}

// Clap: three quick noise bursts and a short tail.
Buf Clap(float vel, uint32_t seed) {
  Buf b(Samples(0.3f));
  Noise n(seed);
  Svf bp;
  bp.Set(1300.0f, 1.5f);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    float e = 0.0f;
    for (int k = 0; k < 3; k++) e = std::max(e, AttackDecay(t - 0.011f * k, 0.0005f, 0.03f));
    e = std::max(e, 0.6f * AttackDecay(t - 0.033f, 0.001f, 0.2f));
    b[i] = vel * 1.6f * e * bp.Bp(n.White());
  }
  return b;
}

// Hi-hat: high-passed noise, closed or open by its decay.
Buf Hat(float vel, float t60, uint32_t seed) {
  Buf b(Samples(t60 + 0.02f));
  Noise n(seed);
  Svf hp, hp2;
  hp.Set(7500.0f, 0.7f);
  hp2.Set(7500.0f, 0.7f);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    b[i] = vel * hp2.Hp(hp.Hp(n.White())) * AttackDecay(t, 0.0008f, t60);
  }
  return b;
}

// Crash cymbal: a long bright wash.
Buf Crash(float vel, uint32_t seed) {
  Buf b(Samples(2.2f));
  Noise n(seed);
  Svf hp, bp;
  hp.Set(4500.0f, 0.7f);
  bp.Set(9000.0f, 1.0f);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    float w = n.White();
    b[i] = vel * (0.6f * hp.Hp(w) + 0.5f * bp.Bp(w)) * AttackDecay(t, 0.002f, 2.0f);
  }
  return b;
}

// Riser: a bar of noise sweeping up into the next section, gone by the downbeat.
Buf Riser(float len, uint32_t seed) {
  Buf b(Samples(len));
  Noise n(seed);
  Svf bp;
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    float u = t / len;
    bp.Set(ExpSweep(400.0f, 9000.0f, u), 2.5f);
    b[i] = bp.Bp(n.White()) * u * u * NoteGate(t, len, 0.0f, 0.03f);
  }
  return b;
}

// Tom for fills: a pitched thud.
Buf Tom(float hz, float vel) {
  Buf b(Samples(0.35f));
  Osc o;
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    b[i] = vel * o.Sine(hz * (1.0f + 0.5f * std::exp(-t / 0.02f))) * AttackDecay(t, 0.001f, 0.3f);
  }
  return b;
}

// Driving bass: saw and square through a plucked resonant low-pass.
Buf PluckBass(int note, float len, float vel, float bright) {
  float rel = 0.03f;
  Buf b(Samples(len + rel));
  Osc a, s, sub;
  Svf lp;
  float hz = NoteHz(note);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    lp.Set(180.0f + bright * 2200.0f * Decay(t, 0.18f), 2.2f);
    float v = lp.Lp(0.6f * a.Saw(hz) + 0.4f * s.Pulse(hz * 1.003f, 0.5f));
    v += 0.3f * sub.Sine(hz * 0.5f);
    b[i] = vel * v * NoteGate(t, len + rel, 0.002f, rel);
  }
  return b;
}

// Round, soft bass for the title: a filtered saw over a sine.
Buf SoftBass(int note, float len, float vel) {
  float rel = 0.12f;
  Buf b(Samples(len + rel));
  Osc a, sub;
  Svf lp;
  float hz = NoteHz(note);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    lp.Set(300.0f + 700.0f * Decay(t, 0.5f), 1.0f);
    float v = 0.5f * lp.Lp(a.Saw(hz)) + 0.7f * sub.Sine(hz);
    b[i] = vel * v * NoteGate(t, len + rel, 0.01f, rel);
  }
  return b;
}

// Wide pad: five detuned saws per note split across the two sides.
Stereo Pad(const int* notes, int count, float len, float vel, float cutoff, float attack, float release) {
  Stereo out(Samples(len + release));
  static const float det[5] = {-0.011f, -0.005f, 0.0f, 0.006f, 0.012f};
  static const float side[5] = {-0.9f, 0.5f, 0.0f, -0.5f, 0.9f};
  // Every note of the chord shares one swell.
  Buf gate(out.size());
  for (size_t i = 0; i < gate.size(); i++) gate[i] = NoteGate(static_cast<float>(i) / kSynthRate, len + release, attack, release);
  for (int n = 0; n < count; n++) {
    float hz = NoteHz(notes[n]);
    Osc o[5];
    for (int k = 0; k < 5; k++) o[k].phase = 0.17 * k + 0.05 * n;
    Svf lpl, lpr;
    lpl.Set(cutoff, 0.9f);
    lpr.Set(cutoff, 0.9f);
    for (size_t i = 0; i < out.size(); i++) {
      float env = gate[i];
      float l = 0.0f, r = 0.0f;
      for (int k = 0; k < 5; k++) {
        float v = o[k].Saw(hz * (1.0f + det[k] * 0.6f));
        l += v * (1.0f - side[k]) * 0.5f;
        r += v * (1.0f + side[k]) * 0.5f;
      }
      out.l[i] += vel * env * 0.2f * lpl.Lp(l);
      out.r[i] += vel * env * 0.2f * lpr.Lp(r);
    }
  }
  return out;
}

// Everything that shapes a pad, so a chord heard before can be reused.
struct PadKey {
  std::array<int, 4> notes{};
  int count;
  float len, vel, cutoff, attack, release;
  auto operator<=>(const PadKey&) const = default;
};

// Returns the pad for these settings, rendering it only the first time a track asks for it.
const Stereo& CachedPad(std::map<PadKey, Stereo>& cache, const int* notes, int count, float len, float vel,
                        float cutoff, float attack, float release) {
  PadKey key{{}, count, len, vel, cutoff, attack, release};
  std::copy(notes, notes + count, key.notes.begin());
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, Pad(notes, count, len, vel, cutoff, attack, release)).first;
  return it->second;
}

// Arpeggio pluck: a narrow pulse with a snappy filter.
Buf Pluck(int note, float len, float vel, float bright) {
  Buf b(Samples(len + 0.25f));
  Osc p, s;
  Svf lp;
  float hz = NoteHz(note);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    lp.Set(500.0f + bright * 5000.0f * Decay(t, 0.15f), 1.8f);
    float v = lp.Lp(0.6f * p.Pulse(hz, 0.3f) + 0.4f * s.Saw(hz * 1.004f));
    b[i] = vel * v * AttackDecay(t, 0.002f, 0.35f) * NoteGate(t, len + 0.25f, 0.0f, 0.05f);
  }
  return b;
}

// Lead synth: two detuned saws and a pulse with a vibrato that grows in.
Buf Lead(int note, float len, float vel, float cutoff) {
  float rel = 0.18f;
  Buf b(Samples(len + rel));
  Osc a, c, d;
  Svf lp;
  float hz = NoteHz(note);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    float vib = 1.0f + 0.006f * std::min(1.0f, t / 0.4f) * std::sin(kTwoPi * 5.2f * t);
    lp.Set(cutoff * (0.7f + 0.5f * Decay(t, 0.3f)), 1.2f);
    float v = lp.Lp(0.4f * a.Saw(hz * vib) + 0.4f * c.Saw(hz * vib * 1.006f) + 0.3f * d.Pulse(hz * vib * 0.5f, 0.4f));
    float env = NoteGate(t, len + rel, 0.012f, rel) * (0.8f + 0.2f * Decay(t, 0.25f));
    b[i] = vel * v * env;
  }
  return b;
}

// Glassy FM bell for the title melody.
Buf BellNote(int note, float len, float vel) {
  Buf b(Samples(len + 1.2f));
  float hz = NoteHz(note);
  for (size_t i = 0; i < b.size(); i++) {
    float t = static_cast<float>(i) / kSynthRate;
    float idx = 1.6f * Decay(t, 0.8f);
    float v = FmTone(hz, 2.0f, idx, t);
    v += 0.3f * std::sin(kTwoPi * hz * 2.0f * t) * Decay(t, 0.5f);
    b[i] = vel * v * AttackDecay(t, 0.004f, 1.2f + len) * NoteGate(t, len + 1.2f, 0.0f, 0.3f);
  }
  return b;
}

// Runs the reverb and the ping-pong echo over the loop twice and mixes the
// second pass, so the effect tails are those of a loop already playing.
void AddEffectsLooped(Song& s, Stereo& out, float revsize, float revdamp, float revgain, long delaysamples,
                      float delfeedback, float delgain) {
  Reverb rv(revsize, revdamp);
  Buf dl(delaysamples, 0.0f), dr(delaysamples, 0.0f);
  OnePole lpl, lpr;
  float coef = 1.0f - std::exp(-kTwoPi * 3500.0f / kSynthRate);
  long pos = 0;
  for (int pass = 0; pass < 2; pass++) {
    for (long i = 0; i < s.len; i++) {
      float rl, rr;
      rv.Run(s.revsend[i], rl, rr);
      // Ping-pong: the left line feeds the right and back.
      float el = dl[pos], er = dr[pos];
      dl[pos] = s.delsend[i] + lpr.Lp(er, coef) * delfeedback;
      dr[pos] = lpl.Lp(el, coef) * delfeedback;
      pos = (pos + 1) % delaysamples;
      if (pass == 1) {
        out.l[i] += revgain * rl + delgain * el;
        out.r[i] += revgain * rr + delgain * er;
      }
    }
  }
}

// The kick's pumping: synths dip under every kick and swell back.
Buf DuckCurve(const Song& s, float depth, float recover) {
  Buf duck(s.len, 1.0f);
  long w = Samples(recover);
  for (long i = 0; i < s.len; i++) {
    if (s.kickmarks[i] == 0.0f) continue;
    for (long k = 0; k < w; k++) {
      float u = static_cast<float>(k) / w;
      float g = 1.0f - depth * (1.0f - u) * (1.0f - u);
      long j = (i + k) % s.len;
      duck[j] = std::min(duck[j], g);
    }
  }
  return duck;
}

// Sums the buses, adds the effects, saturates gently and levels the loop.
Stereo MasterMix(Song& s, const Buf& duck, float revsize, float revgain, long delaysamples, float delfeedback,
                 float delgain, float peakdb) {
  Stereo out(s.len);
  for (long i = 0; i < s.len; i++) {
    out.l[i] = s.drums.l[i] + duck[i] * s.synths.l[i] + s.lead.l[i];
    out.r[i] = s.drums.r[i] + duck[i] * s.synths.r[i] + s.lead.r[i];
  }
  AddEffectsLooped(s, out, revsize, 0.45f, revgain, delaysamples, delfeedback, delgain);
  NormalisePeak(out, 0.0f);
  for (long i = 0; i < s.len; i++) {
    out.l[i] = SoftClip(1.3f * out.l[i]);
    out.r[i] = SoftClip(1.3f * out.r[i]);
  }
  NormalisePeak(out, peakdb);
  return out;
}

// Lays a melody of bars on the lead bus with the given instrument.
template <typename F>
void PlayMelody(Song& s, const std::vector<std::vector<MelNote>>& bars, long firstbar, int transpose, F play) {
  for (size_t b = 0; b < bars.size(); b++) {
    for (const MelNote& m : bars[b]) play(s.At(firstbar + static_cast<long>(b), m.step), m.note + transpose, s.Secs(m.len * 0.92f));
  }
}

}  // namespace

// The title track: A minor at 90 beats a minute. Pads and a slow arpeggio
// open, a bell melody joins with soft drums, then a lead takes the tune an
// octave up before the drums fall away again at the loop.
Stereo RenderTitleMusic() {
  Song s(kTitleStepSamples, kTitleBars);
  const Chord am = {45, {57, 60, 64, 67}, {69, 72, 76, 79}};
  const Chord fmaj = {41, {53, 57, 60, 64}, {65, 69, 72, 76}};
  const Chord c = {48, {55, 60, 64, 67}, {67, 72, 76, 79}};
  const Chord g = {43, {55, 59, 62, 67}, {67, 71, 74, 79}};
  const Chord e = {40, {56, 59, 64, 68}, {68, 71, 76, 80}};
  const Chord dm = {38, {57, 60, 62, 65}, {65, 69, 72, 74}};
  const Chord* prog[8] = {&am, &fmaj, &c, &g, &am, &fmaj, &c, &e};
  const Chord* progb[8] = {&am, &fmaj, &c, &g, &dm, &fmaj, &g, &e};
  const std::vector<std::vector<MelNote>> melody = {
      {{0, 6, 69}, {6, 2, 72}, {8, 8, 76}},
      {{0, 4, 77}, {4, 2, 76}, {6, 2, 72}, {8, 8, 69}},
      {{0, 4, 67}, {4, 4, 72}, {8, 4, 76}, {12, 4, 79}},
      {{0, 8, 74}, {8, 4, 71}, {12, 4, 74}},
      {{0, 6, 76}, {6, 2, 74}, {8, 4, 72}, {12, 2, 71}, {14, 2, 72}},
      {{0, 8, 69}, {8, 4, 72}, {12, 4, 77}},
      {{0, 6, 76}, {6, 2, 79}, {8, 4, 76}, {12, 4, 74}},
      {{0, 12, 71}, {12, 4, 68}},
  };
  const float stepsec = s.Secs(1.0f);
  const Buf kick = Kick(1.0f), softkick = Kick(0.8f);
  std::map<PadKey, Stereo> pads;
  for (long bar = 0; bar < kTitleBars; bar++) {
    int section = static_cast<int>(bar / 8);
    const Chord& ch = section == 2 ? *progb[bar % 8] : *prog[bar % 8];
    // Pads: one long chord per bar, overlapping into the next.
    const Stereo& pad = CachedPad(pads, ch.pad, 4, s.Secs(16.0f), 1.0f, section == 0 ? 1400.0f : 2200.0f, 0.35f, 0.9f);
    s.AddStereo(s.synths, pad, s.At(bar, 0), 0.4f, 0.45f, 0.0f);
    // Bass: a held root with a pickup on the last eighth.
    s.Add(s.synths, SoftBass(ch.bass, s.Secs(10.0f), 1.0f), s.At(bar, 0), 0.42f, 0.0f, 0.0f, 0.0f);
    s.Add(s.synths, SoftBass(ch.bass, s.Secs(2.0f), 0.8f), s.At(bar, 10), 0.42f, 0.0f, 0.0f, 0.0f);
    s.Add(s.synths, SoftBass(ch.bass + 12, s.Secs(2.0f), 0.7f), s.At(bar, 14), 0.38f, 0.0f, 0.0f, 0.0f);
    // Arpeggio: eighths climbing and falling through the chord.
    static const int order[8] = {0, 1, 2, 3, 2, 1, 2, 3};
    for (int k = 0; k < 8; k++) {
      int note = ch.arp[order[k]] + (k >= 4 && section == 2 ? 12 : 0);
      float vel = (k % 2 == 0 ? 1.0f : 0.75f) * (section == 0 ? 0.8f : 1.0f);
      s.Add(s.synths, Pluck(note, stepsec * 1.5f, vel, section == 0 ? 0.4f : 0.7f), s.At(bar, 2 * k), 0.28f,
            k % 2 ? 0.35f : -0.35f, 0.3f, 0.5f);
    }
    // Drums from the second section on.
    if (section >= 1) {
      s.Add(s.drums, kick, s.At(bar, 0), 0.9f, 0.0f, 0.0f, 0.0f);
      s.kickmarks[s.At(bar, 0)] = 1.0f;
      s.Add(s.drums, softkick, s.At(bar, 10), 0.8f, 0.0f, 0.0f, 0.0f);
      s.kickmarks[s.At(bar, 10)] = 1.0f;
      for (int beat : {4, 12}) s.Add(s.drums, Snare(1.0f, 0x5000 + static_cast<uint32_t>(bar * 16 + beat)), s.At(bar, beat), 0.5f, 0.05f, 0.8f, 0.0f);
      for (int k = 0; k < 8; k++) {
        float vel = k % 2 ? 0.7f : 0.45f;
        s.Add(s.drums, Hat(vel, 0.05f, 0x4a70 + static_cast<uint32_t>(bar * 16 + k)), s.At(bar, 2 * k), 0.22f, 0.3f, 0.05f, 0.0f);
      }
    } else if (bar >= 4) {
      // A ticking hat builds the opening's second half.
      for (int k = 0; k < 4; k++)
        s.Add(s.drums, Hat(0.5f, 0.04f, 0x3a70 + static_cast<uint32_t>(bar * 16 + k)), s.At(bar, 4 * k + 2), 0.18f, 0.3f, 0.1f, 0.0f);
    }
    // A tom fill closes each section.
    if (bar % 8 == 7 && section >= 1) {
      static const float toms[4] = {196.0f, 165.0f, 131.0f, 98.0f};
      for (int k = 0; k < 4; k++) s.Add(s.drums, Tom(toms[k], 0.9f), s.At(bar, 12 + k), 0.6f, 0.3f - 0.2f * k, 0.3f, 0.0f);
    }
    if (bar % 8 == 0) s.Add(s.drums, Crash(0.7f, 0xc0 + static_cast<uint32_t>(bar)), s.At(bar, 0), 0.35f, -0.2f, 0.4f, 0.0f);
  }
  // The bell melody in the second section; the lead, with the bell an octave
  // below, in the third.
  PlayMelody(s, melody, 8, 0, [&](long at, int note, float len) {
    s.Add(s.lead, BellNote(note + 12, len, 1.0f), at, 0.5f, 0.1f, 0.5f, 0.45f);
  });
  PlayMelody(s, melody, 16, 0, [&](long at, int note, float len) {
    s.Add(s.lead, Lead(note + 12, len, 1.0f, 4000.0f), at, 0.38f, -0.05f, 0.5f, 0.4f);
    s.Add(s.lead, BellNote(note, len, 1.0f), at, 0.28f, 0.2f, 0.4f, 0.3f);
  });
  Buf duck = DuckCurve(s, 0.35f, s.Secs(6.0f));
  return MasterMix(s, duck, 0.88f, 0.9f, 3 * s.step, 0.45f, 0.5f, -4.0f);
}

// The in-game track: E minor at 126 beats a minute. Four on the floor, a
// rolling sixteenth bass, a bright arpeggio, and a lead that plays its main
// tune, a climbing second tune, and the main tune again doubled an octave up.
Stereo RenderIngameMusic() {
  Song s(kIngameStepSamples, kIngameBars);
  const Chord em = {40, {55, 59, 64, 67}, {64, 67, 71, 76}};
  const Chord c = {36, {55, 60, 64, 67}, {64, 67, 72, 76}};
  const Chord g = {43, {55, 59, 62, 67}, {62, 67, 71, 74}};
  const Chord d = {38, {54, 57, 62, 66}, {62, 66, 69, 74}};
  const Chord am = {45, {57, 60, 64, 69}, {64, 69, 72, 76}};
  const Chord b = {47, {54, 59, 63, 66}, {63, 66, 71, 75}};
  const Chord* main[8] = {&em, &c, &g, &d, &em, &c, &g, &d};
  const Chord* bridge[8] = {&am, &em, &c, &d, &am, &em, &c, &d};
  const std::vector<std::vector<MelNote>> tune = {
      {{0, 2, 71}, {2, 2, 76}, {4, 4, 79}, {8, 2, 78}, {10, 2, 76}, {12, 4, 78}},
      {{0, 6, 79}, {6, 2, 76}, {8, 4, 72}, {12, 4, 76}},
      {{0, 2, 74}, {2, 2, 79}, {4, 4, 83}, {8, 2, 81}, {10, 2, 79}, {12, 4, 81}},
      {{0, 12, 78}, {12, 2, 74}, {14, 2, 76}},
      {{0, 2, 71}, {2, 2, 76}, {4, 4, 79}, {8, 2, 78}, {10, 2, 76}, {12, 4, 78}},
      {{0, 6, 79}, {6, 2, 81}, {8, 4, 83}, {12, 4, 79}},
      {{0, 4, 86}, {4, 4, 83}, {8, 4, 81}, {12, 4, 79}},
      {{0, 16, 78}},
  };
  const std::vector<std::vector<MelNote>> climb = {
      {{0, 4, 76}, {4, 4, 81}, {8, 6, 84}, {14, 2, 83}},
      {{0, 8, 79}, {8, 8, 76}},
      {{0, 4, 76}, {4, 4, 79}, {8, 4, 84}, {12, 4, 88}},
      {{0, 12, 86}, {12, 4, 81}},
      {{0, 6, 84}, {6, 2, 83}, {8, 4, 81}, {12, 4, 76}},
      {{0, 6, 79}, {6, 2, 78}, {8, 8, 76}},
      {{0, 2, 76}, {2, 2, 79}, {4, 2, 84}, {6, 2, 88}, {8, 4, 86}, {12, 4, 84}},
      {{0, 16, 86}},
  };
  const float stepsec = s.Secs(1.0f);
  const Buf kick = Kick(1.0f);
  std::map<PadKey, Stereo> pads;
  for (long bar = 0; bar < kIngameBars; bar++) {
    int section = static_cast<int>(bar / 8);
    const Chord* ch = section == 2 ? bridge[bar % 8] : main[bar % 8];
    if (bar == kIngameBars - 1) ch = &b;  // the dominant pulls back to the loop's start
    // Four on the floor, claps on two and four, hats between.
    for (int beat = 0; beat < 4; beat++) {
      long at = s.At(bar, beat * 4);
      s.Add(s.drums, kick, at, 0.95f, 0.0f, 0.0f, 0.0f);
      s.kickmarks[at] = 1.0f;
      s.Add(s.drums, Hat(0.8f, 0.22f, 0x6b00 + static_cast<uint32_t>(bar * 16 + beat)), s.At(bar, beat * 4 + 2),
            0.2f, 0.25f, 0.05f, 0.0f);
      for (int k : {1, 3})
        s.Add(s.drums, Hat(0.6f, 0.04f, 0x6c00 + static_cast<uint32_t>(bar * 16 + beat * 4 + k)),
              s.At(bar, beat * 4 + k), 0.16f, -0.3f, 0.0f, 0.0f);
    }
    bool fill = bar % 8 == 7;
    for (int beat : {4, 12}) {
      if (fill && beat == 12) continue;
      s.Add(s.drums, Clap(1.0f, 0x7c00 + static_cast<uint32_t>(bar * 16 + beat)), s.At(bar, beat), 0.55f, 0.0f, 0.45f, 0.0f);
      s.Add(s.drums, Snare(0.6f, 0x7d00 + static_cast<uint32_t>(bar * 16 + beat)), s.At(bar, beat), 0.35f, 0.05f, 0.3f, 0.0f);
    }
    if (fill) {
      // A snare roll rising into the next section (and into the loop's start).
      int roll = bar == kIngameBars - 1 ? 8 : 4;
      for (int k = 0; k < roll; k++) {
        float vel = 0.5f + 0.5f * (k + 1) / roll;
        s.Add(s.drums, Snare(vel, 0x7e00 + static_cast<uint32_t>(bar * 16 + k)), s.At(bar, 16 - roll + k), 0.45f,
              (k % 2) ? 0.2f : -0.2f, 0.3f, 0.0f);
      }
    }
    if (bar % 16 == 15) s.Add(s.drums, Riser(s.Secs(16.0f), 0x715e + static_cast<uint32_t>(bar)), s.At(bar, 0), 0.3f, 0.0f, 0.3f, 0.0f);
    if (bar % 8 == 0) s.Add(s.drums, Crash(0.8f, 0xc100 + static_cast<uint32_t>(bar)), s.At(bar, 0), 0.32f, 0.2f, 0.4f, 0.0f);

    // Bass: a rolling sixteenth line with octave pops; the bridge rides on eighths.
    for (int k = 0; k < 16; k++) {
      if (section == 2 && k % 4 < 2) continue;
      bool pop = (k % 4 == 2) && section != 2;
      int note = ch->bass + (pop ? 12 : 0);
      float vel = (k % 4 == 0 ? 1.0f : 0.8f);
      float len = section == 2 ? stepsec * 0.9f : stepsec * 0.75f;
      s.Add(s.synths, PluckBass(note, len, vel, section == 2 ? 0.6f : 0.35f + 0.1f * (k % 4 == 0)), s.At(bar, k), 0.5f,
            0.0f, 0.0f, 0.0f);
    }
    // Pad under everything, brighter in the bridge.
    const Stereo& pad = CachedPad(pads, ch->pad, 4, s.Secs(16.0f), 1.0f, section == 2 ? 2600.0f : 1600.0f, 0.08f, 0.4f);
    s.AddStereo(s.synths, pad, s.At(bar, 0), section == 2 ? 0.4f : 0.25f, 0.3f, 0.0f);
    // Arpeggio from the fifth bar on: sixteenths up through two octaves.
    if (bar >= 4) {
      static const int pat[16] = {0, 1, 2, 3, 4, 5, 6, 7, 6, 5, 4, 3, 2, 1, 2, 3};
      for (int k = 0; k < 16; k++) {
        int idx = pat[k];
        int note = ch->arp[idx % 4] + 12 * (idx / 4);
        float vel = k % 4 == 0 ? 1.0f : 0.7f;
        s.Add(s.synths, Pluck(note, stepsec * 0.8f, vel, 0.7f + 0.3f * (section == 3)), s.At(bar, k), 0.24f,
              k % 2 ? 0.4f : -0.4f, 0.15f, 0.35f);
      }
    }
  }
  auto lead = [&](float gain, int octave) {
    return [&s, gain, octave](long at, int note, float len) {
      s.Add(s.lead, Lead(note + 12 * octave, len, 1.0f, 5000.0f), at, gain, 0.0f, 0.35f, 0.35f);
    };
  };
  PlayMelody(s, tune, 8, 0, lead(0.48f, 0));
  PlayMelody(s, climb, 16, 0, lead(0.46f, 0));
  PlayMelody(s, tune, 24, 0, lead(0.4f, 0));
  PlayMelody(s, tune, 24, 0, lead(0.19f, 1));
  Buf duck = DuckCurve(s, 0.5f, s.Secs(3.5f));
  return MasterMix(s, duck, 0.8f, 0.7f, 3 * s.step, 0.4f, 0.45f, -4.0f);
}
