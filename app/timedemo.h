// The timedemo: a replay painted through the real renderer one tick a
// frame, as fast as it goes, every frame timed; a summary line at the end
// and, when asked, one CSV row a frame. A replay watched at its own pace
// with a frame log is timed the same way, and its summary is the frame
// rate the watcher saw.
#pragma once
#include <string>
#include <vector>

// Starts timing; framelog "" keeps no log (an absolute path: the program
// changes folder before the log is written).
void BeginTimedemo(const std::string& framelog);
bool RunningTimedemo();
// Starts timing a replay watched at its own pace, logged to framelog.
void BeginWatchedFrameLog(const std::string& framelog);
// Whether each pass is timed: a timedemo, or a watched replay with a log.
bool TimingFrames();
// Around one pass of the loop (its tick, its painting and its flip).
void TimedemoPassStart();
void TimedemoPassEnd(long tick);
// The summary of frame times in milliseconds: "timedemo: frames=N
// over_16.7ms=K p50=X p90=X p99=X max=X", one decimal, percentiles by
// nearest rank.
std::string TimedemoSummaryLine(std::vector<float> ms);
// The frame rate of a watched replay from the tick each frame was painted
// after: "watched: seconds=N fps_p50=X fps_p10=X fps_min=X", counted in
// whole seconds of play (the first and the last, partly loading or left,
// are not counted).
std::string WatchedSummaryLine(const std::vector<long>& ticks);
// Prints the summary of the frames timed and writes the frame log; false
// (with a message on stderr) when the log could not be written.
bool FinishTimedemo();
