// The back end of a build without an HTTP library: every request is refused.
#include "platform/http_client.h"

static constexpr const char* kNotAvailable = "sending games is not available in this build";

bool HttpPost(const std::string&, const std::string&, const std::string&, long*, std::string*, std::string* why) {
  if (why) *why = kNotAvailable;
  return false;
}

bool HttpGet(const std::string&, long*, std::string*, std::string* why) {
  if (why) *why = kNotAvailable;
  return false;
}
