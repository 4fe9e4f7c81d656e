// Shared by the fuzz targets: a scratch folder of their own (in memory when
// the machine has /dev/shm, so that the many small files cost little) and
// writing an input there as a file.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// A new folder for this run, removed when the run ends normally.
inline const std::string& FuzzScratch(const char* name) {
  static std::string dir;
  if (dir.empty()) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path(ec);
    std::string pattern = (base / (std::string("pf_fuzz_") + name + "_XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    dir = pattern;
    std::atexit([] {
      std::error_code e;
      std::filesystem::remove_all(dir, e);
    });
  }
  return dir;
}

// Writes the bytes as the whole file; aborts when it cannot (the machine's
// fault, not the input's).
inline void WriteInputFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
}

// Stops the run with a message: libFuzzer reports it as a finding.
#define FUZZ_CHECK(cond)                                                        \
  do {                                                                          \
    if (!(cond)) {                                                              \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                             \
    }                                                                           \
  } while (0)
