// Replays kept for the high-score table: their names, and which row holds
// which file when scores repeat or fall out of the table.
#include <gtest/gtest.h>

#include <algorithm>

#include "frontend/table_replays.h"

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
