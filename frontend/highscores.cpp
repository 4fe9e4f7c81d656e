// The high-score table and "highscore.dat". The file has no header: the
// scores, the three time fields and the awards as scrambled bytes, then
// each name as a plain length byte and its scrambled characters. The
// scramble position runs on through the whole file, so the sections are
// read and written in that one order.
#include "frontend/highscores.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <utility>

#include "platform/files.h"
#include "playfield/playfield.h"
#include "services/draw.h"
#include "services/player_file.h"

std::string hsname[HS_ROWS];
int64_t hsscore[HS_ROWS];
int hssecs[HS_ROWS], hsmins[HS_ROWS], hshours[HS_ROWS];
int awards[16];
int hskeypos = 0;
int hspage = 0;

static PlayerFile hsfile{"highscore.dat", "high scores", "starting with an empty table", false, {}};
static const char* kEmptyName = "Empty";
// The name a new row holds until its player confirms one.
static const char* kUnnamed = " ";
// A name's length byte can count this many characters.
static constexpr size_t kMaxNameBytes = 255;

// True when "highscore.dat" exists but could not be read: the file is then
// left alone at quit rather than replaced by this run's table.
bool HighScoresUnreadable() { return hsfile.unreadable; }

std::string FitNameWidth(std::string name) {
  while (!name.empty() && FontTextWidth(name) > HS_NAME_WIDTH) name.pop_back();
  return name;
}

// A row's name as read from the file: drawable, within the entry's width,
// and "Empty" when nothing of it is left.
static std::string TableName(const std::string& raw) {
  std::string name = FitNameWidth(DrawableName(raw));
  return name.empty() ? kEmptyName : name;
}

void ClearHighScoreTable() {
  for (int i = 0; i < HS_ROWS; i++) {
    hsname[i] = kEmptyName;
    hsscore[i] = 0;
  }
}

void ClearAwards() {
  for (int& a : awards) a = 0;
}

// No rows, no times, no awards: a first run.
static void SetEmptyTable() {
  ClearHighScoreTable();
  for (int i = 0; i < HS_ROWS; i++) hssecs[i] = hsmins[i] = hshours[i] = 0;
  ClearAwards();
}

// One byte through the scramble table, which then moves on one place.
static int Scramble(int value) {
  int out = (value & 255) ^ (hskey[hskeypos] & 255);
  hskeypos = (hskeypos + 1) % HS_KEY_LENGTH;
  return out;
}

static int ReadScrambled(TStream* s) { return Scramble(ReadByte(s)); }
static void WriteScrambled(TStream* s, int value) { WriteByte(s, Scramble(value)); }

// Four scrambled bytes, least significant first.
static uint32_t ReadWord(TStream* s) {
  uint32_t u = 0;
  for (int i = 0; i < 4; i++) u |= (uint32_t)ReadScrambled(s) << (8 * i);
  return u;
}
static void WriteWord(TStream* s, uint32_t value) {
  for (int i = 0; i < 4; i++) WriteScrambled(s, (int)((value >> (8 * i)) & 255));
}

// A score as the file keeps it: one too big for 32 bits stays the biggest
// the file can hold rather than wrapping round to a small one.
static uint32_t FileScore(int64_t score) {
  return (uint32_t)std::clamp<int64_t>(score, 0, HS_FILE_SCORE_MAX);
}

// Reads the sections in file order. Every value is stored only once all its
// bytes are in, so a file cut short keeps what came before the cut.
static void ReadSections(TStream* s) {
  for (int64_t& v : hsscore) v = ReadWord(s);
  for (int& v : hssecs) v = (int)ReadWord(s);
  for (int& v : hsmins) v = (int)ReadWord(s);
  for (int& v : hshours) v = (int)ReadWord(s);
  for (int i = 0; i < HS_AWARDS_SAVED; i++) awards[i] = ReadScrambled(s) != 0 ? 1 : 0;
  for (std::string& name : hsname) {
    int n = ReadByte(s);  // plain: it does not move the scramble position
    std::string raw;
    for (int j = 0; j < n; j++) raw.push_back((char)ReadScrambled(s));
    name = TableName(raw);
  }
}

// A damaged file may hold its rows out of order; the table is kept best
// first (rows of equal score keep their order), as insertion relies on.
static void SortRows() {
  std::array<int, HS_ROWS> order;
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [](int a, int b) { return hsscore[a] > hsscore[b]; });
  std::string names[HS_ROWS];
  int64_t scores[HS_ROWS];
  int secs[HS_ROWS], mins[HS_ROWS], hours[HS_ROWS];
  for (int i = 0; i < HS_ROWS; i++) {
    int from = order[(size_t)i];
    names[i] = std::move(hsname[from]);
    scores[i] = hsscore[from];
    secs[i] = hssecs[from];
    mins[i] = hsmins[from];
    hours[i] = hshours[from];
  }
  for (int i = 0; i < HS_ROWS; i++) {
    hsname[i] = std::move(names[i]);
    hsscore[i] = scores[i];
    hssecs[i] = secs[i];
    hsmins[i] = mins[i];
    hshours[i] = hours[i];
  }
}

void LoadHighScores() {
  hskeypos = 0;
  LoadPlayerFile(hsfile, SetEmptyTable, ReadSections);
  SortRows();
}

// Writes the sections in file order from the start of the scramble table.
static void WriteSections(TStream* s, void*) {
  hskeypos = 0;
  for (int64_t v : hsscore) WriteWord(s, FileScore(v));
  for (int v : hssecs) WriteWord(s, (uint32_t)v);
  for (int v : hsmins) WriteWord(s, (uint32_t)v);
  for (int v : hshours) WriteWord(s, (uint32_t)v);
  for (int i = 0; i < HS_AWARDS_SAVED; i++) WriteScrambled(s, awards[i]);
  for (const std::string& name : hsname) {
    size_t n = std::min(name.size(), kMaxNameBytes);
    WriteByte(s, (int)n);
    for (size_t j = 0; j < n; j++) WriteScrambled(s, (unsigned char)name[j]);
  }
}

bool SaveHighScores() { return SavePlayerFile(hsfile, WriteSections); }

bool SaveChangedHighScores() { return !hsfile.unreadable && SaveHighScores(); }

int highrank = -1;

void RankLastGame(int64_t score) {
  if (score != 0) {
    highrank = InsertScore(score) + 1;
  } else {
    highrank = -1;
  }
}

int InsertScore(int64_t score) {
  int row = 0;
  while (row < HS_ROWS && hsscore[row] > score) row++;  // an equal score goes above
  if (row == HS_ROWS) return -2;
  for (int r = HS_ROWS - 1; r > row; r--) {  // the last row drops out
    hsname[r] = std::move(hsname[r - 1]);
    hsscore[r] = hsscore[r - 1];
    hssecs[r] = hssecs[r - 1];
    hsmins[r] = hsmins[r - 1];
    hshours[r] = hshours[r - 1];
  }
  hsscore[row] = score;
  hsname[row] = kUnnamed;
  hssecs[row] = (int)clocksecs;
  hsmins[row] = (int)clockmins;
  hshours[row] = (int)clockhours;
  return row;
}

// The HUD's starting high score: the best row, 0 while the table is empty.
int64_t HighScoreTop() { return hsscore[0]; }
