// The desktop's requests through libcurl.
#include <curl/curl.h>

#include <mutex>

#include "platform/http_client.h"

namespace {

// libcurl's global set-up, once per process, before the first request.
void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Appends what arrives to the answer; a byte past the cap ends the transfer.
size_t Collect(char* data, size_t size, size_t count, void* user) {
  auto* answer = static_cast<std::string*>(user);
  size_t n = size * count;
  if (answer->size() + n > kMaxHttpAnswerBytes) return 0;
  answer->append(data, n);
  return n;
}

// Runs one request; body null for a GET.
bool Request(const std::string& url, const std::string* body, const std::string& contenttype, long* status,
             std::string* answer, std::string* why) {
  InitCurlOnce();
  CURL* curl = curl_easy_init();
  if (!curl) {
    if (why) *why = "the HTTP library could not start a request";
    return false;
  }
  std::string got;
  char error[CURL_ERROR_SIZE] = {};
  curl_slist* headers = nullptr;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kHttpConnectSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, kHttpRequestSeconds);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &got);
  if (body) {
    headers = curl_slist_append(headers, ("Content-Type: " + contenttype).c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, (curl_off_t)body->size());
  }
  CURLcode rc = curl_easy_perform(curl);
  long code = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  if (rc != CURLE_OK) {
    if (why) {
      if (rc == CURLE_WRITE_ERROR) *why = "its answer is longer than " + std::to_string(kMaxHttpAnswerBytes) + " bytes";
      else *why = error[0] ? error : curl_easy_strerror(rc);
    }
    return false;
  }
  *status = code;
  *answer = std::move(got);
  return true;
}

}  // namespace

bool HttpPost(const std::string& url, const std::string& body, const std::string& contenttype, long* status,
              std::string* answer, std::string* why) {
  return Request(url, &body, contenttype, status, answer, why);
}

bool HttpGet(const std::string& url, long* status, std::string* answer, std::string* why) {
  return Request(url, nullptr, "", status, answer, why);
}
