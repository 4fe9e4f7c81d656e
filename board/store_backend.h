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
