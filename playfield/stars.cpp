// The twinkling starfield behind the arena.
#include "playfield/stars.h"

#include "playfield/playfield.h"
#include "services/config.h"
#include "services/draw.h"
#include "services/media.h"
#include "services/random.h"

std::vector<tSTAR> starlist;

// A star swells to 1.8 and back over its last 16 twinkle ticks.
const float twinklescale[16] = {1.0f, 1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 1.7f,
                                1.8f, 1.7f, 1.6f, 1.5f, 1.4f, 1.3f, 1.2f, 1.1f};

// How far each depth's layer reaches, so it still covers the view when the
// camera sits at its far corner.
static const int layerwidth[8] = {0, 0, 1600, 1100, 1000, 1000, 950, 920};
static const int layerheight[8] = {0, 0, 1200, 800, 750, 750, 700, 680};

// Fills the layer with one more star than the STARS setting's count.
void CreateStars() {
  if (starsetting == 0) return;
  starlist.reserve(starlist.size() + starcount + 1);
  for (int i = 0; i <= starcount; i++) {
    tSTAR st;
    int s = RandInt(2, 7);
    st.s = (float)s;
    st.x = (float)RandInt(0, layerwidth[s]);
    st.y = (float)RandInt(0, layerheight[s]);
    st.r = RandInt(64, 256);
    st.g = RandInt(64, 256);
    st.b = RandInt(64, 256);
    st.tw = RandInt(16, 512);
    starlist.push_back(st);
  }
}

// Near stars are the small bright ones, deep stars the big soft ones.
static TImage* StarImage(int s) {
  if (s <= 3) return star03img;
  if (s <= 5) return star02img;
  return star01img;
}

// Twinkles every star and queues those inside the screen, shifted by 1/s of
// the camera so the layers slide at their own speeds.
void UpdateStars() {
  if (starsetting == 0) return;
  for (tSTAR& st : starlist) {
    float sx = st.x - camx / st.s;
    float sy = st.y - camy / st.s;
    st.tw -= 1;
    if (st.tw < 0) st.tw = RandInt(16, 512);
    float scale = st.tw < 16 ? twinklescale[st.tw] : 1.0f;
    if (sx > 0 && sx < 800 && sy > 0 && sy < 600)
      AddDraw(StarImage((int)st.s), sx, sy, 0, st.r, st.g, st.b, 1, 0, scale, scale, BLEND_LIGHT);
  }
}

void RemakeStars() {
  starlist.clear();
  CreateStars();
}
