// F12 screenshots, encoded and written on a thread of their own.
#include "app/screenshot.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/input.h"
#include "platform/input_replay.h"
#include "platform/keycodes.h"
#include "platform/platform.h"
#include "platform/render.h"
#include "services/draw.h"
#include "services/press_latch.h"

namespace {
int f12latch = 1;
bool asked = false;
int noticepasses = 0;  // passes the notice has left on screen
std::thread pngthread;

// "screenshots/pulsefield-2026-12-07-123456.png", numbered on when taken
// twice in a second.
std::string NewScreenshotPath() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
  std::string base = std::string("screenshots/pulsefield-") + stamp;
  std::string path = base + ".png";
  std::error_code ec;
  for (int n = 2; std::filesystem::exists(path, ec); n++) path = base + "-" + std::to_string(n) + ".png";
  return path;
}
}  // namespace

// "pulsefield-" then the date and time, perhaps a number, then ".png".
bool ScreenshotName(const std::string& name) {
  static const char pattern[] = "pulsefield-####-##-##-######";  // # a digit
  const size_t stamp = sizeof pattern - 1;
  if (name.size() < stamp + 4 || name.compare(name.size() - 4, 4, ".png") != 0) return false;
  for (size_t i = 0; i < stamp; i++) {
    bool digit = name[i] >= '0' && name[i] <= '9';
    if (pattern[i] == '#' ? !digit : name[i] != pattern[i]) return false;
  }
  std::string number = name.substr(stamp, name.size() - 4 - stamp);
  if (number.empty()) return true;
  if (number.size() < 2 || number[0] != '-') return false;
  for (size_t i = 1; i < number.size(); i++)
    if (number[i] < '0' || number[i] > '9') return false;
  return true;
}

// The keyboard itself: a replay's recorded F12 takes no picture, and a
// watcher's F12 does.
void CheckScreenshotKey() {
  if (PressedOnce(f12latch, InputDeviceKeyDown(VK_F12))) asked = true;
}

void TakeAskedScreenshot() {
  if (!asked) return;
  asked = false;
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  if (!ReadScreenPixels(rgba, w, h)) return;  // nothing on screen to save (headless)
  FinishScreenshots();  // one at a time
  std::error_code ec;
  std::filesystem::create_directories("screenshots", ec);
  std::string path = NewScreenshotPath();
  noticepasses = 60;
  auto save = [path, w, h](const std::vector<uint8_t>& pixels) {
    std::string why;
    if (!SavePNG(path, pixels, w, h, &why))
      std::fprintf(stderr, "pulsefield: warning: could not save the screenshot \"%s\": %s\n",
                   path.c_str(), why.c_str());
    else
      OfferDownload(path, "image/png");  // the browser hands the picture to the player
  };
  // Where no thread may start (the browser), the picture is written at once.
  if (!PlatformThreads()) {
    save(rgba);
    return;
  }
  pngthread = std::thread([save, rgba = std::move(rgba)] { save(rgba); });
}

void PaintScreenshotNotice() {
  if (noticepasses <= 0) return;
  noticepasses--;
  DrawFontText("SCREENSHOT SAVED", 400, 576, 32, 255, 32, 1, BLEND_ALPHA,
               noticepasses < 20 ? noticepasses / 20.0f : 1.0f, 0.5f, 0.5f);
}

void FinishScreenshots() {
  if (pngthread.joinable()) pngthread.join();
}
