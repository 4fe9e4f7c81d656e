// The 100-row high-score table, the awards ever earned, and "highscore.dat".
#pragma once
#include <cstdint>
#include <string>

constexpr int HS_ROWS = 100;
constexpr int HS_PAGE_ROWS = 10;
constexpr int HS_PAGES = HS_ROWS / HS_PAGE_ROWS;
constexpr int HS_AWARDS_SAVED = 14;  // awards 0..13; elements 14 and 15 are never saved
constexpr int HS_KEY_LENGTH = 128;
// Names are typed to at most this many pixels of the font at scale 1, so a
// name never reaches the score column.
constexpr int HS_NAME_WIDTH = 496;
// The file keeps the low 32 bits of a score; anything above saturates.
constexpr int64_t HS_FILE_SCORE_MAX = 4294967295LL;

extern std::string hsname[HS_ROWS];
extern int64_t hsscore[HS_ROWS];
extern int hssecs[HS_ROWS], hsmins[HS_ROWS], hshours[HS_ROWS];
extern int awards[16];
extern int hskeypos;
extern int hspage;

// The fixed scramble table of "highscore.dat": every scrambled byte is XORed
// with the next of these, round and round from the start of the file.
inline constexpr int hskey[HS_KEY_LENGTH] = {
    124, 100, 86,  135, 173, 186, 105, 229, 78,  16,  21,  105, 151, 247, 248, 246,
    40,  150, 31,  29,  136, 44,  204, 12,  201, 65,  112, 168, 33,  20,  58,  133,
    171, 174, 43,  6,   139, 75,  0,   43,  244, 14,  12,  194, 44,  45,  18,  111,
    45,  68,  211, 67,  84,  176, 166, 161, 15,  149, 2,   247, 8,   176, 81,  9,
    65,  84,  226, 62,  46,  93,  109, 123, 177, 238, 215, 212, 123, 101, 66,  142,
    237, 221, 24,  58,  128, 40,  98,  131, 81,  24,  7,   22,  47,  200, 112, 54,
    149, 250, 124, 255, 130, 216, 180, 172, 139, 195, 173, 236, 118, 54,  241, 160,
    49,  68,  241, 195, 167, 147, 90,  135, 111, 230, 217, 39,  3,   3,   27,  135,
};

// Reads "highscore.dat": a missing file gives the empty table; a short or
// damaged one keeps what was read and the empty table for the rest; one that
// is there but cannot be read is reported and left alone at quit.
void LoadHighScores();
// True when "highscore.dat" was there but could not be read: this run's
// table is not the player's, and nothing may be judged by it.
bool HighScoresUnreadable();
// Writes "highscore.dat" through a temporary file; false (after a warning on
// stderr) when it was not written, the old file then being untouched.
bool SaveHighScores();
// The table changed in play (a game made a row, a name was confirmed): it is
// written at once as well as at quit, so a game that dies before quitting
// keeps its row. A table whose file could not be read is left alone (the
// quit says so). False when it was not written.
bool SaveChangedHighScores();
// Enters a game's final score with the play clock; returns its row 0..99,
// or -2 when it does not make the table.
int InsertScore(int64_t score);
// The row (1..100) the last game's score made, -1 for none.
extern int highrank;
// Enters the game just over: its row into highrank (a score of 0 makes none).
void RankLastGame(int64_t score);
// The best row's score.
int64_t HighScoreTop();
// RESET HIGHSCORES: every name "Empty" and every score 0 (times and awards stay).
void ClearHighScoreTable();
// RESET AWARDS: no award earned yet.
void ClearAwards();

// A name cut from the end until it fits the name entry's width.
std::string FitNameWidth(std::string name);
