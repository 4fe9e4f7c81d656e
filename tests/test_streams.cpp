// Byte streams: the settings and high-score files depend on exact bytes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>

#include "platform/clock.h"
#include "platform/files.h"
#include "tests/run_helpers.h"

namespace {
// A path in this run's own scratch folder, removed when the tests end.
std::string TempPath(const std::string& name) {
  static ScratchDir dir("streams");
  return (dir / name).string();
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
  EXPECT_EQ(ReadBytes(p), (std::vector<uint8_t>{0, 0, 128, 63, 44, 255, 0, 0, 0, 63, 13, 10, 'H', 'i', 13, 10}));
  std::remove(p.c_str());
}

TEST(Streams, ReadLineAndReadingPastTheEnd) {
  std::string p = TempPath("read.bin");
  WriteBytes(p, {65, 13, 66, 10, 67});
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
  WriteBytes(p, {1, 2, 3});
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
  WriteBytes(missing, {9, 8, 7});
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
  WriteBytes(p, {'o', 'l', 'd'});
  std::string why;
  EXPECT_FALSE(SaveFileAtomically(p, FailingWriter, nullptr, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(ReadBytes(p), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_FALSE(std::filesystem::exists(p + ".tmp"));
  EXPECT_TRUE(SaveFileAtomically(p, GoodWriter, nullptr, &why));
  EXPECT_EQ(ReadBytes(p), (std::vector<uint8_t>{'n', 'e', 'w', 13, 10}));
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

namespace {
namespace fs = std::filesystem;

// The names in a folder.
std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs f, failing the test instead of hanging when it takes over 10 s (a
// read that waits on a FIFO); the FIFO is opened for writing to let it go.
template <typename F>
void WithinTenSeconds(F f, const fs::path& fifo) {
  auto done = std::async(std::launch::async, f);
  if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return done.get();
  ADD_FAILURE() << "still waiting on " << fifo;
  int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  done.wait();
  if (fd >= 0) close(fd);
}
}  // namespace

TEST(Streams, ReadingOpensOnlyRegularFilesAndNeverWaitsOnAFifo) {
  ScratchDir dir("streams_kinds");
  fs::path fifo = dir / "fifo", folder = dir / "folder", file = dir / "file";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  fs::create_directory(folder);
  WriteBytes(file.string(), {1, 2});
  FileStatus status = FileStatus::Opened;
  std::string why;
  WithinTenSeconds([&] { EXPECT_EQ(OpenReadStream(fifo.string(), &status, &why), nullptr); }, fifo);
  EXPECT_EQ(status, FileStatus::Unreadable);
  EXPECT_EQ(why, "it is not a regular file");
  WithinTenSeconds([&] { EXPECT_EQ(OpenStream(fifo.string(), true, false), nullptr); }, fifo);
  WithinTenSeconds([&] { EXPECT_EQ(LoadBank(fifo.string()), nullptr); }, fifo);
  std::vector<uint8_t> bytes;
  WithinTenSeconds([&] { EXPECT_FALSE(ReadFileBytes(fifo.string(), 100, bytes, nullptr, nullptr)); }, fifo);

  EXPECT_EQ(OpenReadStream(folder.string(), &status, &why), nullptr);
  EXPECT_EQ(status, FileStatus::Unreadable);
  EXPECT_EQ(why, "it is a folder");
  EXPECT_EQ(OpenReadStream((dir / "absent").string(), &status, &why), nullptr);
  EXPECT_EQ(status, FileStatus::Missing);
  EXPECT_EQ(OpenReadStream((dir / "file" / "below").string(), &status, &why), nullptr);
  EXPECT_EQ(status, FileStatus::Unreadable);  // a name that cannot be a file is not "missing"

  // A link to a regular file reads as the file; a link to a device does not.
  fs::create_symlink(file, dir / "link");
  TStream* s = OpenReadStream((dir / "link").string(), &status, &why);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(status, FileStatus::Opened);
  EXPECT_EQ(ReadByte(s), 1);
  CloseStream(s);
  fs::create_symlink("/dev/zero", dir / "zeros");
  EXPECT_EQ(OpenReadStream((dir / "zeros").string(), &status, &why), nullptr);
  EXPECT_EQ(status, FileStatus::Unreadable);

  if (geteuid() != 0) {  // permissions do not stop root
    fs::permissions(file, fs::perms::none);
    EXPECT_EQ(OpenReadStream(file.string(), &status, &why), nullptr);
    EXPECT_EQ(status, FileStatus::Unreadable);
  }
}

TEST(Streams, BanksAndWholeFilesAreReadOnlyUpToTheirBound) {
  ScratchDir dir("streams_bounds");
  std::string big = (dir / "big").string();
  std::vector<uint8_t> b(5000);
  for (size_t i = 0; i < b.size(); i++) b[i] = (uint8_t)i;
  WriteBytes(big, b);
  TBank* bank = LoadBank(big, 1700);
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(bank->Size(), 1700);
  EXPECT_EQ(PeekByte(bank, 1699), 1699 % 256);
  delete bank;
  std::string why;
  EXPECT_EQ(LoadBank("/dev/zero", 1700, &why), nullptr);
  EXPECT_EQ(why, "it is not a regular file");

  std::vector<uint8_t> out;
  FileStatus status;
  EXPECT_TRUE(ReadFileBytes(big, 5000, out, &status, &why));
  EXPECT_EQ(out, b);
  EXPECT_FALSE(ReadFileBytes(big, 4999, out, &status, &why));
  EXPECT_EQ(status, FileStatus::Unreadable);
  EXPECT_NE(why.find("larger than 4999 bytes"), std::string::npos) << why;
  EXPECT_TRUE(out.empty());
}

TEST(Streams, ReadLineKeepsOnlyItsBoundAndReadsPastTheRest) {
  std::string p = TempPath("longline.bin");
  std::vector<uint8_t> b(10000, 'N');
  b.push_back(10);
  b.push_back(42);
  WriteBytes(p, b);
  TStream* s = OpenStream(p, true, false);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(ReadLine(s, 496), std::string(496, 'N'));
  EXPECT_EQ(ReadByte(s), 42);  // the next field still lines up
  CloseStream(s);
  std::remove(p.c_str());
}

TEST(Streams, SavesCreateTheirTemporaryFileAfreshNeverThroughALinkAndLeaveNoneBehind) {
  ScratchDir dir("streams_tmp");
  std::string p = (dir / "config.dat").string();
  WriteBytes(p, {'o', 'l', 'd'});
  // The old fixed temporary name, taken by a link to someone else's file
  // and by a folder: neither is written through or in the way.
  std::string victim = (dir / "victim").string();
  WriteBytes(victim, {'v'});
  fs::create_symlink(victim, p + ".tmp");
  std::string why;
  ASSERT_TRUE(SaveFileAtomically(p, GoodWriter, nullptr, &why)) << why;
  EXPECT_EQ(ReadBytes(p), (std::vector<uint8_t>{'n', 'e', 'w', 13, 10}));
  EXPECT_EQ(ReadBytes(victim), (std::vector<uint8_t>{'v'}));
  EXPECT_TRUE(fs::is_symlink(p + ".tmp"));
  fs::remove(p + ".tmp");
  fs::create_directory(p + ".tmp");
  EXPECT_TRUE(SaveFileAtomically(p, GoodWriter, nullptr, &why)) << why;
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"config.dat", "config.dat.tmp", "victim"}));

  // A failed write leaves the old file and nothing else.
  WriteBytes(p, {'o', 'l', 'd'});
  EXPECT_FALSE(SaveFileAtomically(p, FailingWriter, nullptr, &why));
  EXPECT_EQ(ReadBytes(p), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"config.dat", "config.dat.tmp", "victim"}));

  // When no temporary file can be made the reason names the folder, not the file.
  EXPECT_FALSE(SaveFileAtomically((dir / "absent" / "x.dat").string(), GoodWriter, nullptr, &why));
  EXPECT_NE(why.find("temporary file in \"" + (dir / "absent").string() + "\""), std::string::npos) << why;
  // A folder where the file should be is refused as such and left alone.
  fs::create_directory(dir / "folder.dat");
  EXPECT_FALSE(SaveFileAtomically((dir / "folder.dat").string(), GoodWriter, nullptr, &why));
  EXPECT_EQ(why, "it is a folder");
  EXPECT_TRUE(fs::is_empty(dir / "folder.dat"));
}

TEST(Streams, SavesKeepTheFilesPermissionsAndWriteThroughSymbolicLinks) {
  ScratchDir dir("streams_links");
  std::string why;
  std::string plain = (dir / "plain.dat").string();
  WriteBytes(plain, {'o'});
  for (fs::perms mode : {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                         fs::perms::owner_read | fs::perms::owner_write}) {
    fs::permissions(plain, mode);
    ASSERT_TRUE(SaveFileAtomically(plain, GoodWriter, nullptr, &why)) << why;
    EXPECT_EQ(fs::status(plain).permissions(), mode);
  }

  // A relative link into another folder: the file there is replaced, the
  // link stays a link.
  fs::create_directory(dir / "real");
  WriteBytes((dir / "real" / "target.dat").string(), {'o'});
  fs::permissions(dir / "real" / "target.dat", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real/target.dat", dir / "link.dat");
  ASSERT_TRUE(SaveFileAtomically((dir / "link.dat").string(), GoodWriter, nullptr, &why)) << why;
  EXPECT_TRUE(fs::is_symlink(dir / "link.dat"));
  EXPECT_EQ(ReadBytes((dir / "real" / "target.dat").string()), (std::vector<uint8_t>{'n', 'e', 'w', 13, 10}));
  EXPECT_EQ(fs::status(dir / "real" / "target.dat").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Names(dir / "real"), (std::vector<std::string>{"target.dat"}));

  // A link to a file not made yet makes it; a loop of links is refused.
  fs::create_symlink("real/later.dat", dir / "dangling.dat");
  ASSERT_TRUE(SaveFileAtomically((dir / "dangling.dat").string(), GoodWriter, nullptr, &why)) << why;
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.dat"));
  EXPECT_TRUE(fs::is_regular_file(dir / "real" / "later.dat"));
  fs::create_symlink("loop2.dat", dir / "loop1.dat");
  fs::create_symlink("loop1.dat", dir / "loop2.dat");
  EXPECT_FALSE(SaveFileAtomically((dir / "loop1.dat").string(), GoodWriter, nullptr, &why));
  EXPECT_NE(why.find("symbolic link"), std::string::npos) << why;
  EXPECT_TRUE(fs::is_symlink(dir / "loop1.dat"));
}

// A killed save leaves its temporary file behind. At start-up the game
// removes those of its own saves that are over a minute old: exactly the
// names a save makes for the targets asked about, regular files only, and
// nothing else in the folder.
namespace {
std::string tmpseen;  // the temporary name a save was writing, seen from inside it
void PeekingWriter(TStream* s, void*) {
  tmpseen = fs::path(s->path).filename().string();
  WriteByte(s, 'x');
}
bool SettingsOrScores(const std::string& target) { return target == "config.dat" || target == "highscore.dat"; }
}  // namespace

TEST(Streams, OnlyOurOwnStaleTemporaryFilesAreRemoved) {
  ScratchDir dir("streams_stale");
  std::string why, target;
  ASSERT_TRUE(SaveFileAtomically((dir / "highscore.dat").string(), PeekingWriter, nullptr, &why)) << why;
  ASSERT_TRUE(TemporaryFileTarget(tmpseen, &target)) << tmpseen;  // the shape a real save gives
  EXPECT_EQ(target, "highscore.dat");

  auto make = [&](const std::string& name, bool stale) {
    WriteBytes(dir / name, {'t'});
    if (stale) fs::last_write_time(dir / name, fs::file_time_type::clock::now() - std::chrono::minutes(2));
  };
  make("config.dat", true);
  make(tmpseen, true);                // a killed save's leftover
  make("config.dat.tmp-0a1b2c", true);
  make("config.dat.tmp-zzzzzz", false);  // a save still going on
  for (const char* other : {"other.dat.tmp-0a1b2c", "config.dat.tmp-0A1B2C", "config.dat.tmp-0a1b2",
                            "config.dat.tmp-0a1b2cd", "config.dat.tmp-0a1b2c.png", "config.dat.tmp0a1b2c",
                            ".tmp-0a1b2c"})
    make(other, true);
  fs::create_directory(dir / "config.dat.tmp-folder");
  make("victim", true);
  fs::create_symlink(dir / "victim", dir / "config.dat.tmp-linked");
  EXPECT_EQ(RemoveStaleTemporaries(dir.string(), SettingsOrScores, 60), 2);
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{".tmp-0a1b2c", "config.dat", "config.dat.tmp-0A1B2C", "config.dat.tmp-0a1b2",
                                      "config.dat.tmp-0a1b2c.png", "config.dat.tmp-0a1b2cd", "config.dat.tmp-folder",
                                      "config.dat.tmp-linked", "config.dat.tmp-zzzzzz", "config.dat.tmp0a1b2c",
                                      "highscore.dat", "other.dat.tmp-0a1b2c", "victim"}));
  EXPECT_EQ(RemoveStaleTemporaries((dir / "absent").string(), SettingsOrScores, 60), 0);
}
