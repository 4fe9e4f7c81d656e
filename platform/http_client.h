// Requests to a web server (the score board): one request, its whole answer.
// Each build picks one back end: libcurl on the desktop (http_client_curl),
// none in the browser or where libcurl was missing (http_client_none).
#pragma once
#include <cstddef>
#include <string>

// The most an answer may hold; a longer one is refused, not kept.
constexpr size_t kMaxHttpAnswerBytes = 1u << 20;
// How long reaching the server, and a whole request, may take.
constexpr long kHttpConnectSeconds = 10;
constexpr long kHttpRequestSeconds = 60;

// POSTs body to an http:// or https:// url, following no redirect. True when
// the server answered (any status, in *status, its text in *answer); false
// with *why when it could not be reached or its answer was too long.
bool HttpPost(const std::string& url, const std::string& body, const std::string& contenttype, long* status,
              std::string* answer, std::string* why);
// The same for a GET.
bool HttpGet(const std::string& url, long* status, std::string* answer, std::string* why);
