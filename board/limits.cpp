// The board's limits on names and on how often an address submits.
#include "board/limits.h"

#include <algorithm>

#include "frontend/highscores.h"
#include "services/draw.h"

bool BoardNameAllowed(const std::string& name, std::string* why) {
  auto bad = [&](const std::string& what) {
    if (why) *why = what;
    return false;
  };
  if (name.empty()) return bad("a name is needed (?name=...)");
  if (DrawableName(name) != name) return bad("the name holds characters the game's font does not draw");
  if (FontTextWidth(name) > HS_NAME_WIDTH)
    return bad("the name is wider than the " + std::to_string(HS_NAME_WIDTH) + " pixels the game's table gives it");
  return true;
}

bool AllowSubmission(RateLimit& limit, const std::string& address, int64_t now) {
  // Addresses quiet for a whole window are forgotten, so the map stays small.
  for (auto it = limit.recent.begin(); it != limit.recent.end();) {
    std::vector<int64_t>& times = it->second;
    times.erase(std::remove_if(times.begin(), times.end(), [&](int64_t t) { return now - t >= kRateWindowSeconds; }),
                times.end());
    it = times.empty() && it->first != address ? limit.recent.erase(it) : std::next(it);
  }
  std::vector<int64_t>& mine = limit.recent[address];
  if ((int)mine.size() >= kSubmissionsPerMinute) return false;
  mine.push_back(now);
  return true;
}
