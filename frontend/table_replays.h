// The replays kept for the high-score table: one file per game that made
// it, under replays/ and named by date and score, matched to the rows by
// score (of equal scores the newest game sits highest, as in the table).
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// "replays/2026-12-07_14-48-22_12345.pfr" for a game ended then with that score.
std::string TableReplayPath(int64_t score, std::time_t when);
// The score a table replay's file name tells; false for any other name.
bool TableReplayScore(const std::string& filename, int64_t* score);

// A kept replay file: its name (without folder) and score.
struct TableReplayFile {
  std::string name;
  int64_t score;
};
// Matches files to rows: out[row] is the file name for that row or empty.
// Returns the files no row holds any more.
std::vector<std::string> MatchTableReplays(std::vector<TableReplayFile> files,
                                           const int64_t* scores, int rows, std::string* out);

// Which rows of the table have a replay: paths by row, empty for none.
void FindTableReplays(std::string* out);
// A game that made the table was kept: the table is saved, and only once it
// is on disk are the replays whose score has fallen out of it deleted (none
// while the table file could not be read or saved), so whenever the game
// dies, every row on disk still has its replay.
void ReplayKeptForTable();
