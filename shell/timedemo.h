// The timedemo: a replay painted through the real renderer one tick a
// frame, as fast as it goes, every frame timed; a summary line at the end
// and, when asked, one CSV row a frame.
#pragma once
#include <string>
#include <vector>

// Starts timing; framelog "" keeps no log (an absolute path: the program
// changes folder before the log is written).
void BeginTimedemo(const std::string& framelog);
bool RunningTimedemo();
// Around one pass of the loop (its tick, its painting and its flip).
void TimedemoPassStart();
void TimedemoPassEnd(long tick);
// The summary of frame times in milliseconds: "timedemo: frames=N
// over_16.7ms=K p50=X p90=X p99=X max=X", one decimal, percentiles by
// nearest rank.
std::string TimedemoSummaryLine(std::vector<float> ms);
// Prints the summary of the frames timed and writes the frame log; false
// (with a message on stderr) when the log could not be written.
bool FinishTimedemo();
