// Fuzz target: "highscore.dat" as the game reads it at start-up. Whatever
// the bytes, loading never fails and leaves a table fit to draw (names the
// font can draw and that fit the name entry, scores best first within what
// the file can hold, awards 0 or 1); the file saved afterwards loads back
// to the same table and saves to the same bytes.
#include <fstream>
#include <iterator>
#include <vector>

#include "frontend/highscores.h"
#include "services/draw.h"
#include "tests/fuzz/fuzz_support.h"

static std::vector<uint8_t> SavedBytes() {
  std::ifstream f("highscore.dat", std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool inside = [] {
    std::filesystem::current_path(FuzzScratch("highscore"));
    return true;
  }();
  (void)inside;
  WriteInputFile("highscore.dat", data, size);
  LoadHighScores();
  size_t namebytes = 0;
  for (int i = 0; i < HS_ROWS; i++) {
    FUZZ_CHECK(!hsname[i].empty());
    FUZZ_CHECK(DrawableName(hsname[i]) == hsname[i]);
    FUZZ_CHECK(FontTextWidth(hsname[i]) <= HS_NAME_WIDTH);
    FUZZ_CHECK(hsscore[i] >= 0 && hsscore[i] <= HS_FILE_SCORE_MAX);
    FUZZ_CHECK(i == 0 || hsscore[i - 1] >= hsscore[i]);
    namebytes += hsname[i].size();
  }
  for (int i = 0; i < HS_AWARDS_SAVED; i++) FUZZ_CHECK(awards[i] == 0 || awards[i] == 1);
  FUZZ_CHECK(SaveHighScores());
  std::vector<uint8_t> first = SavedBytes();
  FUZZ_CHECK(first.size() == 1614 + HS_ROWS + namebytes);
  std::string names[HS_ROWS];
  int64_t scores[HS_ROWS];
  for (int i = 0; i < HS_ROWS; i++) {
    names[i] = hsname[i];
    scores[i] = hsscore[i];
  }
  LoadHighScores();
  for (int i = 0; i < HS_ROWS; i++) FUZZ_CHECK(hsname[i] == names[i] && hsscore[i] == scores[i]);
  FUZZ_CHECK(SaveHighScores());
  FUZZ_CHECK(SavedBytes() == first);
  return 0;
}
