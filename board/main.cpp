// pulsefield-board: the shared score board's server and its verifier.
#include <charconv>
#include <cstdio>
#include <string>

#include "board/server.h"
#include "board/store.h"
#include "board/verifier.h"

namespace {

constexpr int kMaxPort = 65535;
constexpr int64_t kMaxSeconds = 7 * 24 * 3600;  // a week: longer is surely a typing slip

const char* const kUsage =
    "Usage: pulsefield-board serve --db FILE --port N [--listen ADDR]\n"
    "       pulsefield-board verify --db FILE [--once] [--lease-seconds N] [--cpu-seconds N] [--datadir DIR]\n"
    "  --db     an SQLite file, or a postgresql:// address for a PostgreSQL database\n"
    "  serve   takes replays over HTTP on ADDR (127.0.0.1) port N (0: any free port, printed)\n"
    "  verify  plays pending replays headless and marks each verified or refused;\n"
    "          --once stops when none is left\n";

// A plain whole number within lo..hi; false for anything else.
bool ParseWhole(const std::string& s, int64_t lo, int64_t hi, int64_t* out) {
  int64_t v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return false;
  *out = v;
  return true;
}

int Usage(const std::string& why) {
  std::fprintf(stderr, "pulsefield-board: %s\n%s", why.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage("serve or verify?");
  std::string command = argv[1];
  if (command != "serve" && command != "verify") return Usage("unknown command \"" + command + "\"");
  ServerOptions serve;
  VerifierOptions verify;
  verify.leaseseconds = kDefaultLeaseSeconds;
  verify.cpuseconds = kDefaultCpuSeconds;
  bool hasport = false;
  for (int i = 2; i < argc; i++) {
    std::string a = argv[i];
    bool hasvalue = i + 1 < argc;
    std::string value = hasvalue ? argv[i + 1] : "";
    int64_t n = 0;
    if (a == "--once" && command == "verify") {
      verify.once = true;
      continue;
    }
    if (!hasvalue || value.empty()) return Usage(a + " needs a value");
    i++;
    if (a == "--db") {
      serve.db = verify.db = value;
    } else if (a == "--port" && command == "serve" && ParseWhole(value, 0, kMaxPort, &n)) {
      serve.port = (int)n;
      hasport = true;
    } else if (a == "--listen" && command == "serve") {
      serve.listen = value;
    } else if (a == "--lease-seconds" && command == "verify" && ParseWhole(value, 1, kMaxSeconds, &n)) {
      verify.leaseseconds = n;
    } else if (a == "--cpu-seconds" && command == "verify" && ParseWhole(value, 1, kMaxSeconds, &n)) {
      verify.cpuseconds = n;
    } else if (a == "--datadir" && command == "verify") {
      verify.datadir = value;
    } else {
      return Usage("cannot take " + a + " " + value);
    }
  }
  if (serve.db.empty()) return Usage("--db FILE is needed");
  std::string why;
  if (!StoreAddressUsable(serve.db, &why)) {
    std::fprintf(stderr, "pulsefield-board: %s\n", why.c_str());
    return 2;
  }
  if (command == "serve") {
    if (!hasport) return Usage("--port N is needed");
    return RunServer(serve);
  }
  return RunVerifier(verify);
}
