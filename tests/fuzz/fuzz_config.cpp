// Fuzz target: "config.dat" as the game reads it at start-up. Whatever the
// bytes, loading never fails, the name stays within its bound, and the file
// saved afterwards loads back to exactly the same settings.
#include <fstream>
#include <iterator>
#include <vector>

#include "services/config.h"
#include "tests/fuzz/fuzz_support.h"

static std::vector<uint8_t> SavedBytes() {
  std::ifstream f("config.dat", std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool inside = [] {
    std::filesystem::current_path(FuzzScratch("config"));
    return true;
  }();
  (void)inside;
  WriteInputFile("config.dat", data, size);
  LoadConfig();
  FUZZ_CHECK(lastname.size() <= 496);
  FUZZ_CHECK(lastname.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
  FUZZ_CHECK(SaveConfig());
  std::vector<uint8_t> first = SavedBytes();
  FUZZ_CHECK(first.size() == 72 + lastname.size());
  LoadConfig();
  FUZZ_CHECK(SaveConfig());
  FUZZ_CHECK(SavedBytes() == first);
  return 0;
}
