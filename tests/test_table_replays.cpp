// Replays kept for the high-score table: their names, and which row holds
// which file when scores repeat or fall out of the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "frontend/highscores.h"
#include "frontend/table_replays.h"
#include "tests/run_helpers.h"

namespace fs = std::filesystem;

TEST(TableReplays, NamesTellTheDateAndScoreAndOnlyOurNamesAreRead) {
  std::string path = TableReplayPath(12345, 0);
  ASSERT_EQ(path.rfind("replays/", 0), 0u);
  EXPECT_EQ(path.substr(path.size() - 10), "_12345.pfr");
  int64_t score = -1;
  EXPECT_TRUE(TableReplayScore(path.substr(8), &score));
  EXPECT_EQ(score, 12345);
  for (const char* other : {"last.pfr", "2026-12-07_14-48-22_.pfr", "2026-12-07_14-48-22_12x.pfr",
                            "2026-12-07-14-48-22_5.pfr", "2026-12-07_14-48-22_5.pfr.tmp",
                            "2026-12-07_14-48-22_1234567890123456789.pfr", ".pfr"})
    EXPECT_FALSE(TableReplayScore(other, &score)) << other;
}

TEST(TableReplays, TheNewestOfEqualScoresTakesTheHighestRowAndTheFallenAreLetGo) {
  int64_t scores[5] = {900, 500, 500, 200, 0};
  std::vector<TableReplayFile> files = {
      {"2026-01-01_10-00-00_500.pfr", 500},  // the older 500
      {"2026-03-01_10-00-00_500.pfr", 500},  // the newer 500
      {"2026-02-01_10-00-00_900.pfr", 900},
      {"2026-02-02_10-00-00_100.pfr", 100},  // fell out of the table
      {"2025-12-01_10-00-00_500.pfr", 500},  // a third 500: only two rows hold one
      {"2026-04-01_10-00-00_0.pfr", 0},      // empty rows hold nothing
  };
  std::string rows[5];
  std::vector<std::string> unheld = MatchTableReplays(files, scores, 5, rows);
  EXPECT_EQ(rows[0], "2026-02-01_10-00-00_900.pfr");
  EXPECT_EQ(rows[1], "2026-03-01_10-00-00_500.pfr");
  EXPECT_EQ(rows[2], "2026-01-01_10-00-00_500.pfr");
  EXPECT_EQ(rows[3], "");  // a row from before its game was recorded
  EXPECT_EQ(rows[4], "");
  std::sort(unheld.begin(), unheld.end());
  EXPECT_EQ(unheld, (std::vector<std::string>{"2025-12-01_10-00-00_500.pfr",
                                              "2026-02-02_10-00-00_100.pfr",
                                              "2026-04-01_10-00-00_0.pfr"}));
}

// Keeping a game's replay lets go of the replays no row holds, but only when
// the table is the player's: one whose file could not be read holds no rows,
// and judged by it every kept replay would go.
struct TableReplayFolderTest : InScratchDir {
  TableReplayFolderTest() : InScratchDir("tablereplays") {}
  const std::vector<std::string> names = {"2026-01-01_10-00-00_500.pfr", "2026-02-01_10-00-00_900.pfr"};
  void SetUp() override {
    InScratchDir::SetUp();
    fs::create_directory("replays");
    for (const std::string& n : names) std::ofstream("replays/" + n) << "x";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all("highscore.dat", ec);
    StderrOf([] { LoadHighScores(); });
    InScratchDir::TearDown();
  }
  size_t Kept() const {
    size_t n = 0;
    for (const std::string& name : names) n += fs::exists("replays/" + name);
    return n;
  }
};

TEST_F(TableReplayFolderTest, AnUnreadableTableLetsGoOfNoReplayAndAReadOneOfThoseNoRowHolds) {
  fs::create_directory("highscore.dat");  // there, but no file to read
  StderrOf([] { LoadHighScores(); });
  ASSERT_TRUE(HighScoresUnreadable());
  ReplayKeptForTable();
  EXPECT_EQ(Kept(), 2u);

  fs::remove("highscore.dat");
  LoadHighScores();  // no file: the empty table of a first run
  ASSERT_FALSE(HighScoresUnreadable());
  hsscore[0] = 900;
  ReplayKeptForTable();
  EXPECT_TRUE(fs::exists("replays/" + names[1]));
  EXPECT_EQ(Kept(), 1u);
}
