// What each storage back end provides: the store's calls on its own connection.
#pragma once
#include "board/store.h"

struct StoreBackEnd {
  bool (*open)(const std::string& address, void** handle, std::string* why);
  void (*close)(void* handle);
  bool (*add_game)(void* handle, const std::string& name, const std::vector<uint8_t>& bytes,
                   const std::string& digest, int64_t score, int64_t clock, int64_t now, int64_t* id, bool* existed,
                   std::string* why);
  bool (*find_game)(void* handle, int64_t id, GameRow& out);
  bool (*game_bytes)(void* handle, int64_t id, std::vector<uint8_t>& out);
  std::vector<GameRow> (*top_games)(void* handle, int limit);
  bool (*claim_job)(void* handle, int64_t now, int64_t lease, Job& out);
  int64_t (*pending_games)(void* handle);
  void (*finish_job)(void* handle, int64_t id, GameStatus status, const std::string& reason, int64_t score,
                     int64_t clock);
};

extern const StoreBackEnd kSqliteStore;
#ifdef PULSEFIELD_BOARD_POSTGRES
extern const StoreBackEnd kPostgresStore;
#endif

// The status a stored name stands for (pending for anything else).
GameStatus GameStatusOf(const std::string& text);

// The columns a game's row is read from: score and clock as played once
// verified, else as claimed.
inline constexpr const char* kGameColumns =
    "id, name, CASE WHEN status = 'verified' THEN score ELSE claimed_score END, "
    "CASE WHEN status = 'verified' THEN clock ELSE claimed_clock END, status, reason, submitted";

// A game's row from a query's kGameColumns, read through q.Int(column) and q.Text(column).
template <typename Query>
GameRow GameRowOf(Query& q) {
  GameRow r;
  r.id = q.Int(0);
  r.name = q.Text(1);
  r.score = q.Int(2);
  r.clock = q.Int(3);
  r.status = GameStatusOf(q.Text(4));
  r.reason = q.Text(5);
  r.submitted = q.Int(6);
  return r;
}

// What each database calls the schema's column types.
struct SchemaTypes {
  const char* key;      // the id, numbered by the database
  const char* integer;  // 64 bits
  const char* bytes;
};
// The statements that make schema version 1: the games table and its indexes.
std::vector<std::string> FirstSchema(const SchemaTypes& types);
