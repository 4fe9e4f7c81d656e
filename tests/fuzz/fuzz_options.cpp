// Fuzz target: the command line. The input is split at zero bytes into
// arguments; parsing never fails other than with a message, what it
// accepts is within range, and looking for the media folder it names never
// throws.
#include <vector>

#include "app/options.h"
#include "app/submit.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args{"pulsefield"};
  std::string cur;
  for (size_t i = 0; i < size && args.size() < 64; i++) {
    if (data[i] == 0) {
      args.push_back(cur);
      cur.clear();
    } else {
      cur.push_back((char)data[i]);
    }
  }
  if (!cur.empty() && args.size() < 64) args.push_back(cur);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  StartOptions o = ParseOptions((int)args.size(), argv.data());
  if (!o.error.empty()) return 0;
  FUZZ_CHECK(o.ticks >= -1 && o.ticks <= 2147483647);
  FUZZ_CHECK(o.ticks < 0 || o.headless);
  FUZZ_CHECK(o.submit.empty() ? o.board.empty() : BoardUrlAllowed(o.board, nullptr));
  FUZZ_CHECK(o.submitwait >= 0 && o.submitwait <= 3600);
  FUZZ_CHECK(o.screenoverride == -1 || o.screenoverride == 0 || o.screenoverride == 32);
  std::string why;
  std::string dir = FindDataDir(o.datadir, "/nonexistent/pulsefield-program", "/nonexistent/pulsefield-data", &why);
  if (dir.empty()) FUZZ_CHECK(!why.empty());
  else {
    std::error_code ec;
    FUZZ_CHECK(std::filesystem::is_directory(dir, ec));
  }
  return 0;
}
