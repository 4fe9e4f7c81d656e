// The timedemo: each pass of the loop timed on the wall clock and in the
// main thread's CPU time, with what the renderer was given that frame.
#include "app/timedemo.h"

#include <time.h>

#include <algorithm>
#include <climits>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "app/frame_loop.h"
#include "platform/files.h"
#include "platform/render.h"

namespace {

// One painted frame as the log keeps it.
struct FrameRecord {
  long tick;
  float wallms, cpums;
  long quads, lines, additivearea, halvedarea;
};

bool running = false;
bool watched = false;  // a replay at its own pace, logged
std::string logpath;
std::vector<FrameRecord> frames;
std::chrono::steady_clock::time_point passstart;
double cpustart = 0;

// A frame over this misses the display's next refresh at 60 Hz.
constexpr float kFrameBudgetMs = 1000.0f / 60;
// One screen of the 800x600 picture, in pixels.
constexpr double kScreenPixels = 800.0 * 600;
// The whole second of play a tick falls in.
long SecondOfTick(long tick) { return tick * framestep / 1000; }
// Room for a long game's frames before the first pass (an hour at 60 a second).
constexpr size_t kFramesReserved = 60 * 60 * 60;

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// The value at a percentile of sorted times, by nearest rank.
float Percentile(const std::vector<float>& sorted, int pct) {
  if (sorted.empty()) return 0;
  size_t rank = (size_t)std::ceil(pct / 100.0 * (double)sorted.size());
  return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

// A row of the log, ended the way every tool reading CSV here expects (\n).
void WriteRow(TStream* s, const char* row) {
  for (const char* c = row; *c; c++) WriteByte(s, (unsigned char)*c);
  WriteByte(s, '\n');
}

void WriteLog(TStream* s, void*) {
  WriteRow(s, "tick,wall_ms,cpu_ms,quads,lines,additive_area,halved_area");
  char row[160];
  for (const FrameRecord& f : frames) {
    std::snprintf(row, sizeof row, "%ld,%.3f,%.3f,%ld,%ld,%ld,%ld", f.tick, f.wallms, f.cpums, f.quads, f.lines,
                  f.additivearea, f.halvedarea);
    WriteRow(s, row);
  }
}

}  // namespace

void BeginTimedemo(const std::string& framelog) {
  running = true;
  logpath = framelog;
  frames.clear();
  frames.reserve(kFramesReserved);
}

bool RunningTimedemo() { return running; }

void BeginWatchedFrameLog(const std::string& framelog) {
  BeginTimedemo(framelog);
  running = false;
  watched = true;
}

bool TimingFrames() { return running || watched; }

void TimedemoPassStart() {
  passstart = std::chrono::steady_clock::now();
  cpustart = ThreadCpuMs();
}

void TimedemoPassEnd(long tick) {
  float wall = std::chrono::duration<float, std::milli>(std::chrono::steady_clock::now() - passstart).count();
  float cpu = (float)(ThreadCpuMs() - cpustart);
  RenderStats st = LastFrameRenderStats();
  frames.push_back({tick, wall, cpu, st.quads, st.lines, st.additivearea, st.halvedarea});
}

std::string WatchedSummaryLine(const std::vector<long>& ticks) {
  std::vector<float> persecond;
  if (!ticks.empty()) {
    long first = SecondOfTick(ticks.front()), last = SecondOfTick(ticks.back());
    persecond.assign((size_t)(last - first + 1), 0.0f);
    for (long t : ticks) persecond[(size_t)(SecondOfTick(t) - first)]++;
    persecond.erase(persecond.begin());
    if (!persecond.empty()) persecond.pop_back();
  }
  std::sort(persecond.begin(), persecond.end());
  char line[160];
  std::snprintf(line, sizeof line, "watched: seconds=%zu fps_p50=%.0f fps_p10=%.0f fps_min=%.0f", persecond.size(),
                Percentile(persecond, 50), Percentile(persecond, 10), persecond.empty() ? 0.0f : persecond[0]);
  return line;
}

std::string TimedemoSummaryLine(std::vector<float> ms) {
  std::sort(ms.begin(), ms.end());
  long over = (long)(ms.end() - std::upper_bound(ms.begin(), ms.end(), kFrameBudgetMs));
  char line[200];
  std::snprintf(line, sizeof line, "timedemo: frames=%zu over_16.7ms=%ld p50=%.1f p90=%.1f p99=%.1f max=%.1f",
                ms.size(), over, Percentile(ms, 50), Percentile(ms, 90), Percentile(ms, 99),
                ms.empty() ? 0.0f : ms.back());
  return line;
}

bool FinishTimedemo() {
  std::vector<float> ms;
  ms.reserve(frames.size());
  for (const FrameRecord& f : frames) ms.push_back(f.wallms);
  bool ok = true;
  std::string why;
  if (!logpath.empty() && !SaveFileAtomically(logpath, WriteLog, nullptr, &why)) {
    std::fprintf(stderr, "pulsefield: cannot write the frame log \"%s\": %s\n", logpath.c_str(), why.c_str());
    ok = false;
  }
  if (watched) {
    std::vector<long> ticks;
    ticks.reserve(frames.size());
    for (const FrameRecord& f : frames) ticks.push_back(f.tick);
    std::printf("%s\n", WatchedSummaryLine(ticks).c_str());
    std::fflush(stdout);
    watched = false;
    return ok;
  }
  // How the heavy glow was drawn, before the summary (which stays last).
  long halved = 0;
  for (const FrameRecord& f : frames) halved += f.halvedarea > 0;
  RenderScale scale = CurrentRenderScale();
  long threshold = HalfResolutionThreshold();
  if (scale != RenderScale::Auto)
    std::printf("timedemo: glow at %s resolution, forced\n", scale == RenderScale::Half ? "half" : "full");
  else if (threshold > 0 && threshold < LONG_MAX)
    std::printf("timedemo: glow at half resolution above %.1f screens of pixels, in %ld frames\n",
                (double)threshold / kScreenPixels, halved);
  else
    std::printf("timedemo: glow at full resolution, filled in time\n");
  std::printf("%s\n", TimedemoSummaryLine(ms).c_str());
  std::fflush(stdout);
  running = false;
  return ok;
}
