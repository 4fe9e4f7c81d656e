// Keeping a replay for every row of the high-score table, and letting go of
// those whose game has fallen out of it.
#include "frontend/table_replays.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "frontend/highscores.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kFolder = "replays";
constexpr int kRows = 100;

// Every file in replays/ whose name is a table replay's.
std::vector<TableReplayFile> KeptFiles() {
  std::vector<TableReplayFile> files;
  std::error_code ec;
  for (fs::directory_iterator it(kFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    int64_t score;
    if (it->is_regular_file(ec) && TableReplayScore(name, &score)) files.push_back({name, score});
  }
  return files;
}
}  // namespace

std::string TableReplayPath(int64_t score, std::time_t when) {
  std::tm t{};
  localtime_r(&when, &t);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &t);
  return std::string(kFolder) + "/" + stamp + "_" + std::to_string(score) + ".pfr";
}

// Names are "YYYY-MM-DD_HH-MM-SS_<score>.pfr", digits where digits belong.
bool TableReplayScore(const std::string& name, int64_t* score) {
  static const char pattern[] = "dddd-dd-dd_dd-dd-dd_";
  const size_t stamp = sizeof pattern - 1;
  if (name.size() < stamp + 5 || name.compare(name.size() - 4, 4, ".pfr") != 0) return false;
  for (size_t i = 0; i < stamp; i++) {
    bool digit = name[i] >= '0' && name[i] <= '9';
    if (pattern[i] == 'd' ? !digit : name[i] != pattern[i]) return false;
  }
  std::string digits = name.substr(stamp, name.size() - 4 - stamp);
  if (digits.empty() || digits.size() > 18) return false;
  int64_t v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *score = v;
  return true;
}

std::vector<std::string> MatchTableReplays(std::vector<TableReplayFile> files,
                                           const int64_t* scores, int rows, std::string* out) {
  for (int r = 0; r < rows; r++) out[r].clear();
  // Newest first (the date leads the name), so of equal scores the newest
  // game takes the highest row.
  std::sort(files.begin(), files.end(),
            [](const TableReplayFile& a, const TableReplayFile& b) { return a.name > b.name; });
  std::vector<std::string> unheld;
  for (const TableReplayFile& f : files) {
    int row = 0;
    while (row < rows && !(scores[row] == f.score && f.score > 0 && out[row].empty())) row++;
    if (row < rows)
      out[row] = f.name;
    else
      unheld.push_back(f.name);
  }
  return unheld;
}

void FindTableReplays(std::string* out) {
  MatchTableReplays(KeptFiles(), hsscore, kRows, out);
  for (int r = 0; r < kRows; r++)
    if (!out[r].empty()) out[r] = std::string(kFolder) + "/" + out[r];
}

void ReplayKeptForTable() {
  // A table that could not be read is not the player's: its rows say
  // nothing of which replays are still wanted. And a replay goes only once
  // the file no longer holds its row.
  if (HighScoresUnreadable() || !SaveChangedHighScores()) return;
  std::string rows[kRows];
  for (const std::string& name : MatchTableReplays(KeptFiles(), hsscore, kRows, rows)) {
    std::error_code ec;
    fs::remove(fs::path(kFolder) / name, ec);
  }
}
