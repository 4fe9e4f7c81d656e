// The board's SQLite back end: one file in WAL mode holding schema versions,
// submissions, claims and verdicts. Every statement is parameterised.
#include <sqlite3.h>

#include "board/store_backend.h"

namespace {

// A waiting writer (the server and verifiers share the file) retries this long.
constexpr int kBusyTimeoutMs = 30000;

// Each step brings the schema from its index to the next version.
const std::vector<std::string> kMigrations[] = {
    FirstSchema({"INTEGER PRIMARY KEY", "INTEGER", "BLOB"}),
};
constexpr int kSchemaVersion = sizeof kMigrations / sizeof kMigrations[0];

// A prepared statement, finalised when it goes.
struct Statement {
  sqlite3_stmt* s = nullptr;
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s, nullptr); }
  ~Statement() { sqlite3_finalize(s); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool Step() { return s && sqlite3_step(s) == SQLITE_ROW; }
  bool Done() { return s && sqlite3_step(s) == SQLITE_DONE; }
  int64_t Int(int col) { return sqlite3_column_int64(s, col); }
  std::string Text(int col) {
    const unsigned char* t = sqlite3_column_text(s, col);
    return t ? std::string(reinterpret_cast<const char*>(t), (size_t)sqlite3_column_bytes(s, col)) : "";
  }
};

bool Exec(sqlite3* db, const char* sql, std::string* why) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) == SQLITE_OK) return true;
  if (why) *why = err ? err : "unknown error";
  sqlite3_free(err);
  return false;
}

// Applies the migrations the file has not had yet, each in its own transaction.
bool Migrate(sqlite3* db, std::string* why) {
  if (!Exec(db, "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", why)) return false;
  int version = 0;
  {
    Statement q(db, "SELECT MAX(version) FROM schema_version");
    if (q.Step()) version = (int)q.Int(0);
  }
  if (version > kSchemaVersion) {
    if (why) *why = "the file's schema is version " + std::to_string(version) + ", newer than this board's " +
                    std::to_string(kSchemaVersion);
    return false;
  }
  for (int v = version; v < kSchemaVersion; v++) {
    if (!Exec(db, "BEGIN IMMEDIATE", why)) return false;
    Statement mark(db, "INSERT INTO schema_version (version) VALUES (?)");
    sqlite3_bind_int(mark.s, 1, v + 1);
    bool ok = true;
    for (const std::string& sql : kMigrations[v]) ok = ok && Exec(db, sql.c_str(), why);
    if (!ok || !mark.Done()) {
      Exec(db, "ROLLBACK", nullptr);
      if (why && why->empty()) *why = sqlite3_errmsg(db);
      return false;
    }
    if (!Exec(db, "COMMIT", why)) return false;
  }
  return true;
}

sqlite3* Db(void* handle) { return static_cast<sqlite3*>(handle); }

bool Open(const std::string& path, void** handle, std::string* why) {
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    if (why) *why = "cannot open \"" + path + "\": " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return false;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (!Exec(db, "PRAGMA journal_mode = WAL", why) || !Migrate(db, why)) {
    sqlite3_close(db);
    return false;
  }
  *handle = db;
  return true;
}

void Close(void* handle) { sqlite3_close(Db(handle)); }

bool AddGame(void* handle, const std::string& name, const std::vector<uint8_t>& bytes, const std::string& digest,
             int64_t score, int64_t clock, int64_t now, int64_t* id, bool* existed, std::string* why) {
  Statement add(Db(handle),
                "INSERT INTO games (name, digest, bytes, claimed_score, claimed_clock, submitted) "
                "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT(digest) DO NOTHING");
  sqlite3_bind_text(add.s, 1, name.data(), (int)name.size(), SQLITE_TRANSIENT);
  sqlite3_bind_text(add.s, 2, digest.data(), (int)digest.size(), SQLITE_TRANSIENT);
  sqlite3_bind_blob64(add.s, 3, bytes.data(), bytes.size(), SQLITE_STATIC);
  sqlite3_bind_int64(add.s, 4, score);
  sqlite3_bind_int64(add.s, 5, clock);
  sqlite3_bind_int64(add.s, 6, now);
  if (!add.Done()) {
    if (why) *why = sqlite3_errmsg(Db(handle));
    return false;
  }
  *existed = sqlite3_changes(Db(handle)) == 0;
  Statement find(Db(handle), "SELECT id FROM games WHERE digest = ?");
  sqlite3_bind_text(find.s, 1, digest.data(), (int)digest.size(), SQLITE_TRANSIENT);
  if (!find.Step()) {
    if (why) *why = sqlite3_errmsg(Db(handle));
    return false;
  }
  *id = find.Int(0);
  return true;
}

bool FindGame(void* handle, int64_t id, GameRow& out) {
  Statement q(Db(handle), (std::string("SELECT ") + kGameColumns + " FROM games WHERE id = ?").c_str());
  sqlite3_bind_int64(q.s, 1, id);
  if (!q.Step()) return false;
  out = GameRowOf(q);
  return true;
}

bool GameBytes(void* handle, int64_t id, std::vector<uint8_t>& out) {
  Statement q(Db(handle), "SELECT bytes FROM games WHERE id = ?");
  sqlite3_bind_int64(q.s, 1, id);
  if (!q.Step()) return false;
  const uint8_t* b = static_cast<const uint8_t*>(sqlite3_column_blob(q.s, 0));
  out.assign(b, b + sqlite3_column_bytes(q.s, 0));
  return true;
}

std::vector<GameRow> TopGames(void* handle, int limit) {
  Statement q(Db(handle), (std::string("SELECT ") + kGameColumns +
                         " FROM games WHERE status = 'verified' ORDER BY score DESC, id LIMIT ?")
                            .c_str());
  sqlite3_bind_int(q.s, 1, limit);
  std::vector<GameRow> rows;
  while (q.Step()) rows.push_back(GameRowOf(q));
  return rows;
}

bool ClaimJob(void* handle, int64_t now, int64_t lease, Job& out) {
  // One statement claims, so two verifiers never take the same game.
  Statement q(Db(handle),
              "UPDATE games SET claimed_until = ? WHERE id = (SELECT id FROM games WHERE status = 'pending' "
              "AND claimed_until <= ? ORDER BY id LIMIT 1) RETURNING id, claimed_score, claimed_clock, bytes");
  sqlite3_bind_int64(q.s, 1, now + lease);
  sqlite3_bind_int64(q.s, 2, now);
  if (!q.Step()) return false;
  out.id = q.Int(0);
  out.score = q.Int(1);
  out.clock = q.Int(2);
  const uint8_t* b = static_cast<const uint8_t*>(sqlite3_column_blob(q.s, 3));
  out.bytes.assign(b, b + sqlite3_column_bytes(q.s, 3));
  return true;
}

int64_t PendingGames(void* handle) {
  Statement q(Db(handle), "SELECT COUNT(*) FROM games WHERE status = 'pending'");
  return q.Step() ? q.Int(0) : 0;
}

void FinishJob(void* handle, int64_t id, GameStatus status, const std::string& reason, int64_t score, int64_t clock) {
  Statement q(Db(handle),
              "UPDATE games SET status = ?, reason = ?, score = ?, clock = ?, claimed_until = 0 WHERE id = ?");
  const char* s = GameStatusName(status);
  sqlite3_bind_text(q.s, 1, s, -1, SQLITE_STATIC);
  sqlite3_bind_text(q.s, 2, reason.data(), (int)reason.size(), SQLITE_TRANSIENT);
  sqlite3_bind_int64(q.s, 3, score);
  sqlite3_bind_int64(q.s, 4, clock);
  sqlite3_bind_int64(q.s, 5, id);
  q.Done();
}

}  // namespace

const StoreBackEnd kSqliteStore = {Open,     Close,    AddGame,      FindGame, GameBytes,
                                   TopGames, ClaimJob, PendingGames, FinishJob};
