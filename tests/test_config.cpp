// "config.dat": the exact bytes are the file format other runs rely on, and
// a damaged file must never crash the game or lose more than it must.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>

#include "services/config.h"
#include "services/random.h"
#include "tests/run_helpers.h"

namespace fs = std::filesystem;

namespace {
struct ConfigTest : InScratchDir {
  ConfigTest() : InScratchDir("config") {}
  static std::vector<uint8_t> Bytes() { return ReadBytes("config.dat"); }
  static void Write(const std::vector<uint8_t>& b) { WriteBytes("config.dat", b); }
  // The names in the test's folder.
  static std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(".")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};


const std::vector<uint8_t> kDefaultBytes = {
    0, 0, 65, 68, 87, 83, 100, 102, 104, 101, 32,  // screen, control, nine keys
    13, 10,                                        // empty name
    7, 8, 4, 2, 10, 7,                             // joyaxis 0..5
    0, 1,                                          // joyisbutton 4 and 5
    0, 0, 0, 0, 0, 0,                              // joyport 0..5
    0, 0, 128, 63, 0, 0, 128, 63, 0, 0, 128, 63,   // joyrange 0..2
    0, 0, 128, 63, 0, 0, 128, 63, 0, 0, 128, 63,   // joyrange 3..5
    0, 0, 0, 63,                                   // music 0.5
    0, 0, 128, 63,                                 // effects 1.0
    1, 2, 1, 2, 1,                                 // driver, stars, hit score, explosions, grid
    3, 0, 2, 1,                                    // four-button fire
    0, 0, 0, 0};
}  // namespace

TEST_F(ConfigTest, DefaultsWithNoFileAndTheirExactBytes) {
  LoadConfig();
  EXPECT_EQ(screenmode, 0);
  EXPECT_EQ(graphicsdriver, 1);
  EXPECT_EQ(keyup, 87);
  EXPECT_EQ(keybomb, 32);
  EXPECT_EQ(joyrange[7], 1.0f);
  EXPECT_EQ(joyisbutton[5], 1);
  EXPECT_EQ(lastname, "");
  ASSERT_TRUE(SaveConfig());
  EXPECT_EQ(Bytes().size(), 72u);
  EXPECT_EQ(Bytes(), kDefaultBytes);
  EXPECT_FALSE(fs::exists("config.dat.tmp"));
}

TEST_F(ConfigTest, RoundTripKeepsEverySavedValue) {
  LoadConfig();
  screenmode = 32;
  controltype = 2;
  keyleft = 37;
  keyfiredown = 98;
  lastname = "ACE PILOT";
  for (int i = 0; i < 6; i++) {
    joyaxis[i] = i + 1;
    joyport[i] = 15 - i;
    joyrange[i] = 0.25f * (i + 1);
  }
  joyisbutton[4] = 1;
  joyisbutton[5] = 0;
  joyaxis[6] = 9;  // elements 6 and 7 are never saved
  musicvolume = 0.3f;
  fxvolume = 0.7f;
  graphicsdriver = 0;
  starsetting = 1;
  hitscoresetting = 0;
  explosionsetting = 1;
  gridsetting = 2;
  joyfirebutton[2] = 11;
  joyfireport[3] = 4;
  ASSERT_TRUE(SaveConfig());
  EXPECT_EQ(Bytes().size(), 72u + 9);
  LoadConfig();
  EXPECT_EQ(screenmode, 32);
  EXPECT_EQ(controltype, 2);
  EXPECT_EQ(keyleft, 37);
  EXPECT_EQ(keyfiredown, 98);
  EXPECT_EQ(lastname, "ACE PILOT");
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(joyaxis[i], i + 1);
    EXPECT_EQ(joyport[i], 15 - i);
    EXPECT_EQ(joyrange[i], 0.25f * (i + 1));
  }
  EXPECT_EQ(joyaxis[6], 0);
  EXPECT_EQ(joyisbutton[4], 1);
  EXPECT_EQ(joyisbutton[5], 0);
  EXPECT_EQ(musicvolume, 0.3f);
  EXPECT_EQ(fxvolume, 0.7f);
  EXPECT_EQ(graphicsdriver, 0);
  EXPECT_EQ(gridsetting, 2);
  EXPECT_EQ(joyfirebutton[2], 11);
  EXPECT_EQ(joyfireport[3], 4);
}

TEST_F(ConfigTest, ShortFileKeepsDefaultsForWhatIsMissing) {
  std::vector<uint8_t> b(kDefaultBytes.begin(), kDefaultBytes.begin() + 20);
  b[0] = 16;
  b[2] = 90;
  b[13] = 4;  // joyaxis 0
  Write(b);
  LoadConfig();
  EXPECT_EQ(screenmode, 16);
  EXPECT_EQ(keyleft, 90);
  EXPECT_EQ(joyaxis[0], 4);
  EXPECT_EQ(joyport[0], 0);
  EXPECT_EQ(musicvolume, 0.5f);
  EXPECT_EQ(gridsetting, 1);
  Write({});
  LoadConfig();
  EXPECT_EQ(keyleft, 65);
}

TEST_F(ConfigTest, RandomBytesNeverCrashAndSafeReadersHoldTheLine) {
  SeedRandom(2024);
  for (int round = 0; round < 50; round++) {
    std::vector<uint8_t> b(RandInt(0, 200));
    for (uint8_t& c : b) c = (uint8_t)RandInt(0, 255);
    Write(b);
    LoadConfig();
    EXPECT_GE(SafeIndex(controltype, 4), 0);
    EXPECT_LT(SafeIndex(controltype, 4), 4);
    for (int i = 0; i < 8; i++) {
      float r = SafeJoyRange(joyrange[i]);
      EXPECT_TRUE(std::isfinite(r) && r > 0);
      int p = SafeJoyPort(joyport[i]);
      EXPECT_TRUE(p >= -1 && p < 16);
    }
    float v = SafeVolume(musicvolume);
    EXPECT_TRUE(v >= 0 && v <= 1);
  }
  EXPECT_EQ(SafeJoyPort(200), -1);
  EXPECT_EQ(SafeJoyRange(0), 1.0f);
  EXPECT_EQ(SafeJoyRange(-2), 1.0f);
  EXPECT_EQ(SafeJoyRange(NAN), 1.0f);
  EXPECT_EQ(SafeJoyRange(INFINITY), 1.0f);
  EXPECT_EQ(SafeVolume(3), 1.0f);
  EXPECT_EQ(SafeIndex(9, 4), 0);
}

TEST_F(ConfigTest, LongNameRoundTrips) {
  LoadConfig();
  lastname = std::string(200, 'Z');
  lastname[5] = (char)127;  // every code the font draws is kept
  ASSERT_TRUE(SaveConfig());
  EXPECT_EQ(Bytes().size(), 272u);
  std::string saved = lastname;
  lastname.clear();
  LoadConfig();
  EXPECT_EQ(lastname, saved);
  EXPECT_EQ(gridsetting, 1);
}

TEST_F(ConfigTest, FailedSaveWarnsAndKeepsTheOldFile) {
  LoadConfig();
  ASSERT_TRUE(SaveConfig());
  // A file size limit below the file's size fails the write as a full disk
  // would, even for root.
  keyleft = 1;
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 40;
  void (*oldxfsz)(int) = signal(SIGXFSZ, SIG_IGN);
  bool saved = true;
  std::string err = StderrOf([&] {
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    saved = SaveConfig();
    setrlimit(RLIMIT_FSIZE, &old);
  });
  signal(SIGXFSZ, oldxfsz);
  EXPECT_FALSE(saved);
  EXPECT_NE(err.find("config.dat"), std::string::npos) << err;
  EXPECT_NE(err.find("File too large"), std::string::npos) << err;
  EXPECT_EQ(Bytes(), kDefaultBytes);
  EXPECT_EQ(Names(), (std::vector<std::string>{"config.dat"}));  // no temporary file left
}

TEST_F(ConfigTest, AConfigThatCannotBeReadIsLeftAloneAtQuitWithAMessage) {
  // A folder and a FIFO in place of the file: both are there but cannot be
  // read (as a file of mode 000 cannot, for anyone but root).
  fs::create_directory("config.dat");
  std::string err = StderrOf([] { LoadConfig(); });
  EXPECT_NE(err.find("cannot read the settings in \"config.dat\" (it is a folder)"), std::string::npos) << err;
  EXPECT_EQ(keyleft, 65);
  lastname = "CHANGED";
  bool saved = true;
  err = StderrOf([&] { saved = SaveConfig(); });
  EXPECT_FALSE(saved);
  EXPECT_NE(err.find("settings not saved"), std::string::npos) << err;
  EXPECT_TRUE(fs::is_directory("config.dat"));
  EXPECT_TRUE(fs::is_empty("config.dat"));
  fs::remove("config.dat");

  ASSERT_EQ(mkfifo("config.dat", 0644), 0);
  auto load = std::async(std::launch::async, [] { return StderrOf([] { LoadConfig(); }); });
  if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "loading waits on a FIFO named config.dat";
    int fd = open("config.dat", O_WRONLY | O_NONBLOCK);
    load.wait();
    close(fd);
  }
  EXPECT_NE(load.get().find("it is not a regular file"), std::string::npos);
  StderrOf([&] { saved = SaveConfig(); });
  EXPECT_FALSE(saved);
  EXPECT_TRUE(fs::is_fifo("config.dat"));
  fs::remove("config.dat");

  if (geteuid() != 0) {
    Write(kDefaultBytes);
    fs::permissions("config.dat", fs::perms::none);
    StderrOf([&] {
      LoadConfig();
      saved = SaveConfig();
    });
    EXPECT_FALSE(saved);
    fs::permissions("config.dat", fs::perms::owner_read);
    EXPECT_EQ(Bytes(), kDefaultBytes);
  }

  // A file that can be read again is saved as usual.
  fs::remove("config.dat");
  LoadConfig();
  EXPECT_TRUE(SaveConfig());
}

TEST_F(ConfigTest, ANameLongerThanTheNameEntryAllowsIsCutAndTheFieldsAfterItStillRead) {
  // A 10 MB file that is one long name with no line feed: the name is cut
  // to 496 bytes, the rest defaults, and the file saved back is small.
  std::vector<uint8_t> b(kDefaultBytes.begin(), kDefaultBytes.begin() + 11);
  b.resize(10 * 1024 * 1024, 'N');
  Write(b);
  LoadConfig();
  EXPECT_EQ(lastname, std::string(496, 'N'));
  EXPECT_EQ(joyaxis[0], 7);
  ASSERT_TRUE(SaveConfig());
  EXPECT_EQ(Bytes().size(), 72u + 496);

  // A long name with its line end: the fields after it keep their values.
  b.assign(kDefaultBytes.begin(), kDefaultBytes.begin() + 11);
  b.insert(b.end(), 700, 'L');
  b.insert(b.end(), kDefaultBytes.begin() + 11, kDefaultBytes.end());
  b[11 + 700 + 2] = 3;  // joyaxis 0
  Write(b);
  LoadConfig();
  EXPECT_EQ(lastname, std::string(496, 'L'));
  EXPECT_EQ(joyaxis[0], 3);
  EXPECT_EQ(joyfirebutton[0], 3);
}

TEST_F(ConfigTest, ASaveKeepsTheFilesModeAndGoesThroughASymbolicLink) {
  fs::create_directory("elsewhere");
  Write(kDefaultBytes);
  fs::rename("config.dat", "elsewhere/config.dat");
  fs::permissions("elsewhere/config.dat", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::create_symlink("elsewhere/config.dat", "config.dat");
  LoadConfig();
  keyleft = 90;
  ASSERT_TRUE(SaveConfig());
  EXPECT_TRUE(fs::is_symlink("config.dat"));
  EXPECT_EQ(Bytes()[2], 90);
  EXPECT_EQ(fs::status("elsewhere/config.dat").permissions(),
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(ConfigTest, FileCutAnywhereKeepsWhatCameBeforeTheCutAndDefaultsTheRest) {
  // A full file with every setting away from its default, and an empty name
  // so that both files have the same layout.
  LoadConfig();
  screenmode = 3;
  controltype = 1;
  keyleft = keyright = keyup = keydown = 70;
  keyfireleft = keyfireright = keyfireup = keyfiredown = keybomb = 71;
  for (int i = 0; i < 8; i++) {
    joyaxis[i] = 20 + i;
    joyisbutton[i] = 2;
    joyport[i] = 30 + i;
    joyrange[i] = -3.5f - i;
  }
  musicvolume = 0.75f;
  fxvolume = 0.25f;
  graphicsdriver = starsetting = hitscoresetting = explosionsetting = gridsetting = 9;
  for (int i = 0; i < 4; i++) joyfirebutton[i] = joyfireport[i] = 40 + i;
  ASSERT_TRUE(SaveConfig());
  const std::vector<uint8_t> full = Bytes();
  ASSERT_EQ(full.size(), kDefaultBytes.size());

  // Cut at every length: what is saved back matches the full file before the
  // cut (but for a float read in part, at most three bytes) and the defaults
  // from the cut on.
  for (size_t cut = 0; cut <= full.size(); cut++) {
    SCOPED_TRACE(cut);
    Write(std::vector<uint8_t>(full.begin(), full.begin() + cut));
    LoadConfig();
    ASSERT_TRUE(SaveConfig());
    std::vector<uint8_t> saved = Bytes();
    ASSERT_EQ(saved.size(), full.size());
    for (size_t i = 0; i < saved.size(); i++) {
      if (i + 3 < cut) EXPECT_EQ(saved[i], full[i]) << "byte " << i;
      else if (i >= cut) EXPECT_EQ(saved[i], kDefaultBytes[i]) << "byte " << i;
      else EXPECT_TRUE(saved[i] == full[i] || saved[i] == kDefaultBytes[i]) << "byte " << i;
    }
  }
}
