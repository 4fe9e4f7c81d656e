// The score board run as real processes: a server on a free loopback port
// and verifiers over the same file (or PostgreSQL database), in a scratch folder.
#include <httplib.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>

#include <algorithm>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/replay.h"
#include "services/services.h"
#include "tests/run_helpers.h"

using nlohmann::json;

namespace {

const std::string kBoard = std::string(PULSEFIELD_BINARY_DIR) + "/pulsefield-board";
const std::string kGame = std::string(PULSEFIELD_BINARY_DIR) + "/pulsefield";
const std::filesystem::path kSource = PULSEFIELD_SOURCE_DIR;
// Generous bounds for a loaded machine (or a sanitizer build); the waits end
// as soon as the state is reached.
constexpr int kStartSeconds = 120, kVerifySeconds = 1200;
constexpr auto kPoll = std::chrono::milliseconds(20);
// A paused game this many ticks long keeps a verifier's player busy for seconds.
constexpr uint32_t kLongTicks = 200000;
constexpr uint32_t kPauseAtTick = 300;  // in play by then: the focus loss opens the quit prompt
constexpr uint8_t kFocusTag = 9;

// Waits until pred holds, polling; false when the bound passed first.
template <typename F>
bool WaitFor(F pred, int seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

// The newest folder of PostgreSQL's server programs; empty when there is none.
std::filesystem::path PostgresBin() {
  std::filesystem::path best;
  int newest = -1;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
    std::filesystem::path bin = e.path() / "bin";
    int v = std::atoi(e.path().filename().c_str());
    if (v > newest && std::filesystem::exists(bin / "initdb") && std::filesystem::exists(bin / "pg_ctl")) {
      best = bin;
      newest = v;
    }
  }
  return best;
}

// A throwaway PostgreSQL cluster that listens only on a Unix socket in its
// scratch folder, stopped when this goes. initdb refuses root, so as root
// the cluster belongs to the postgres user.
class PostgresCluster {
 public:
  PostgresCluster() : dir_("pg"), bin_(PostgresBin()) {
    if (bin_.empty()) return;
    if (geteuid() == 0) {
      const passwd* pw = getpwnam("postgres");
      if (!pw || chown(dir_.path().c_str(), pw->pw_uid, pw->pw_gid) != 0) {
        why_ = "running as root, and there is no postgres user to own the cluster";
        return;
      }
      asroot_ = true;
    }
    std::string data = (dir_ / "data").string();
    if (Run("initdb", {"-D", data, "-U", "postgres", "--auth=trust", "-E", "UTF8", "--no-sync"}) != 0) {
      why_ = "initdb failed: " + Slurp(dir_ / "initdb.err");
      return;
    }
    std::string options = "-c listen_addresses='' -c unix_socket_directories=" + dir_.string();
    if (Run("pg_ctl", {"-D", data, "-w", "-t", std::to_string(kStartSeconds), "-l", (dir_ / "server.log").string(),
                       "-o", options, "start"}) != 0) {
      why_ = "pg_ctl start failed: " + Slurp(dir_ / "pg_ctl.err") + Slurp(dir_ / "server.log");
      return;
    }
    started_ = true;
  }
  ~PostgresCluster() {
    if (started_) Run("pg_ctl", {"-D", (dir_ / "data").string(), "-w", "-m", "fast", "stop"});
  }
  bool missing() const { return bin_.empty(); }
  bool started() const { return started_; }
  const std::string& why() const { return why_; }
  std::string address() const { return "postgresql:///postgres?host=" + dir_.string() + "&user=postgres"; }

 private:
  // Runs one of the server's programs to its end, as the postgres user when we are root.
  int Run(const std::string& program, std::vector<std::string> args) {
    std::string path = (bin_ / program).string();
    if (asroot_) {
      args.insert(args.begin(), {"-u", "postgres", "--", path});
      path = "/usr/sbin/runuser";
    }
    return WaitProgram(StartProgram(path, args, dir_ / (program + ".err"), dir_ / (program + ".out")), kStartSeconds);
  }

  ScratchDir dir_;
  std::filesystem::path bin_;
  bool asroot_ = false, started_ = false;
  std::string why_;
};

// A board server in a scratch folder, stopped when this goes; its games in
// the database at address, or in a file in the folder when that is empty.
class BoardRun {
 public:
  explicit BoardRun(const std::string& address = "")
      : dir_("board"), db_(address.empty() ? (dir_ / "board.db").string() : address) {
    pid_ = StartProgram(kBoard, {"serve", "--db", db_, "--port", "0"}, dir_ / "serve.err", dir_ / "serve.out");
    std::string out;
    WaitFor([&] { return (out = Slurp(dir_ / "serve.out")).find('\n') != std::string::npos; }, kStartSeconds);
    size_t at = out.find("port ");
    if (at != std::string::npos) port_ = std::atoi(out.c_str() + at + 5);
  }
  ~BoardRun() {
    if (pid_ > 0) kill(pid_, SIGTERM);
    WaitProgram(pid_, kStartSeconds);
  }
  int port() const { return port_; }
  const std::string& db() const { return db_; }
  const ScratchDir& dir() const { return dir_; }

  // POSTs a file under a name; the status and the answer's JSON.
  std::pair<int, json> Submit(const std::vector<uint8_t>& bytes, const std::string& name = "ace") {
    httplib::Client c("127.0.0.1", port_);
    auto r = c.Post(("/api/games?name=" + httplib::detail::encode_query_param(name)).c_str(),
                    std::string(bytes.begin(), bytes.end()), "application/octet-stream");
    if (!r) return {0, json()};
    return {r->status, json::parse(r->body, nullptr, false)};
  }
  std::pair<int, std::string> Get(const std::string& path) {
    httplib::Client c("127.0.0.1", port_);
    auto r = c.Get(path.c_str());
    return r ? std::make_pair(r->status, r->body) : std::make_pair(0, std::string());
  }
  json Game(int64_t id) { return json::parse(Get("/api/games/" + std::to_string(id)).second, nullptr, false); }
  // Runs a verifier with --once to its end; its exit code.
  int VerifyOnce(const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = {"verify", "--db", db_, "--once"};
    args.insert(args.end(), more.begin(), more.end());
    return WaitProgram(StartProgram(kBoard, args, dir_ / "verify.err", dir_ / "verify.out"), kVerifySeconds);
  }

 private:
  ScratchDir dir_;
  std::string db_;
  pid_t pid_ = -1;
  int port_ = 0;
};

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder, const std::string& ext) {
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.path().extension() == ext) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Where the final score sits in a file: behind the version text, state, settings and tick count.
size_t ScoreOffset(const std::vector<uint8_t>& b) { return 7 + b[6] + 8 + 2 + 4 * REPLAY_SETTINGS + 4; }

// The score line of a checked-in replay's .expect file.
int64_t ExpectedScore(const std::filesystem::path& pfr) {
  std::filesystem::path expect = pfr;
  std::string text = Slurp(expect.replace_extension(".expect"));
  return std::atoll(text.c_str() + text.find("score ") + 6);
}

// A loopback port nothing listens on: one the system gave out, closed again.
int ClosedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  bool ok = bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0;
  close(s);
  return ok ? ntohs(a.sin_port) : 0;
}

// The game sending a file with --submit: started, then its output and exit
// code once it has ended (a verifier runs in between, once it has sent).
struct SubmitRun {
  pid_t pid;
  std::filesystem::path out, err;
};
SubmitRun StartSubmit(const ScratchDir& dir, const std::string& tag, const std::vector<std::string>& args) {
  SubmitRun r{-1, dir / (tag + ".out"), dir / (tag + ".err")};
  std::vector<std::string> all = {"--submit"};
  all.insert(all.end(), args.begin(), args.end());
  r.pid = StartProgram(kGame, all, r.err, r.out);
  return r;
}

}  // namespace

enum class Storage { SqliteFile, PostgresDatabase };
const char* StorageName(Storage s) { return s == Storage::SqliteFile ? "InAnSqliteFile" : "InAPostgresDatabase"; }
void PrintTo(Storage s, std::ostream* os) { *os << StorageName(s); }

class BoardEndToEnd : public ::testing::TestWithParam<Storage> {};

TEST_P(BoardEndToEnd, CheckedInReplaysAreVerifiedWhileForgeriesAndOtherVersionsAreRefused) {
  std::unique_ptr<PostgresCluster> cluster;
  std::string address;
  if (GetParam() == Storage::PostgresDatabase) {
#ifndef PULSEFIELD_BOARD_POSTGRES
    GTEST_SKIP() << "this board was built without libpq, so it has no PostgreSQL storage";
#endif
    cluster = std::make_unique<PostgresCluster>();
    if (cluster->missing()) GTEST_SKIP() << "no PostgreSQL server programs under /usr/lib/postgresql/*/bin";
    ASSERT_TRUE(cluster->started()) << cluster->why();
    address = cluster->address();
  }
  BoardRun board(address);
  ASSERT_GT(board.port(), 0) << Slurp(board.dir() / "serve.err");
  std::map<int64_t, int64_t> scores;  // id -> the score its .expect holds
  std::vector<uint8_t> first;
  for (const auto& file : FilesIn(kSource / "tests" / "replays", ".pfr")) {
    std::vector<uint8_t> bytes = ReadBytes(file);
    if (first.empty()) first = bytes;
    auto [status, answer] = board.Submit(bytes, file.stem().string());
    ASSERT_EQ(202, status) << file << answer.dump();
    scores[answer["id"].get<int64_t>()] = ExpectedScore(file);
  }
  // The same bytes again are the same entry.
  auto [again, dup] = board.Submit(first, "someone else");
  EXPECT_EQ(200, again);
  EXPECT_EQ(scores.begin()->first, dup["id"].get<int64_t>());
  std::vector<uint8_t> forged = first;
  forged[ScoreOffset(forged) + 2]++;  // the claimed score raised by 65536, the body left
  int64_t forgedid = board.Submit(forged).second["id"];
  std::vector<uint8_t> other = first;
  std::string older = "v0.00";
  ASSERT_EQ(older.size(), version.size());
  std::copy(older.begin(), older.end(), other.begin() + 7);
  int64_t otherid = board.Submit(other).second["id"];
  EXPECT_EQ("pending", board.Game(otherid)["status"]);

  ASSERT_EQ(0, board.VerifyOnce()) << Slurp(board.dir() / "verify.err");
  for (auto [id, score] : scores) {
    json g = board.Game(id);
    EXPECT_EQ("verified", g["status"]) << g.dump();
    EXPECT_EQ(score, g["score"].get<int64_t>());
  }
  json f = board.Game(forgedid);
  EXPECT_EQ("refused", f["status"]);
  EXPECT_NE(std::string::npos, f["reason"].get<std::string>().find("score")) << f.dump();
  json o = board.Game(otherid);
  EXPECT_EQ("refused", o["status"]);
  EXPECT_EQ("the replay is of Pulsefield v0.00; this board plays " + version, o["reason"]);

  json top = json::parse(board.Get("/api/top").second);
  ASSERT_EQ(scores.size(), top.size());
  for (size_t i = 0; i < top.size(); i++) {
    EXPECT_EQ((int)i + 1, top[i]["rank"].get<int>());
    if (i > 0) {
      EXPECT_GE(top[i - 1]["score"].get<int64_t>(), top[i]["score"].get<int64_t>());
    }
  }
  std::string stored = board.Get("/replays/" + std::to_string(scores.begin()->first) + ".pfr").second;
  EXPECT_EQ(std::string(first.begin(), first.end()), stored);
}

INSTANTIATE_TEST_SUITE_P(Storage, BoardEndToEnd,
                         ::testing::Values(Storage::SqliteFile, Storage::PostgresDatabase),
                         [](const auto& info) { return StorageName(info.param); });

TEST(BoardHostile, HostileFilesNamesAndPathsAreRefusedAndTheBoardStillAnswers) {
  BoardRun board;
  ASSERT_GT(board.port(), 0) << Slurp(board.dir() / "serve.err");
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
  for (const auto& file : FilesIn(kSource / "tests" / "fuzz" / "replay", ".pfr"))
    if (!std::filesystem::exists(kSource / "tests" / "replays" / file.filename()))
      files.push_back({file.filename().string(), ReadBytes(file)});
  std::vector<uint8_t> good = ReadBytes(kSource / "tests" / "replays" / "mouse.pfr");
  std::vector<uint8_t> cut(good.begin(), good.end() - 1), flipped = good, stray = good;
  flipped[good.size() - 20] ^= 0xff;
  stray.push_back(0);
  files.insert(files.end(), {{"empty", {}}, {"text", {'h', 'e', 'l', 'l', 'o'}}, {"cut by a byte", cut},
                             {"body flipped", flipped}, {"a stray byte", stray}});
  std::vector<int64_t> kept;
  for (const auto& [what, bytes] : files) {
    auto [status, answer] = board.Submit(bytes);
    if (status == 202) kept.push_back(answer["id"]);
    else EXPECT_TRUE(status == 400 && !answer["error"].get<std::string>().empty()) << what << " " << status;
  }
  ASSERT_EQ(0, board.VerifyOnce()) << Slurp(board.dir() / "verify.err");
  for (int64_t id : kept) {
    json g = board.Game(id);
    EXPECT_EQ("refused", g["status"]) << g.dump();
    EXPECT_FALSE(g["reason"].get<std::string>().empty());
  }
  // Names the game's table could not show, and ids that are not numbers.
  for (std::string name : {std::string(""), std::string("tab\there"), std::string(200, 'W'), std::string("\xc3\xa9")})
    EXPECT_EQ(400, board.Submit(good, name).first) << name;
  for (std::string path : {"/api/games/abc", "/api/games/-1", "/api/games/99999999999999999999", "/replays/..%2Fboard.db",
                           "/replays/1.pfr/../../board.db", "/api/games/424242"})
    EXPECT_EQ(404, board.Get(path).first) << path;
  EXPECT_EQ(200, board.Get("/api/top").first);
  EXPECT_EQ("[]", board.Get("/api/top").second);
}

TEST(BoardLease, AGameWhoseVerifierWasKilledMidGameIsFinishedByAnotherOnceTheLeaseRunsOut) {
  BoardRun board;
  ASSERT_GT(board.port(), 0) << Slurp(board.dir() / "serve.err");
  // A long game: a real replay's header, then a focus loss that pauses play for good.
  Replay r;
  std::string why;
  ASSERT_TRUE(LoadReplay((kSource / "tests" / "replays" / "mouse.pfr").string(), r, &why)) << why;
  r.format = REPLAY_FORMAT;
  r.ticks = kLongTicks;
  r.body.assign(kLongTicks + 1, 0);
  r.body[kPauseAtTick] = 1;
  r.body[kPauseAtTick + 1] = kFocusTag;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeReplay(r, bytes));
  int64_t id = board.Submit(bytes).second["id"];
  std::string lease = "2";
  pid_t first = StartProgram(kBoard, {"verify", "--db", board.db(), "--lease-seconds", lease}, board.dir() / "a.err",
                             board.dir() / "a.out");
  ASSERT_TRUE(WaitFor([&] { return Slurp(board.dir() / "a.out").find("verifying game") != std::string::npos; },
                      kStartSeconds));
  kill(first, SIGKILL);
  WaitProgram(first, kStartSeconds);
  ASSERT_EQ("pending", board.Game(id)["status"]) << "the first verifier finished before it was killed";
  ASSERT_EQ(0, board.VerifyOnce({"--lease-seconds", lease})) << Slurp(board.dir() / "verify.err");
  EXPECT_NE("pending", board.Game(id)["status"]);
  EXPECT_NE(std::string::npos, Slurp(board.dir() / "verify.out").find("game " + std::to_string(id) + " "));
}

TEST(BoardSubmit, AGameSentFromTheCommandLineIsRankedOnceVerifiedAndAForgeryIsRefusedWithTheReason) {
  BoardRun board;
  ASSERT_GT(board.port(), 0) << Slurp(board.dir() / "serve.err");
  std::string url = "http://127.0.0.1:" + std::to_string(board.port());
  std::string mouse = (kSource / "tests" / "replays" / "mouse.pfr").string();
  std::vector<uint8_t> forged = ReadBytes(mouse);
  forged[ScoreOffset(forged) + 2]++;
  WriteBytes(board.dir() / "forged.pfr", forged);
  struct Case {
    std::string file, id, verdict;
    int code;
  };
  for (const Case& c : {Case{mouse, "1", "verified, rank 1 on the board\n", 0},
                        Case{(board.dir() / "forged.pfr").string(), "2", "refused: ", 1}}) {
    SubmitRun run = StartSubmit(board.dir(), "submit" + c.id,
                                {c.file, "--board", url + "/", "--name", "Ada", "--wait", "3600"});
    std::string sent = "sent, id " + c.id + "\n";
    ASSERT_TRUE(WaitFor([&] { return Slurp(run.out).find(sent) != std::string::npos; }, kStartSeconds))
        << Slurp(run.err);
    ASSERT_EQ(0, board.VerifyOnce()) << Slurp(board.dir() / "verify.err");
    EXPECT_EQ(c.code, WaitProgram(run.pid, kVerifySeconds)) << Slurp(run.err);
    std::string out = Slurp(run.out);
    EXPECT_EQ(0u, out.find(sent + c.verdict)) << out;
    if (c.code != 0) {
      EXPECT_NE(std::string::npos, out.find("score")) << out;
    }
  }
  EXPECT_EQ("Ada", board.Game(1)["name"]);
}

TEST(BoardSubmit, FilesThatAreNotReplaysBoardsThatAreNotThereAndOtherAddressesAreRefusedByName) {
  ScratchDir dir("submit");
  WriteBytes(dir / "text.pfr", {'h', 'e', 'l', 'l', 'o'});
  std::string mouse = (kSource / "tests" / "replays" / "mouse.pfr").string();
  int port = ClosedPort();
  ASSERT_GT(port, 0);
  std::string nowhere = "http://127.0.0.1:" + std::to_string(port);
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string said;
  };
  const Case cases[] = {
      {{(dir / "missing.pfr").string(), "--board", nowhere}, 1, (dir / "missing.pfr").string()},
      {{(dir / "text.pfr").string(), "--board", nowhere}, 1, "not a replay to send"},
      {{mouse, "--board", nowhere, "--name", "Ada"}, 1, nowhere},
      {{mouse, "--board", "ftp://127.0.0.1/"}, 2, "not an http:// or https:// address"},
      {{mouse, "--board", "http://"}, 2, "names no host"},
      {{mouse}, 2, "--submit needs --board"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SubmitRun run = StartSubmit(dir, std::to_string(n++), c.args);
    EXPECT_EQ(c.code, WaitProgram(run.pid, kStartSeconds)) << c.args[0];
    std::string err = Slurp(run.err);
    EXPECT_NE(std::string::npos, err.find(c.said)) << err;
    EXPECT_EQ("", Slurp(run.out));
  }
}
