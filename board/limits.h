// What the score board takes from outside: the names it keeps and how often
// one address may submit (the largest upload is app/replay_size.h's).
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/replay_size.h"

// Submissions one address may make in a minute; the rest are refused (429).
constexpr int kSubmissionsPerMinute = 30;
constexpr int64_t kRateWindowSeconds = 60;

// True when a name is one the game's name entry could have typed: not empty,
// only characters the font draws, and no wider than the table's name column;
// else false with *why.
bool BoardNameAllowed(const std::string& name, std::string* why);

// The submission times of each address within the last window.
struct RateLimit {
  std::map<std::string, std::vector<int64_t>> recent;
};
// Counts a submission from the address at time now (seconds); false when the
// address has already made kSubmissionsPerMinute in the window.
bool AllowSubmission(RateLimit& limit, const std::string& address, int64_t now);
