// The board's storage: every submitted replay, its claims and its verdict,
// in an SQLite file or a PostgreSQL database chosen by the address.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct StoreBackEnd;

// An open store: its back end and that back end's connection.
struct Store {
  const StoreBackEnd* backend = nullptr;
  void* handle = nullptr;
};

enum class GameStatus { Pending, Verified, Refused };
const char* GameStatusName(GameStatus s);

// One submitted game as the board shows it: score and clock as the file
// claims until it is verified.
struct GameRow {
  int64_t id = 0;
  std::string name;
  int64_t score = 0, clock = 0;
  GameStatus status = GameStatus::Pending;
  std::string reason;
  int64_t submitted = 0;  // seconds since 1970
};

// A pending game handed to a verifier.
struct Job {
  int64_t id = 0;
  int64_t score = 0, clock = 0;  // what the file claims
  std::vector<uint8_t> bytes;
};

// True when the address names a PostgreSQL database (postgresql:// or postgres://).
bool IsPostgresAddress(const std::string& address);
// False with *why when this build cannot open such an address (no PostgreSQL in it).
bool StoreAddressUsable(const std::string& address, std::string* why);
// Opens (creating or bringing its schema up to date) the board's file or
// database; false with *why.
bool OpenStore(const std::string& path, Store& store, std::string* why);
void CloseStore(Store& store);

// Keeps a new replay as pending; when the same bytes are already kept, *id
// is that entry's and *existed is set. False with *why on a storage error.
bool AddGame(Store& store, const std::string& name, const std::vector<uint8_t>& bytes, const std::string& digest,
             int64_t score, int64_t clock, int64_t now, int64_t* id, bool* existed, std::string* why);
bool FindGame(Store& store, int64_t id, GameRow& out);
bool GameBytes(Store& store, int64_t id, std::vector<uint8_t>& out);
// The verified games, best score first (the earlier of equal scores first).
std::vector<GameRow> TopGames(Store& store, int limit);

// Claims the oldest pending game no live lease holds, for lease seconds from
// now; false when there is none.
bool ClaimJob(Store& store, int64_t now, int64_t lease, Job& out);
// Pending games, leased or not: a verifier run with --once waits for these.
int64_t PendingGames(Store& store);
// Records a verdict: verified with the score and clock played, or refused with the reason.
void FinishJob(Store& store, int64_t id, GameStatus status, const std::string& reason, int64_t score, int64_t clock);
