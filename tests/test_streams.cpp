// Byte streams: the settings and high-score files depend on exact bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/clock.h"
#include "platform/files.h"
#include "tests/run_helpers.h"

namespace {
// A path in this run's own scratch folder, removed when the tests end.
std::string TempPath(const std::string& name) {
  static ScratchDir dir("streams");
  return (dir / name).string();
}
std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}
void Write(const std::string& path, const std::vector<uint8_t>& b) {
  std::ofstream f(path, std::ios::binary);
  f.write((const char*)b.data(), b.size());
}
}  // namespace

TEST(Streams, WritesExactBytes) {
  std::string p = TempPath("write.bin");
  TStream* s = OpenStream(p, false, true);
  ASSERT_NE(s, nullptr);
  WriteFloat(s, 1.0f);
  WriteByte(s, 300);
  WriteByte(s, -1);
  WriteFloat(s, 0.5f);
  WriteLine(s, "");
  WriteLine(s, "Hi");
  ASSERT_TRUE(CloseStream(s));
  EXPECT_EQ(Bytes(p), (std::vector<uint8_t>{0, 0, 128, 63, 44, 255, 0, 0, 0, 63, 13, 10, 'H', 'i', 13, 10}));
  std::remove(p.c_str());
}

TEST(Streams, ReadLineAndReadingPastTheEnd) {
  std::string p = TempPath("read.bin");
  Write(p, {65, 13, 66, 10, 67});
  TStream* s = OpenStream(p, true, false);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(ReadLine(s), "AB");
  EXPECT_EQ(ReadByte(s), 67);
  EXPECT_EQ(ReadLine(s), "");
  try {
    ReadByte(s);
    FAIL() << "reading past the end must raise";
  } catch (const StreamError& e) {
    EXPECT_STREQ(e.what(), "Error reading from stream");
  }
  CloseStream(s);
  Write(p, {1, 2, 3});
  s = OpenStream(p, true, false);
  EXPECT_THROW(ReadFloat(s), StreamError);
  CloseStream(s);
  std::remove(p.c_str());
}

TEST(Streams, PathsOpeningAndBanks) {
  EXPECT_EQ(FixPath("data\\misc\\BGmap.bnk"), "data/misc/BGmap.bnk");
  std::string missing = TempPath("missing.bin");
  std::remove(missing.c_str());
  EXPECT_EQ(OpenStream(missing, true, false), nullptr);
  EXPECT_EQ(OpenStream(missing, true, true), nullptr);
  TStream* s = OpenStream(missing, false, true);
  ASSERT_NE(s, nullptr);  // opening for writing creates it
  CloseStream(s);
  EXPECT_TRUE(std::filesystem::exists(missing));
  Write(missing, {9, 8, 7});
  TBank* b = LoadBank(missing);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Size(), 3);
  EXPECT_EQ(PeekByte(b, 1), 8);
  delete b;
  std::remove(missing.c_str());
  EXPECT_EQ(LoadBank(missing), nullptr);
}

// A writer that fails halfway, like a full disk.
static void FailingWriter(TStream* s, void*) {
  WriteByte(s, 1);
  throw StreamError("Error writing to stream");
}
static void GoodWriter(TStream* s, void*) { WriteLine(s, "new"); }

TEST(Streams, AtomicSaveKeepsTheOldFileOnFailure) {
  std::string p = TempPath("atomic.dat");
  Write(p, {'o', 'l', 'd'});
  std::string why;
  EXPECT_FALSE(SaveFileAtomically(p, FailingWriter, nullptr, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(Bytes(p), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_FALSE(std::filesystem::exists(p + ".tmp"));
  EXPECT_TRUE(SaveFileAtomically(p, GoodWriter, nullptr, &why));
  EXPECT_EQ(Bytes(p), (std::vector<uint8_t>{'n', 'e', 'w', 13, 10}));
  EXPECT_FALSE(SaveFileAtomically("/nonexistent-dir/x.dat", GoodWriter, nullptr, &why));
  std::remove(p.c_str());
}

TEST(Clock, HeadlessClockWrapsIn32Bits) {
  UseHeadlessClock(true);
  HeadlessSetClock(0xfffffff0u);
  int a = ClockMs();
  HeadlessAdvanceClock(40);
  int b = ClockMs();
  EXPECT_EQ((int)((uint32_t)b - (uint32_t)a), 40);
  UseHeadlessClock(false);
}
