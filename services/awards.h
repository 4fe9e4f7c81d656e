// The fourteen awards: their indices into gameawards and the picture of each,
// in index order. The game, the media generator and the tests share this list.
#pragma once
#include <string_view>

// Award indices into gameawards (and the lasting collection of awards).
enum AwardIndex {
  AWARD_PANSY = 0,      // bomb with the shield still up
  AWARD_SUCKER = 1,     // bomb with no enemy alive
  AWARD_NOSHOOT = 2,    // a minute alive without firing or bombing
  AWARD_100T = 3,
  AWARD_250T = 4,
  AWARD_500T = 5,
  AWARD_1000T = 6,
  AWARD_100C = 7,       // the same scores without losing a life
  AWARD_250C = 8,
  AWARD_500C = 9,
  AWARD_1000C = 10,
  AWARD_QUARTER = 11,   // nine bombs
  AWARD_SKILL = 12,     // nine lives
  AWARD_MULTI = 13,     // multiplier 10
  AWARD_COUNT = 14
};

// An award and the file stem of its picture.
struct AwardPicture {
  AwardIndex award;
  const char* stem;
};

// Every award's picture, entry i for award i.
inline constexpr AwardPicture kAwardPictures[AWARD_COUNT] = {
    {AWARD_PANSY, "awdpansy"},     {AWARD_SUCKER, "awdsucker"},   {AWARD_NOSHOOT, "awdnoshoot"},
    {AWARD_100T, "awd100t"},       {AWARD_250T, "awd250t"},       {AWARD_500T, "awd500t"},
    {AWARD_1000T, "awd1000t"},     {AWARD_100C, "awd100c"},       {AWARD_250C, "awd250c"},
    {AWARD_500C, "awd500c"},       {AWARD_1000C, "awd1000c"},     {AWARD_QUARTER, "awdquarter"},
    {AWARD_SKILL, "awdskill"},     {AWARD_MULTI, "awdmulti"},
};

// How each award is earned, in a few words for the awards screen, entry i
// for award i; short enough to sit under its picture at half size.
inline constexpr const char* kAwardHints[AWARD_COUNT] = {
    "bomb with shield up", "bomb an empty arena", "hold fire a minute",
    "score 100,000",       "score 250,000",       "score 500,000",
    "score 1,000,000",     "100,000 no deaths",   "250,000 no deaths",
    "500,000 no deaths",   "1,000,000 no deaths", "hold nine bombs",
    "hold nine lives",     "reach multiplier x10",
};

// Each award's name, entry i for award i, shown under its picture once it is
// earned; short enough that names two pictures apart on the game-over row
// (112 pixels at half size) never meet.
inline constexpr const char* kAwardNames[AWARD_COUNT] = {
    "pansy",       "sucker",      "pacifist",    "100k club",     "250k club",
    "500k club",   "millionaire", "clean 100k",  "clean 250k",    "clean 500k",
    "clean million", "bombardier", "nine lives", "max multiplier",
};

// True when every entry of kAwardPictures sits at its own award's index.
constexpr bool AwardPicturesInIndexOrder() {
  for (int i = 0; i < AWARD_COUNT; i++)
    if (kAwardPictures[i].award != i || kAwardPictures[i].stem == nullptr) return false;
  return true;
}
static_assert(AwardPicturesInIndexOrder(), "kAwardPictures must list the awards in index order");

// The award whose picture has this stem, or -1 for a picture of no award.
constexpr int AwardOfStem(std::string_view stem) {
  for (int i = 0; i < AWARD_COUNT; i++)
    if (stem == kAwardPictures[i].stem) return i;
  return -1;
}
