// Every sound effect of the game and the three intro sounds. Each is a short
// recipe of oscillators, noise, envelopes and filters; the seeds are fixed so
// the files come out the same on every build.
#include "synth_fx.h"
#include <algorithm>
#include <cmath>

namespace {

// Fills a buffer of secs seconds by calling f(t) for each sample time t.
template <typename F>
Buf Render(float secs, F f) {
  Buf b(Samples(secs));
  for (size_t i = 0; i < b.size(); i++) b[i] = f(static_cast<float>(i) / kSynthRate);
  return b;
}

// A two-operator FM bell note starting at t0: carrier hz, modulator ratio, brightness.
float Bell(float t, float t0, float hz, float ratio, float index, float t60) {
  float u = t - t0;
  if (u < 0.0f) return 0.0f;
  float env = AttackDecay(u, 0.002f, t60);
  float modenv = index * Decay(u, t60 * 0.5f);
  return env * FmTone(hz, ratio, modenv, u);
}

// A bundle of detuned saws for chords and swells.
struct Supersaw {
  Osc osc[5];
  float Run(float hz, float detune) {
    static const float spread[5] = {-1.0f, -0.45f, 0.0f, 0.5f, 1.0f};
    float s = 0.0f;
    for (int k = 0; k < 5; k++) s += osc[k].Saw(hz * (1.0f + detune * spread[k]));
    return s * 0.3f;
  }
};

// The menu's move beep: a tiny bright blip.
Buf MenuBeep01() {
  Osc a, b;
  return Render(0.09f, [&](float t) {
    float hz = ExpSweep(1250.0f, 1480.0f, t / 0.03f);
    return AttackDecay(t, 0.002f, 0.07f) * (0.75f * a.Sine(hz) + 0.25f * b.Tri(hz * 2.0f));
  });
}

// The menu's select beep: a rising two-note chirp with a little echo.
Buf MenuBeep02() {
  Osc a, b, c, d;
  Svf lp;
  lp.Set(5000.0f, 0.7f);
  Buf s = Render(0.32f, [&](float t) {
    float n1 = AttackDecay(t, 0.002f, 0.09f) * (t < 0.07f ? 1.0f : 0.0f);
    float n2 = AttackDecay(t - 0.06f, 0.002f, 0.18f);
    float v = n1 * (0.6f * a.Sine(988.0f) + 0.25f * b.Pulse(988.0f, 0.25f));
    v += n2 * (0.6f * c.Sine(1480.0f) + 0.25f * d.Pulse(1480.0f, 0.25f));
    return lp.Lp(v);
  });
  AddEcho(s, 0.075f, 0.3f, 0.25f, 3000.0f);
  return s;
}

// The multiplier stepping up: a fast rising arpeggio over a glissando.
Buf Multiply() {
  static const float notes[5] = {84, 88, 91, 96, 100};
  Osc arp[5], gl;
  Svf lp;
  lp.Set(7000.0f, 0.8f);
  Buf s = Render(0.7f, [&](float t) {
    float v = 0.0f;
    for (int k = 0; k < 5; k++) {
      float u = t - 0.045f * k;
      if (u < 0.0f) continue;
      float hz = NoteHz(notes[k]);
      v += AttackDecay(u, 0.002f, 0.22f) * (0.5f * arp[k].Pulse(hz, 0.3f) + 0.5f * std::sin(kTwoPi * hz * u));
    }
    float g = ExpSweep(400.0f, 2200.0f, t / 0.25f);
    v += 0.25f * AttackDecay(t, 0.01f, 0.3f) * gl.Tri(g);
    return lp.Lp(v * 0.4f);
  });
  AddEcho(s, 0.09f, 0.35f, 0.3f, 4000.0f);
  return s;
}

// An extra life: a bright major arpeggio blooming into a shimmering chord.
Buf ExtraLife() {
  static const float arp[4] = {79, 83, 86, 91};
  static const float chord[4] = {67, 71, 74, 79};
  Osc a[4];
  Supersaw pad[4];
  Svf lp;
  Noise n(0x1e1f);
  Buf s = Render(1.4f, [&](float t) {
    float v = 0.0f;
    for (int k = 0; k < 4; k++) {
      float u = t - 0.06f * k;
      if (u >= 0.0f) v += 0.5f * AttackDecay(u, 0.002f, 0.35f) * a[k].Pulse(NoteHz(arp[k]), 0.5f);
    }
    float swell = AttackDecay(t - 0.2f, 0.12f, 1.0f);
    float vib = 1.0f + 0.004f * std::sin(kTwoPi * 5.5f * t);
    float p = 0.0f;
    for (int k = 0; k < 4; k++) p += pad[k].Run(NoteHz(chord[k] + 12) * vib, 0.008f);
    lp.Set(ExpSweep(800.0f, 6000.0f, (t - 0.2f) / 0.3f), 1.2f);
    v += swell * 0.45f * lp.Lp(p);
    float sparkle = 0.0f;
    for (int k = 0; k < 6; k++) sparkle += Bell(t, 0.25f + 0.11f * k, NoteHz(98 + (k % 3) * 4.0f + (k / 3) * 12), 2.0f, 1.5f, 0.4f);
    v += 0.12f * sparkle + 0.01f * n.White() * swell;
    return v;
  });
  AddReverb(s, 0.7f, 0.4f, 0.35f);
  return s;
}

// An extra bomb: a deep resonant sweep up and a punchy power chord.
Buf ExtraBomb() {
  Osc sw, sub, c1, c2, c3;
  Svf lp, lp2;
  OnePole stutter;
  Buf s = Render(1.0f, [&](float t) {
    float hz = ExpSweep(70.0f, 280.0f, t / 0.3f);
    lp.Set(ExpSweep(200.0f, 3500.0f, t / 0.3f), 5.0f);
    float v = 0.5f * AttackDecay(t, 0.005f, 0.45f) * lp.Lp(sw.Saw(hz));
    v += 0.4f * AttackDecay(t, 0.005f, 0.4f) * sub.Sine(hz * 0.5f);
    float u = t - 0.22f;
    if (u > 0.0f) {
      float gate = stutter.Lp(std::fmod(u, 0.09f) > 0.06f ? 0.6f : 1.0f, 0.01f);
      float env = AttackDecay(u, 0.003f, 0.6f) * gate;
      lp2.Set(ExpSweep(4000.0f, 900.0f, u / 0.6f), 1.0f);
      v += 0.5f * env * lp2.Lp(c1.Saw(NoteHz(50)) + c2.Saw(NoteHz(57)) + 0.7f * c3.Pulse(NoteHz(62), 0.4f));
    }
    return v;
  });
  AddEcho(s, 0.11f, 0.3f, 0.25f, 2500.0f);
  return s;
}

// A laser shot: a pulse falling in pitch with a tiny noise click.
Buf Shot(float f0, float f1, float len, float width, int layers, float sub, uint32_t seed) {
  Osc o[3], subo;
  Svf lp, hp;
  Noise n(seed);
  hp.Set(3000.0f, 0.7f);
  return Render(len, [&](float t) {
    float u = t / len;
    float hz = ExpSweep(f0, f1, std::sqrt(u));
    lp.Set(ExpSweep(9000.0f, 1500.0f, u), 1.5f);
    float v = 0.0f;
    for (int k = 0; k < layers; k++) v += o[k].Pulse(hz * (1.0f + 0.012f * k), width - 0.1f * k);
    v = lp.Lp(v / layers);
    v += sub * subo.Sine(hz * 0.25f);
    v *= AttackDecay(t, 0.0015f, len * 0.9f);
    v += 0.5f * Decay(t, 0.012f) * hp.Hp(n.White());
    return v;
  });
}

// Explosion body: noise through a closing low-pass plus a falling thump.
Buf Explosion(float len, float cut0, float cut1, float sweep, float thumphz, float thumpgain, uint32_t seed) {
  Noise n(seed);
  Svf lp, lp2;
  Osc th;
  OnePole crackz;
  float crack = 0.0f;
  return Render(len, [&](float t) {
    lp.Set(ExpSweep(cut0, cut1, t / sweep), 0.9f);
    float body = lp.Lp(n.White()) * AttackDecay(t, 0.002f, len * 0.85f);
    lp2.Set(400.0f, 0.7f);
    float rumble = lp2.Lp(n.White()) * 2.5f * AttackDecay(t, 0.01f, len * 0.9f);
    if ((n.Next() & 1023) < static_cast<uint32_t>(40.0f * Decay(t, len * 0.5f))) crack = n.White();
    crack *= 0.93f;
    float thump = std::sin(kTwoPi * th.phase) * AttackDecay(t, 0.001f, 0.35f);
    th.Sine(ExpSweep(thumphz, thumphz * 0.3f, t / 0.25f));
    return body + 0.4f * rumble + thumpgain * thump + 0.4f * crackz.Lp(crack, 0.5f);
  });
}

// The player's ship blowing up: a long roaring explosion.
Buf PlayerExp() {
  Buf s = Explosion(2.4f, 7000.0f, 120.0f, 1.6f, 110.0f, 0.9f, 0xdead01);
  Osc z;
  Buf zap = Render(0.5f, [&](float t) {
    return 0.35f * AttackDecay(t, 0.001f, 0.4f) * z.Saw(ExpSweep(900.0f, 60.0f, t / 0.45f));
  });
  MixInto(s, zap, 0, 1.0f);
  AddReverb(s, 0.8f, 0.5f, 0.4f);
  return s;
}

// The bomb: a sub boom and an expanding whoosh that swells and fades.
Buf Bomb() {
  Noise n(0xb0b);
  Svf bp, lp;
  Osc sub, ring1, ring2;
  Buf s = Render(2.2f, [&](float t) {
    float boom = AttackDecay(t, 0.003f, 1.4f) * sub.Sine(ExpSweep(90.0f, 28.0f, t / 0.8f));
    float u = t / 0.9f;
    float wc = u < 1.0f ? ExpSweep(300.0f, 4000.0f, u) : ExpSweep(4000.0f, 300.0f, (t - 0.9f) / 1.2f);
    bp.Set(wc, 2.0f);
    float whoosh = bp.Bp(n.White()) * AttackDecay(t, 0.25f, 1.8f);
    lp.Set(ExpSweep(5000.0f, 400.0f, t / 1.5f), 1.5f);
    float ring = lp.Lp(ring1.Saw(NoteHz(38) * (1.0f + 0.02f * t)) + ring2.Saw(NoteHz(45.05f))) * AttackDecay(t, 0.01f, 1.6f);
    return 1.1f * boom + 0.9f * whoosh + 0.3f * ring;
  });
  AddReverb(s, 0.85f, 0.4f, 0.45f);
  return s;
}

// An enemy rammed by the shielded ship: a crunchy electric zap.
Buf BombHit() {
  Noise n(0xb17);
  Svf bp;
  Osc z;
  bp.Set(2200.0f, 1.5f);
  return Render(0.32f, [&](float t) {
    float crunch = bp.Bp(n.White()) * AttackDecay(t, 0.001f, 0.14f) * 1.5f;
    float hz = ExpSweep(700.0f, 90.0f, t / 0.25f);
    float zap = z.Pulse(hz, 0.3f) * AttackDecay(t, 0.001f, 0.28f);
    return crunch + 0.5f * zap;
  });
}

// The ship materialising: a resonant upward sweep with sparkles gathering.
Buf PlayerRez() {
  Osc a, b;
  Svf lp;
  Noise n(0x4e2);
  Buf s = Render(1.2f, [&](float t) {
    float u = t / 0.9f;
    float hz = ExpSweep(110.0f, 880.0f, u);
    lp.Set(ExpSweep(300.0f, 6000.0f, u), 6.0f);
    float env = std::min(1.0f, t / 0.6f) * (t < 0.9f ? 1.0f : Decay(t - 0.9f, 0.25f));
    float v = 0.4f * env * lp.Lp(a.Saw(hz) + 0.5f * b.Saw(hz * 1.5f));
    float sp = 0.0f;
    for (int k = 0; k < 10; k++) {
      float t0 = 0.08f * k + 0.05f;
      sp += Bell(t, t0, NoteHz(84 + ((k * 7) % 12) + 12 * (k > 6)), 3.0f, 1.0f, 0.15f);
    }
    return v + 0.15f * sp + 0.02f * env * n.White();
  });
  AddEcho(s, 0.12f, 0.35f, 0.3f, 3000.0f);
  return s;
}

// The shield running out: a falling two-tone warning.
Buf ShieldWarning() {
  Osc a, b;
  Svf lp;
  lp.Set(3500.0f, 1.0f);
  return Render(0.55f, [&](float t) {
    float trem = 0.75f + 0.25f * std::sin(kTwoPi * 22.0f * t);
    float n1 = NoteGate(t, 0.16f, 0.004f, 0.03f);
    float n2 = NoteGate(t - 0.18f, 0.34f, 0.004f, 0.12f);
    float hz = t < 0.17f ? 880.0f : 587.0f * (1.0f - 0.03f * std::max(0.0f, t - 0.3f));
    float v = (n1 + n2) * trem * (0.6f * a.Pulse(hz, 0.3f) + 0.4f * b.Sine(hz * 0.5f));
    return lp.Lp(v);
  });
}

// An enemy destroyed: a short, punchy burst.
Buf Nme01Exp() {
  Buf s = Explosion(0.65f, 9000.0f, 250.0f, 0.4f, 160.0f, 0.7f, 0xe01);
  AddReverb(s, 0.4f, 0.5f, 0.2f);
  return s;
}

// Wanderer spawn: a wobbly purple bloop.
Buf SpawnWanderer() {
  Osc a, b;
  return Render(0.5f, [&](float t) {
    float hz = ExpSweep(260.0f, 520.0f, t / 0.12f) * (1.0f + 0.06f * std::sin(kTwoPi * 9.0f * t));
    return AttackDecay(t, 0.02f, 0.4f) * (0.7f * a.Sine(hz) + 0.3f * b.Tri(hz * 2.0f));
  });
}

// Chaser spawn: an aggressive rising zip.
Buf SpawnChaser() {
  Osc a, b;
  Svf lp;
  return Render(0.32f, [&](float t) {
    float u = t / 0.2f;
    float hz = ExpSweep(140.0f, 1400.0f, u);
    lp.Set(ExpSweep(600.0f, 7000.0f, u), 4.0f);
    return AttackDecay(t, 0.004f, 0.3f) * lp.Lp(a.Saw(hz) + 0.6f * b.Saw(hz * 1.007f));
  });
}

// Splitter spawn: one tone splitting into a rising and a falling half.
Buf SpawnSplitter() {
  Osc a, b;
  Buf s = Render(0.45f, [&](float t) {
    float u = t / 0.35f;
    float up = ExpSweep(500.0f, 1000.0f, u), down = ExpSweep(500.0f, 250.0f, u);
    return AttackDecay(t, 0.005f, 0.4f) * 0.5f * (a.Pulse(up, 0.35f) + b.Pulse(down, 0.35f));
  });
  AddEcho(s, 0.07f, 0.3f, 0.25f, 3000.0f);
  return s;
}

// Dodger spawn: three nervous stuttering blips.
Buf SpawnDodger() {
  Osc a;
  return Render(0.36f, [&](float t) {
    int k = std::min(2, static_cast<int>(t / 0.08f));
    float u = t - 0.08f * k;
    float hz = 1150.0f * (1.0f + 0.25f * k) * (1.0f + 0.3f * u / 0.08f);
    return AttackDecay(u, 0.002f, k == 2 ? 0.25f : 0.06f) * a.Pulse(hz, 0.5f) * 0.7f;
  });
}

// Weaver spawn: a thin, high, warbling chirp.
Buf SpawnWeaver() {
  return Render(0.3f, [&](float t) {
    float warble = 1.0f + 0.05f * std::sin(kTwoPi * 28.0f * t);
    float hz = 1800.0f * warble * (1.0f + 0.6f * t);
    float idx = 2.5f * Decay(t, 0.2f);
    return AttackDecay(t, 0.003f, 0.25f) * std::sin(kTwoPi * hz * t + idx * std::sin(kTwoPi * hz * 1.5f * t));
  });
}

// Snake spawn: a rattling, hissing slither.
Buf SpawnSnake() {
  Noise n(0x5a4e);
  Svf bp;
  return Render(0.65f, [&](float t) {
    float u = t / 0.6f;
    float c = u < 0.35f ? ExpSweep(700.0f, 4200.0f, u / 0.35f) : ExpSweep(4200.0f, 1200.0f, (u - 0.35f) / 0.65f);
    bp.Set(c, 5.0f);
    float rattle = 0.55f + 0.45f * std::sin(kTwoPi * 32.0f * t);
    return 2.2f * bp.Bp(n.White()) * rattle * NoteGate(t, 0.65f, 0.03f, 0.3f);
  });
}

// Shieldship spawn: a metallic clang over a humming shield coming up.
Buf SpawnShieldship() {
  Osc hum;
  Svf lp;
  Buf s = Render(0.85f, [&](float t) {
    float clang = Bell(t, 0.0f, 233.0f, 1.41f, 4.0f, 0.6f) + 0.5f * Bell(t, 0.0f, 587.0f, 2.76f, 2.0f, 0.4f);
    lp.Set(ExpSweep(200.0f, 1500.0f, t / 0.5f), 3.0f);
    float h = lp.Lp(hum.Saw(ExpSweep(55.0f, 110.0f, t / 0.5f))) * NoteGate(t, 0.85f, 0.25f, 0.3f);
    return 0.5f * clang + 0.6f * h;
  });
  AddReverb(s, 0.5f, 0.5f, 0.2f);
  return s;
}

// Hole spawn: a deep, ominous downward sweep with rumble.
Buf SpawnHole() {
  Osc a, b;
  Noise n(0x401e);
  Svf lp, lpn;
  lpn.Set(180.0f, 0.8f);
  return Render(1.0f, [&](float t) {
    float hz = ExpSweep(380.0f, 38.0f, t / 0.8f);
    lp.Set(ExpSweep(2500.0f, 200.0f, t / 0.8f), 4.0f);
    float v = lp.Lp(a.Saw(hz) + b.Saw(hz * 1.01f)) * 0.5f;
    v += 1.6f * lpn.Lp(n.White());
    return v * NoteGate(t, 1.0f, 0.02f, 0.5f);
  });
}

// An award: a bright cascade of bells over a sparkle.
Buf Award() {
  static const float notes[6] = {84, 88, 91, 95, 96, 100};
  Noise n(0xa3a);
  Svf hp;
  hp.Set(6000.0f, 0.7f);
  Buf s = Render(1.6f, [&](float t) {
    float v = 0.0f;
    for (int k = 0; k < 6; k++) v += Bell(t, 0.07f * k, NoteHz(notes[k]), 1.0f, 1.8f, 1.1f);
    for (int k = 0; k < 3; k++) v += 0.6f * Bell(t, 0.42f, NoteHz(notes[k] - 12), 2.0f, 1.2f, 1.3f);
    v += 0.06f * hp.Hp(n.White()) * AttackDecay(t - 0.3f, 0.1f, 0.8f);
    return 0.3f * v;
  });
  AddReverb(s, 0.7f, 0.3f, 0.35f);
  return s;
}

// An awake Hole's heartbeat: a low throbbing hum, short enough to repeat fast.
Buf HoleHum() {
  Osc a, b;
  Svf lp;
  lp.Set(380.0f, 2.0f);
  return Render(0.42f, [&](float t) {
    float hz = ExpSweep(72.0f, 48.0f, t / 0.4f);
    float env = AttackDecay(t, 0.05f, 0.38f);
    return env * (0.7f * a.Sine(hz) + 0.5f * lp.Lp(b.Saw(hz * 2.0f)));
  });
}

// A Hole bursting: a sucking rise cut off by a heavy blast.
Buf HoleExp() {
  Osc s1;
  Svf lp;
  Buf suck = Render(0.2f, [&](float t) {
    lp.Set(ExpSweep(200.0f, 3000.0f, t / 0.2f), 4.0f);
    return 0.5f * std::min(1.0f, t / 0.15f) * NoteGate(t, 0.2f, 0.0f, 0.01f) *
           lp.Lp(s1.Saw(ExpSweep(60.0f, 500.0f, t / 0.2f)));
  });
  Buf blast = Explosion(2.2f, 6000.0f, 90.0f, 1.5f, 90.0f, 1.2f, 0x401e2);
  Osc d;
  Buf down = Render(1.0f, [&](float t) {
    return 0.3f * AttackDecay(t, 0.002f, 0.9f) * d.Saw(ExpSweep(1600.0f, 40.0f, t / 0.9f));
  });
  MixInto(blast, down, 0, 1.0f);
  Buf s(suck.size() + blast.size(), 0.0f);
  MixInto(s, suck, 0, 1.0f);
  MixInto(s, blast, static_cast<int>(suck.size()) - Samples(0.005f), 1.0f);
  AddReverb(s, 0.85f, 0.5f, 0.4f);
  return s;
}

// The group logo fading in: a chord swelling open, landing on a soft impact.
Buf KelvLoad() {
  static const float chord[5] = {45, 52, 59, 60, 64};
  Supersaw pad[5];
  Svf lp;
  Noise n(0x6e1);
  Svf nbp;
  Osc boom;
  const float hit = 2.75f;
  Buf s = Render(4.6f, [&](float t) {
    float p = 0.0f;
    for (int k = 0; k < 5; k++) p += pad[k].Run(NoteHz(chord[k]), 0.006f);
    float u = std::min(1.0f, t / hit);
    lp.Set(ExpSweep(250.0f, 5000.0f, u), 1.5f);
    float env = t < hit ? u * u : Decay(t - hit, 1.8f);
    float v = 0.35f * env * lp.Lp(p);
    nbp.Set(ExpSweep(400.0f, 8000.0f, u), 1.0f);
    v += 0.25f * (t < hit ? u * u * u : Decay(t - hit, 0.3f)) * nbp.Bp(n.White());
    float b = t >= hit ? AttackDecay(t - hit, 0.002f, 1.2f) * boom.Sine(ExpSweep(100.0f, 40.0f, (t - hit) / 0.5f)) : 0.0f;
    float bells = 0.0f;
    static const float bn[4] = {76, 79, 83, 88};
    for (int k = 0; k < 4; k++) bells += Bell(t, hit + 0.03f * k, NoteHz(bn[k]), 1.0f, 1.5f, 1.6f);
    return v + 0.7f * b + 0.18f * bells;
  });
  AddReverb(s, 0.85f, 0.4f, 0.5f);
  return s;
}

// A formant filter bank shaped like a vowel.
struct Vowel {
  float f1, f2, f3;
};

// The group tagline: a sting chord with a robotic spoken phrase over it.
Buf KelvVoice() {
  // Each segment: start, length, vowel formants or fricative, pitch.
  struct Seg {
    float t0, len;
    Vowel v;
    float noise;  // 0 voiced, >0 a fricative of that centre frequency
    float pitch;
  };
  static const Seg segs[] = {
      {0.00f, 0.03f, {0, 0, 0}, 900.0f, 0},            // p burst
      {0.03f, 0.15f, {350, 900, 2300}, 0, 132},        // u
      {0.18f, 0.06f, {380, 1250, 2600}, 0, 128},       // l
      {0.27f, 0.09f, {0, 0, 0}, 6500.0f, 0},           // s
      {0.36f, 0.14f, {530, 1840, 2480}, 0, 124},       // e
      {0.54f, 0.06f, {0, 0, 0}, 4200.0f, 0},           // f
      {0.60f, 0.26f, {290, 2250, 3000}, 0, 140},       // ee
      {0.86f, 0.09f, {380, 1250, 2600}, 0, 116},       // l
      {0.95f, 0.03f, {0, 0, 0}, 1500.0f, 0},           // d
  };
  const int nsegs = sizeof(segs) / sizeof(segs[0]);
  Osc glott, glott2;
  Svf f1, f2, f3, fric;
  OnePole sm1, sm2, sm3, smp, voiced, hiss, hissfreq;
  Noise n(0x70ce);
  Buf voice = Render(1.1f, [&](float t) {
    // The current segment sets targets; smoothing glides between them as a
    // mouth would, so voiced sounds run together into syllables.
    const Seg* cur = nullptr;
    for (int k = 0; k < nsegs; k++)
      if (t >= segs[k].t0 && t < segs[k].t0 + segs[k].len) cur = &segs[k];
    bool isvoiced = cur && cur->noise == 0.0f;
    float va = voiced.Lp(isvoiced ? 1.0f : 0.0f, 0.006f);
    float ha = hiss.Lp(cur && !isvoiced ? 1.0f : 0.0f, 0.02f);
    float v = 0.0f;
    if (cur && isvoiced) {
      smp.Lp(cur->pitch, 0.003f);
      sm1.Lp(cur->v.f1, 0.01f);
      sm2.Lp(cur->v.f2, 0.01f);
      sm3.Lp(cur->v.f3, 0.01f);
    }
    if (smp.z > 0.0f) {
      float pitch = smp.z * (1.0f + 0.01f * std::sin(kTwoPi * 4.5f * t));
      float src = glott.Saw(pitch) + 0.5f * glott2.Saw(pitch * 2.003f) + 0.05f * n.White();
      f1.Set(sm1.z, 8.0f);
      f2.Set(sm2.z, 10.0f);
      f3.Set(sm3.z, 12.0f);
      v += va * 0.5f * (1.0f * f1.Bp(src) + 0.7f * f2.Bp(src) + 0.4f * f3.Bp(src));
    }
    float fc = hissfreq.Lp(cur && !isvoiced ? cur->noise : hissfreq.z, 0.05f);
    fric.Set(std::max(fc, 500.0f), 2.0f);
    v += ha * 0.5f * fric.Bp(n.White());
    return v;
  });
  AddEcho(voice, 0.16f, 0.35f, 0.3f, 3500.0f);
  // The sting: a bright chord stab that rings under the phrase's end.
  static const float st[4] = {57, 64, 69, 73};
  Supersaw ss[4];
  Svf lp;
  Buf sting = Render(1.9f, [&](float t) {
    float p = 0.0f;
    for (int k = 0; k < 4; k++) p += ss[k].Run(NoteHz(st[k] + 12), 0.007f);
    lp.Set(ExpSweep(6000.0f, 500.0f, t / 1.3f), 1.2f);
    return 0.3f * AttackDecay(t, 0.004f, 1.3f) * lp.Lp(p) + 0.25f * Bell(t, 0.0f, NoteHz(81), 1.0f, 1.0f, 1.4f);
  });
  // The intro cuts this sound about 1.6 s in, so the phrase and the ring are
  // over by then: the sting opens the tagline and the voice speaks over it.
  Buf s(Samples(1.9f), 0.0f);
  MixInto(s, sting, 0, 0.8f);
  MixInto(s, voice, Samples(0.12f), 1.0f);
  AddReverb(s, 0.75f, 0.4f, 0.4f);
  return s;
}

// The engine-logo splash: two sweeps converging as the logo words slide
// together, a landing chord, a sparkling sizzle along the light line and a
// final shining swell.
Buf QvoSound() {
  Osc hi, lo, hi2, lo2;
  Noise n(0x9e0);
  Svf wbp, sizz, lp;
  Supersaw shine[4];
  static const float shinechord[4] = {62, 66, 69, 73};
  const float land = 2.5f, linestart = 3.3f, shinestart = 5.0f;
  Buf s = Render(8.2f, [&](float t) {
    float v = 0.0f;
    // The words ease toward the centre, closing 1/32 of the gap per tick.
    float closing = std::exp(-t / 0.5f);
    float env1 = std::min(1.0f, t / 0.6f) * (t < land ? 1.0f : Decay(t - land, 0.8f));
    float fh = 440.0f + 440.0f * closing, fl = 220.0f - 110.0f * closing;
    v += 0.22f * env1 * (hi.Tri(fh) + 0.5f * hi2.Saw(fh * 1.005f) * 0.4f);
    v += 0.3f * env1 * (lo.Tri(fl) + 0.5f * lo2.Saw(fl * 0.995f) * 0.4f);
    wbp.Set(ExpSweep(300.0f, 2500.0f, std::min(1.0f, t / land)), 1.2f);
    v += 0.15f * env1 * wbp.Bp(n.White());
    // Landing: a soft chord and a low boom.
    if (t >= land) {
      float u = t - land;
      v += 0.25f * (Bell(t, land, NoteHz(62), 1.0f, 1.2f, 2.5f) + Bell(t, land + 0.02f, NoteHz(69), 1.0f, 1.2f, 2.5f) +
                    Bell(t, land + 0.04f, NoteHz(74), 1.0f, 1.2f, 2.5f));
      v += 0.6f * AttackDecay(u, 0.003f, 1.0f) * std::sin(kTwoPi * 55.0f * u);
    }
    // The light line sweeping with sparks.
    if (t > linestart) {
      float u = t - linestart;
      float line = 1.0f - std::exp(-u / 0.5f);
      sizz.Set(ExpSweep(1500.0f, 9000.0f, line), 3.0f);
      float envs = std::min(1.0f, u / 0.3f) * (t < shinestart ? 1.0f : Decay(t - shinestart, 0.6f));
      v += 0.12f * envs * sizz.Bp(n.White());
    }
    // The shine: a bright chord swelling and dying with the fade-out.
    if (t > shinestart - 0.4f) {
      float u = t - (shinestart - 0.4f);
      float p = 0.0f;
      for (int k = 0; k < 4; k++) p += shine[k].Run(NoteHz(shinechord[k] + 12), 0.008f);
      lp.Set(ExpSweep(800.0f, 7000.0f, std::min(1.0f, u / 0.6f)), 1.0f);
      float e = u < 0.6f ? u / 0.6f : Decay(u - 0.6f, 2.4f);
      v += 0.28f * e * lp.Lp(p);
    }
    return v;
  });
  // Sparks: a scatter of tiny bright bells along the line's run.
  Noise sp(0x5a4);
  for (int k = 0; k < 60; k++) {
    float t0 = linestart + sp.Range(0.0f, shinestart - linestart);
    float hz = sp.Range(2500.0f, 6000.0f);
    Buf b = Render(0.25f, [&](float t) { return Bell(t, 0.0f, hz, 1.5f, 1.0f, 0.15f); });
    MixInto(s, b, Samples(t0), 0.05f);
  }
  AddReverb(s, 0.85f, 0.4f, 0.45f);
  return s;
}

struct Recipe {
  const char* name;
  Buf (*make)();
  float peakdb;
};

// Shot recipes as plain functions so the table stays uniform.
Buf PlayerFire03() { return Shot(1500.0f, 480.0f, 0.12f, 0.5f, 1, 0.0f, 0xf03); }
Buf PlayerFire02() { return Shot(1800.0f, 420.0f, 0.14f, 0.45f, 2, 0.2f, 0xf02); }
Buf PlayerFire01() { return Shot(2200.0f, 300.0f, 0.17f, 0.4f, 3, 0.4f, 0xf01); }

// Catalogue order with peak levels: rapid or dense sounds sit lower so that
// every effect comes across at a similar loudness and none tires the ear.
// In a real fight the ship fires five shots a second, enemies explode several
// times a second and every bullet that meets a Hole hums, so those sit lowest
// of all: a whole game with the music on then plays at about -18 LUFS, not
// louder than the music's own level allows, and never reaches full scale.
// The intros' sounds play alone at full channel volume, so they sit lower
// still: each intro then measures about -20 LUFS, between the title music
// and a game, rather than bursting out ahead of both.
const Recipe kRecipes[] = {
    {"menubeep01", MenuBeep01, -6.0f},   {"menubeep02", MenuBeep02, -4.0f},
    {"multiply", Multiply, -3.0f},       {"extralife", ExtraLife, -3.0f},
    {"extrabomb", ExtraBomb, -3.0f},     {"playerfire03", PlayerFire03, -14.0f},
    {"playerfire02", PlayerFire02, -13.5f}, {"playerfire01", PlayerFire01, -13.0f},
    {"playerexp", PlayerExp, -2.0f},     {"bomb", Bomb, -2.0f},
    {"bombhit", BombHit, -4.0f},         {"playerrez", PlayerRez, -3.0f},
    {"shieldwarning", ShieldWarning, -7.0f}, {"nme01exp", Nme01Exp, -12.0f},
    {"nme01spawn", SpawnWanderer, -9.0f}, {"nme02spawn", SpawnChaser, -7.0f},
    {"nme03spawn", SpawnSplitter, -9.0f}, {"nme04spawn", SpawnDodger, -12.0f},
    {"nme05spawn", SpawnWeaver, -10.0f},  {"nme06spawn", SpawnSnake, -9.0f},
    {"nme07spawn", SpawnShieldship, -10.0f}, {"nme08spawn", SpawnHole, -8.0f},
    {"award", Award, -3.0f},             {"hole", HoleHum, -12.0f},
    {"holeexp", HoleExp, -2.0f},         {"qvosound", QvoSound, -7.0f},
    {"kelvload", KelvLoad, -8.0f},       {"kelvvoice", KelvVoice, -8.0f},
};

}  // namespace

// Renders, cleans and levels every effect in the table.
std::vector<EffectSound> RenderEffects() {
  std::vector<EffectSound> out;
  for (const Recipe& r : kRecipes) {
    Buf b = r.make();
    DcBlock(b, 15.0f);
    FadeEdges(b, 0.002f, 0.03f);
    NormalisePeak(b, r.peakdb);
    out.push_back({r.name, std::move(b)});
  }
  return out;
}
