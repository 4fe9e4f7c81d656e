// The makers of the game's pictures, looked up by file stem, and the
// catalogue that pairs each picture of the game's list with its maker.
#include "img_catalogue.h"

#include <cstdio>
#include <map>

#include "img_art.h"
#include "services/awards.h"
#include "services/picture_list.h"

namespace {

// How a picture is drawn and the tint the contact sheet shows it in.
struct Maker {
  std::function<Image()> make;
  int tr, tg, tb;
};

// Every maker, by the stem of the file it draws.
std::map<std::string, Maker> Makers() {
  std::map<std::string, Maker> m;
  auto add = [&](const std::string& stem, std::function<Image()> f, int r, int g, int b) {
    m[stem] = {std::move(f), r, g, b};
  };
  add("titlelogo", MakeTitleLogo, 32, 255, 32);
  add("font", MakeFont, 255, 255, 255);
  add("fontsmall", MakeFontSmall, 255, 255, 255);
  add("menubar01", MakeMenuBar, 32, 255, 32);
  add("white", MakeWhite, 255, 255, 255);
  add("white2", MakeWhite2, 40, 120, 40);
  add("score", MakeScoreLabel, 32, 255, 32);
  add("scorehigh", MakeScoreHighLabel, 32, 255, 32);
  add("scorenumos", MakeScoreNumbers, 255, 255, 0);
  add("scorebomb", MakeScoreBomb, 32, 255, 32);
  add("multiplier", MakeMultiplier, 200, 200, 200);
  for (int i = 1; i <= 9; i++) {
    char stem[16];
    std::snprintf(stem, sizeof stem, i == 7 ? "border%02dc" : "border%02d", i);
    add(stem, [i] { return MakeBorder(i); }, 255, 255, 255);
  }
  add("star01", [] { return MakeStar(1); }, 200, 200, 255);
  add("star02", [] { return MakeStar(2); }, 255, 220, 160);
  add("star03", [] { return MakeStar(3); }, 160, 220, 255);
  add("player", MakePlayer, 255, 255, 255);
  add("playersight", MakePlayerSight, 200, 255, 200);
  add("playershield", MakePlayerShield, 192, 192, 192);
  for (int i = 1; i <= 5; i++)
    add("playerrez0" + std::to_string(i), [i] { return MakePlayerRez(i); }, i == 5 ? 255 : 192, i == 5 ? 192 : 255,
        255);
  add("thrust02", MakeThrust, 230, 190, 96);
  add("bomb01", MakeBomb, 64, 200, 255);
  add("playerbullet01", MakePlayerBullet, 255, 200, 64);
  add("part01", [] { return MakePart(1); }, 255, 255, 64);
  add("part02", [] { return MakePart(2); }, 255, 255, 255);
  struct Nme {
    const char* stem;
    int r, g, b;
  };
  static const Nme kNme[] = {{"nme01", 128, 64, 255},  {"nme02", 24, 255, 255},  {"nme03", 255, 24, 255},
                             {"nme04", 255, 24, 255},  {"nme05", 24, 255, 24},   {"nme06", 64, 64, 255},
                             {"nme07", 96, 32, 255},   {"nme07b", 255, 128, 32}, {"nme08", 255, 255, 24},
                             {"nme09", 255, 64, 64},   {"nme09shield", 255, 128, 64}, {"nme10", 255, 64, 64},
                             {"nme10b", 255, 32, 8},   {"nme10c", 255, 32, 8}};
  for (const Nme& n : kNme) {
    std::string stem = n.stem;
    add(stem, [stem] { return MakeEnemy(stem); }, n.r, n.g, n.b);
  }
  add("partex01", [] { return MakePartEx(1); }, 255, 160, 96);
  add("partex02", [] { return MakePartEx(2); }, 160, 200, 255);
  for (const AwardPicture& a : kAwardPictures) {
    AwardIndex award = a.award;
    add(a.stem, [award] { return MakeAward(award); }, 32, 255, 32);
  }
  for (const char* s : {"qvobg", "qvozarq", "qvozorv", "qvoline", "qvocover", "qvoshine", "kelvarc",
                        "kelvarcmask", "kelvane", "kelvtext"}) {
    std::string stem = s;
    add(stem, [stem] { return MakeIntro(stem); }, 255, 255, 255);
  }
  return m;
}

}  // namespace

// Pairs each picture the game loads with its maker, and complains about any left unpaired.
bool PictureCatalogue(std::vector<CataloguePicture>& out) {
  std::map<std::string, Maker> makers = Makers();
  out.clear();
  bool ok = true;
  for (const PictureEntry& p : kPictures) {
    auto it = makers.find(p.stem);
    if (it == makers.end()) {
      std::fprintf(stderr, "pfmediagen: the game loads %s.png but nothing draws it\n", p.stem);
      ok = false;
      continue;
    }
    out.push_back({p.stem, p.cellw, p.cellh, p.count, it->second.make, it->second.tr, it->second.tg, it->second.tb});
    makers.erase(it);
  }
  for (const auto& [stem, maker] : makers) {
    std::fprintf(stderr, "pfmediagen: %s.png is drawn but the game does not load it\n", stem.c_str());
    ok = false;
  }
  return ok;
}
