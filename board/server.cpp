// The board's routes. Every request is outside input: the name is checked
// against the game's own rules, ids are numbers, the body is capped and
// checked as a replay header before it is kept, and nothing names a path.
#include "board/server.h"

#include <httplib.h>

#include <charconv>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <nlohmann/json.hpp>

#include "app/replay.h"
#include "board/digest.h"
#include "board/limits.h"
#include "board/store.h"
#include "services/draw.h"

using nlohmann::json;

namespace {

// The most rows /api/top answers.
constexpr int kTopRows = 100;
// An id is a positive number of at most this many digits (within int64).
constexpr size_t kMaxIdDigits = 18;
constexpr int kOk = 200, kAccepted = 202, kBadRequest = 400, kNotFound = 404, kTooLarge = 413,
              kUnsupported = 415, kTooMany = 429, kServerError = 500;
const char* const kJson = "application/json";

void Answer(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(), kJson);
}

void Refuse(httplib::Response& res, int status, const std::string& why) { Answer(res, status, {{"error", why}}); }

// The id in a route's match: digits only (the route says so), in range.
bool IdOf(const httplib::Request& req, int64_t* id) {
  std::string text = req.matches[1];
  if (text.empty() || text.size() > kMaxIdDigits) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *id);
  return ec == std::errc() && end == text.data() + text.size() && *id > 0;
}

// A day as "2026-12-08" (UTC).
std::string DateOf(int64_t seconds) {
  std::time_t t = (std::time_t)seconds;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
  return buf;
}

// What the handlers share; the server's threads take turns with the lock.
struct Board {
  Store store;
  RateLimit limit;
  std::mutex lock;
};

// POST /api/games?name=NAME: the body is the replay file.
void Submit(Board& board, const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
  {
    std::lock_guard<std::mutex> hold(board.lock);
    if (!AllowSubmission(board.limit, req.remote_addr, (int64_t)std::time(nullptr)))
      return Refuse(res, kTooMany,
                    "more than " + std::to_string(kSubmissionsPerMinute) + " submissions a minute from one address");
  }
  std::string name = req.get_param_value("name"), why;
  if (req.get_param_value_count("name") > 1) return Refuse(res, kBadRequest, "give one name");
  if (!BoardNameAllowed(name, &why)) return Refuse(res, kBadRequest, why);
  // Counted as it arrives: the cap holds whatever Content-Length said.
  std::vector<uint8_t> bytes;
  bool toolarge = false;
  reader([&](const char* data, size_t n) {
    if (bytes.size() + n > kMaxUploadBytes) {
      toolarge = true;
      return false;
    }
    bytes.insert(bytes.end(), data, data + n);
    return true;
  });
  if (toolarge)
    return Refuse(res, kTooLarge, "the file is larger than the " + std::to_string(kMaxUploadBytes) +
                                      " bytes of the largest replay the game makes");
  Replay head;
  size_t bodyat;
  uint32_t bodylength;
  if (!DecodeReplayHeader(bytes.data(), bytes.size(), head, &bodyat, &bodylength, &why))
    return Refuse(res, kBadRequest, why);
  int64_t id = 0;
  bool existed = false;
  std::string digest = Sha256Hex(bytes.data(), bytes.size());
  std::lock_guard<std::mutex> hold(board.lock);
  if (!AddGame(board.store, name, bytes, digest, head.finalscore, head.finalclock, (int64_t)std::time(nullptr), &id,
               &existed, &why)) {
    std::fprintf(stderr, "pulsefield-board: cannot keep a replay: %s\n", why.c_str());
    return Refuse(res, kServerError, "the board could not keep the replay");
  }
  Answer(res, existed ? kOk : kAccepted, {{"id", id}});
}

json GameJson(const GameRow& g) {
  return {{"id", g.id},         {"name", g.name},
          {"score", g.score},   {"clock", g.clock},
          {"status", GameStatusName(g.status)}, {"reason", g.reason}};
}

}  // namespace

int RunServer(const ServerOptions& opts) {
  Board board;
  Store& store = board.store;
  std::string why;
  if (!OpenStore(opts.db, store, &why)) {
    std::fprintf(stderr, "pulsefield-board: %s\n", why.c_str());
    return 1;
  }
  InitFontWidths();
  httplib::Server server;
  server.set_payload_max_length(kMaxUploadBytes);
  // A packed request body could unpack past any cap: only plain bodies are taken.
  server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
    std::string coding = req.get_header_value("Content-Encoding");
    if (coding.empty() || coding == "identity") return httplib::Server::HandlerResponse::Unhandled;
    Refuse(res, kUnsupported, "send the replay's bytes as they are, with no Content-Encoding");
    return httplib::Server::HandlerResponse::Handled;
  });
  server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return;
    std::string what = res.status == kNotFound   ? "no such page"
                       : res.status == kTooLarge ? "the request is too large"
                                                 : "the request was refused";
    Refuse(res, res.status, what);
  });
  server.Post("/api/games", [&](const httplib::Request& req, httplib::Response& res,
                                const httplib::ContentReader& reader) {
    Submit(board, req, res, reader);
  });
  server.Get(R"(/api/games/(\d+))", [&](const httplib::Request& req, httplib::Response& res) {
    int64_t id;
    GameRow g;
    std::lock_guard<std::mutex> hold(board.lock);
    if (!IdOf(req, &id) || !FindGame(store, id, g)) return Refuse(res, kNotFound, "no such game");
    Answer(res, kOk, GameJson(g));
  });
  server.Get("/api/top", [&](const httplib::Request&, httplib::Response& res) {
    json rows = json::array();
    int rank = 0;
    std::lock_guard<std::mutex> hold(board.lock);
    for (const GameRow& g : TopGames(store, kTopRows))
      rows.push_back({{"rank", ++rank}, {"id", g.id}, {"name", g.name}, {"score", g.score},
                      {"clock", g.clock}, {"date", DateOf(g.submitted)}});
    Answer(res, kOk, rows);
  });
  server.Get(R"(/replays/(\d+)\.pfr)", [&](const httplib::Request& req, httplib::Response& res) {
    int64_t id;
    std::vector<uint8_t> bytes;
    std::lock_guard<std::mutex> hold(board.lock);
    if (!IdOf(req, &id) || !GameBytes(store, id, bytes)) return Refuse(res, kNotFound, "no such replay");
    res.set_content(std::string(bytes.begin(), bytes.end()), "application/octet-stream");
  });
  int port = opts.port == 0 ? server.bind_to_any_port(opts.listen) : (server.bind_to_port(opts.listen, opts.port) ? opts.port : -1);
  if (port <= 0) {
    std::fprintf(stderr, "pulsefield-board: cannot listen on %s port %d\n", opts.listen.c_str(), opts.port);
    CloseStore(store);
    return 1;
  }
  std::printf("listening on %s port %d\n", opts.listen.c_str(), port);
  std::fflush(stdout);
  bool ok = server.listen_after_bind();
  CloseStore(store);
  return ok ? 0 : 1;
}
