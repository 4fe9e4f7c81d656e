// The board's storage calls, handed to the back end the address chose.
#include "board/store.h"

#include <string_view>

#include "board/store_backend.h"

namespace {

constexpr std::string_view kPostgresSchemes[] = {"postgresql://", "postgres://"};

}  // namespace

const char* GameStatusName(GameStatus s) {
  switch (s) {
    case GameStatus::Verified: return "verified";
    case GameStatus::Refused: return "refused";
    default: return "pending";
  }
}

GameStatus GameStatusOf(const std::string& text) {
  if (text == "verified") return GameStatus::Verified;
  if (text == "refused") return GameStatus::Refused;
  return GameStatus::Pending;
}

std::vector<std::string> FirstSchema(const SchemaTypes& t) {
  std::string n = t.integer;
  return {"CREATE TABLE games (id " + std::string(t.key) + ", name TEXT NOT NULL, digest TEXT NOT NULL UNIQUE, bytes " +
              t.bytes + " NOT NULL, claimed_score " + n + " NOT NULL, claimed_clock " + n + " NOT NULL, score " + n +
              ", clock " + n + ", status TEXT NOT NULL DEFAULT 'pending', reason TEXT NOT NULL DEFAULT '', submitted " +
              n + " NOT NULL, claimed_until " + n + " NOT NULL DEFAULT 0)",
          "CREATE INDEX games_pending ON games(status, claimed_until)",
          "CREATE INDEX games_top ON games(status, score DESC, id)"};
}

bool IsPostgresAddress(const std::string& address) {
  for (std::string_view scheme : kPostgresSchemes)
    if (address.starts_with(scheme)) return true;
  return false;
}

bool StoreAddressUsable(const std::string& address, std::string* why) {
#ifdef PULSEFIELD_BOARD_POSTGRES
  (void)address;
  (void)why;
  return true;
#else
  if (!IsPostgresAddress(address)) return true;
  if (why) *why = "postgresql:// addresses are not available: this board was built without libpq (libpq-dev)";
  return false;
#endif
}

bool OpenStore(const std::string& address, Store& store, std::string* why) {
  if (!StoreAddressUsable(address, why)) return false;
  const StoreBackEnd* backend = &kSqliteStore;
#ifdef PULSEFIELD_BOARD_POSTGRES
  if (IsPostgresAddress(address)) backend = &kPostgresStore;
#endif
  void* handle = nullptr;
  if (!backend->open(address, &handle, why)) return false;
  store.backend = backend;
  store.handle = handle;
  return true;
}

void CloseStore(Store& store) {
  if (store.backend) store.backend->close(store.handle);
  store = Store();
}

bool AddGame(Store& store, const std::string& name, const std::vector<uint8_t>& bytes, const std::string& digest,
             int64_t score, int64_t clock, int64_t now, int64_t* id, bool* existed, std::string* why) {
  return store.backend->add_game(store.handle, name, bytes, digest, score, clock, now, id, existed, why);
}

bool FindGame(Store& store, int64_t id, GameRow& out) { return store.backend->find_game(store.handle, id, out); }

bool GameBytes(Store& store, int64_t id, std::vector<uint8_t>& out) {
  return store.backend->game_bytes(store.handle, id, out);
}

std::vector<GameRow> TopGames(Store& store, int limit) { return store.backend->top_games(store.handle, limit); }

bool ClaimJob(Store& store, int64_t now, int64_t lease, Job& out) {
  return store.backend->claim_job(store.handle, now, lease, out);
}

int64_t PendingGames(Store& store) { return store.backend->pending_games(store.handle); }

void FinishJob(Store& store, int64_t id, GameStatus status, const std::string& reason, int64_t score, int64_t clock) {
  store.backend->finish_job(store.handle, id, status, reason, score, clock);
}
