// Sending a replay to a score board and waiting for its verdict.
#include "app/submit.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "app/replay.h"
#include "app/replay_size.h"
#include "platform/files.h"
#include "platform/http_client.h"
#include "services/config.h"

using nlohmann::json;

namespace {

constexpr const char* kDefaultName = "Anonymous";
constexpr auto kPollEvery = std::chrono::seconds(1);
// The board's table reaches this far; a game below it has no rank to show.
constexpr int kTopEntries = 100;
// The most of a board's message printed, cut there.
constexpr size_t kMaxMessageBytes = 300;
// HTTP statuses the board answers a sent game with: new, or already there.
constexpr long kAccepted = 202, kAlreadySent = 200;

// A board's text made safe to print: control bytes become '?', cut long.
std::string Printable(const std::string& text) {
  std::string out = text.substr(0, kMaxMessageBytes);
  for (char& c : out)
    if ((unsigned char)c < 0x20 || c == 0x7f) c = '?';
  return out;
}

// The board's {"error": ...} text, or the status alone when it sent none.
std::string BoardError(long status, const std::string& answer) {
  json j = json::parse(answer, nullptr, false);
  if (j.is_object() && j.contains("error") && j["error"].is_string())
    return Printable(j["error"].get<std::string>());
  return "it answered HTTP " + std::to_string(status);
}

// A whole number field of a JSON object; false when missing or another type.
bool IntField(const json& j, const char* key, int64_t* out) {
  if (!j.is_object() || !j.contains(key) || !j[key].is_number_integer()) return false;
  *out = j[key].get<int64_t>();
  return true;
}

// GETs a path of the board as JSON; false with *why when it could not.
bool GetJson(const std::string& board, const std::string& path, json* out, std::string* why) {
  long status = 0;
  std::string answer;
  if (!HttpGet(board + path, &status, &answer, why)) return false;
  if (status != 200) {
    *why = BoardError(status, answer);
    return false;
  }
  *out = json::parse(answer, nullptr, false);
  if (out->is_discarded()) {
    *why = "its answer to " + path + " is not JSON";
    return false;
  }
  return true;
}

// The game's rank in the board's top list; 0 when it is not there.
int64_t RankOf(const json& top, int64_t id) {
  if (!top.is_array()) return 0;
  for (const json& e : top) {
    int64_t eid, rank;
    if (IntField(e, "id", &eid) && eid == id && IntField(e, "rank", &rank) && rank >= 1 && rank <= kTopEntries)
      return rank;
  }
  return 0;
}

}  // namespace

bool BoardUrlAllowed(const std::string& url, std::string* why) {
  auto bad = [&](const std::string& what) {
    if (why) *why = "--board \"" + Printable(url) + "\" " + what;
    return false;
  };
  bool http = url.rfind("http://", 0) == 0, https = url.rfind("https://", 0) == 0;
  if (!http && !https) return bad("is not an http:// or https:// address");
  std::string rest = url.substr(http ? 7 : 8);
  if (rest.empty() || rest[0] == '/') return bad("names no host");
  for (char c : url)
    if ((unsigned char)c <= 0x20 || (unsigned char)c >= 0x7f) return bad("holds a space or a byte that is not plain text");
  if (url.find_first_of("?#") != std::string::npos) return bad("may not hold a query or a fragment");
  return true;
}

std::string UrlEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '.' || c == '_' || c == '~';
    if (plain) {
      out += (char)c;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string SubmitName(const StartOptions& opts, const std::string& userdir) {
  if (!opts.submitname.empty()) return opts.submitname;
  // The settings are read where the game keeps them, without making the folder.
  std::error_code ec;
  std::filesystem::path back = std::filesystem::current_path(ec);
  if (!userdir.empty()) {
    if (!std::filesystem::is_directory(userdir, ec)) return kDefaultName;
    std::filesystem::current_path(userdir, ec);
    if (ec) return kDefaultName;
  }
  LoadConfig();
  std::string name = lastname;
  if (!userdir.empty()) std::filesystem::current_path(back, ec);
  return name.empty() ? kDefaultName : name;
}

int RunSubmit(const StartOptions& opts, const std::string& name) {
  std::vector<uint8_t> bytes;
  std::string why;
  if (!ReadFileBytes(opts.submit, kMaxUploadBytes, bytes, nullptr, &why)) {
    std::fprintf(stderr, "pulsefield: cannot send the replay \"%s\": %s\n", opts.submit.c_str(), why.c_str());
    return kSubmitFailed;
  }
  Replay header;
  size_t bodyat;
  uint32_t bodylength;
  if (!DecodeReplayHeader(bytes.data(), bytes.size(), header, &bodyat, &bodylength, &why)) {
    std::fprintf(stderr, "pulsefield: \"%s\" is not a replay to send: %s\n", opts.submit.c_str(), why.c_str());
    return kSubmitFailed;
  }
  // The address without a closing slash, so paths join it once.
  std::string board = opts.board;
  while (!board.empty() && board.back() == '/') board.pop_back();
  long status = 0;
  std::string answer;
  if (!HttpPost(board + "/api/games?name=" + UrlEncode(name), std::string(bytes.begin(), bytes.end()),
                "application/octet-stream", &status, &answer, &why)) {
    std::fprintf(stderr, "pulsefield: the board at %s could not be reached: %s\n", opts.board.c_str(), why.c_str());
    return kSubmitFailed;
  }
  int64_t id = 0;
  json sent = json::parse(answer, nullptr, false);
  if (status != kAccepted && status != kAlreadySent) {
    std::fprintf(stderr, "pulsefield: the board at %s refused the game: %s\n", opts.board.c_str(),
                 BoardError(status, answer).c_str());
    return kSubmitFailed;
  }
  if (!IntField(sent, "id", &id) || id < 1) {
    std::fprintf(stderr, "pulsefield: the board at %s answered without a game number\n", opts.board.c_str());
    return kSubmitFailed;
  }
  std::printf("sent, id %lld\n", (long long)id);
  std::fflush(stdout);

  auto start = std::chrono::steady_clock::now();
  auto end = start + std::chrono::seconds(opts.submitwait);
  std::string path = "/api/games/" + std::to_string(id);
  for (;;) {
    json game;
    if (!GetJson(board, path, &game, &why)) {
      std::fprintf(stderr, "pulsefield: the board at %s could not say how the game fared: %s\n",
                   opts.board.c_str(), why.c_str());
      return kSubmitFailed;
    }
    std::string state = game.is_object() && game.contains("status") && game["status"].is_string()
                            ? game["status"].get<std::string>()
                            : "";
    if (state == "verified") {
      json top;
      if (!GetJson(board, "/api/top", &top, &why)) {
        std::fprintf(stderr, "pulsefield: the board at %s could not give its table: %s\n", opts.board.c_str(),
                     why.c_str());
        return kSubmitFailed;
      }
      int64_t rank = RankOf(top, id);
      if (rank > 0) std::printf("verified, rank %lld on the board\n", (long long)rank);
      else std::printf("verified, not in the top %d\n", kTopEntries);
      return kSubmitVerified;
    }
    if (state == "refused") {
      std::string reason = game.contains("reason") && game["reason"].is_string() ? game["reason"].get<std::string>() : "";
      std::printf("refused: %s\n", reason.empty() ? "the board gave no reason" : Printable(reason).c_str());
      return kSubmitFailed;
    }
    if (state != "pending") {
      std::fprintf(stderr, "pulsefield: the board at %s answered with an unknown state\n", opts.board.c_str());
      return kSubmitFailed;
    }
    if (std::chrono::steady_clock::now() + kPollEvery > end) break;
    std::this_thread::sleep_for(kPollEvery);
  }
  std::printf("still pending after %d s\n", opts.submitwait);
  return kSubmitFailed;
}
