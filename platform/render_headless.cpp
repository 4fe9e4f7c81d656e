// The headless renderer: no window and no GPU; every draw is recorded so that
// tests can see exactly what a frame would show.
#include "platform/render.h"

static std::vector<RecordedDraw> recorded;
static int flips = 0;
static RenderStats current, last;

// Opening, clearing and presenting only keep the records and counts.
static bool HOpen(int, int, int, int, int, std::string*) { return true; }
static void HClose() {}
static void HCls() {
  recorded.clear();
  current = RenderStats{};
}
static void HFlip(int) {
  flips++;
  last = current;
}
static void HSetMouseVisible(int) {}

// Records one image draw with the state it was drawn with.
static void HDrawImage(TImage* img, float x, float y, int frame, const RenderState& st) {
  RecordedDraw d;
  d.img = img;
  d.frame = frame;
  d.x = x;
  d.y = y;
  d.r = st.r;
  d.g = st.g;
  d.b = st.b;
  d.alpha = st.alpha;
  d.blend = st.blend;
  d.rot = st.rot;
  d.sx = st.sx;
  d.sy = st.sy;
  recorded.push_back(d);
  current.quads++;
}

// Records one line.
static void HDrawLine(float x1, float y1, float x2, float y2, const RenderState& st) {
  RecordedDraw d;
  d.line = true;
  d.x = x1;
  d.y = y1;
  d.x2 = x2;
  d.y2 = y2;
  d.r = st.r;
  d.g = st.g;
  d.b = st.b;
  d.alpha = st.alpha;
  d.blend = st.blend;
  d.linewidth = st.linewidth;
  recorded.push_back(d);
  current.lines++;
}

static RenderStats HStats() { return last; }

static const RenderBackend headless = {"headless", HOpen, HClose, HCls, HFlip, HSetMouseVisible,
                                       HDrawImage, HDrawLine, HStats, nullptr, nullptr};

const RenderBackend* HeadlessRenderBackend() { return &headless; }
const std::vector<RecordedDraw>& HeadlessDraws() { return recorded; }
int HeadlessFlipCount() { return flips; }
