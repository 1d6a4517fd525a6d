// The way back after another program has rewritten frm2gif's GIFs, as an
// editor does when it saves them: ImageMagick's convert and gifsicle, from
// Debian's packages, each run on every GIF as it lies, then the command the
// GIFs carry. The test reports how many sprites come back identical through
// each. A program that keeps every frame's rectangle and colour indices
// keeps the loop exact; one that renumbers the colours (gifsicle drops the
// unused entries of the colour table) cannot give -n the indices back, but
// everything else must still come back: the header, and every frame's size
// and offsets.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/sprite_loop.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

struct Peer {
  const char* name;
  std::string program;  // empty when it is not installed
  // The arguments that rewrite the GIF "in" as "out".
  Names (*arguments)(const std::string& in, const std::string& out);
};

// The program in /usr/bin, else the first on PATH; empty when neither is
// there. /usr/bin first: Debian's ImageMagick is wanted, not a look-alike
// earlier on PATH.
std::string findProgram(const std::string& name) {
  if (fs::exists("/usr/bin/" + name)) return "/usr/bin/" + name;
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "";
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const fs::path candidate = fs::path(dirs.substr(start, end - start)) / name;
    if (end > start && fs::exists(candidate)) return candidate.string();
    start = end + 1;
  }
  return "";
}

// An FRM file with every frame's pixels set to 0: what must come back
// when the indices cannot.
Bytes withoutIndices(Bytes frm) {
  if (frm.size() < 62) return frm;
  std::size_t p = 62;
  while (p + 12 <= frm.size()) {
    const std::size_t count = std::size_t{frm[p + 4]} << 24 |
                              std::size_t{frm[p + 5]} << 16 |
                              std::size_t{frm[p + 6]} << 8 | frm[p + 7];
    p += 12;
    for (std::size_t i = 0; i < count && p < frm.size(); ++i) frm[p++] = 0;
  }
  return frm;
}

enum class Back { Identical, AllButIndices, Different };

// frm2gif on figure.frm in dir, every GIF rewritten by peer, then the
// command the GIFs carried before. commentKept: whether the rewritten GIFs
// still carry it.
Back throughPeer(const Peer& peer, const Bytes& sprite, int directions,
                 bool& commentKept) {
  TempDir dir;
  dir.write("figure.frm", sprite);
  EXPECT_EQ(runFrm2gif({"figure.frm"}, dir.path()).exitStatus, 0);
  Names gifs;
  for (int d = 0; d < directions; ++d) {
    gifs.push_back(directions == 1 ? "figure.gif"
                                   : "figure_" + std::to_string(d) + ".gif");
  }
  const std::string command = gifComment(dir.read(gifs[0]));
  commentKept = true;
  for (const std::string& gif : gifs) {
    fs::rename(dir.file(gif), dir.file("before.gif"));
    const ProgramResult rewritten = runProgram(
        peer.program.c_str(), peer.arguments("before.gif", gif), dir.path());
    EXPECT_EQ(rewritten.exitStatus, 0) << peer.name << ": " << rewritten.errors;
    if (!dir.exists(gif)) return Back::Different;
    commentKept = commentKept && gifComment(dir.read(gif)) == command;
  }
  fs::remove(dir.file("figure.frm"));
  Names words = commandWords(command);
  words.erase(words.begin());  // gif2frm
  const ProgramResult back = runGif2frm(words, dir.path());
  if (back.exitStatus != 0 || !dir.exists("figure.frm")) {
    return Back::Different;
  }
  const Bytes made = dir.read("figure.frm");
  if (made == sprite) return Back::Identical;
  if (withoutIndices(made) == withoutIndices(sprite)) {
    return Back::AllButIndices;
  }
  return Back::Different;
}

// The sprites: those of the test data that come back exactly, and the
// random ones of the way back's own test (the same seed), with their
// directions.
struct LoopSprites {
  std::vector<std::pair<Bytes, int>> sprites;
  std::size_t fromTestData = 0;
};

// Half 0: the test data and the first 150 random sprites; half 1 the other
// 150 (each half a test of its own, which the sanitizer build runs within
// its time).
LoopSprites loopSprites(int half) {
  LoopSprites all;
  for (const char* folder : {"golden", "viewer"}) {
    if (half != 0) break;
    for (const auto& entry :
         fs::directory_iterator(fs::path(GIF2FRM_TEST_DATA) / folder)) {
      if (entry.path().extension() != ".frm") continue;
      TempDir dir;
      dir.write("figure.frm", readFileBytes(entry.path().string()));
      const std::string info =
          runFrm2gif({"-i", "figure.frm"}, dir.path()).output;
      if (info.find("\nBack to the identical FRM file:\n") ==
          std::string::npos) {
        continue;
      }
      const bool six =
          info.find("\ndirections          6\n") != std::string::npos;
      all.sprites.emplace_back(dir.read("figure.frm"), six ? 6 : 1);
    }
  }
  all.fromTestData = all.sprites.size();
  std::mt19937 random(2024);
  RandomSpriteRules rules;
  rules.sixShifts = true;
  for (int run = 0; run < 300; ++run) {
    const int directions = run % 2 == 0 ? 1 : 6;
    const Bytes sprite = frmBytes(randomSprite(random, directions, rules));
    if (run / 150 == half) all.sprites.emplace_back(sprite, directions);
  }
  return all;
}

// Takes the loop through peer with every sprite of the half and reports the
// counts; expectIdentical: whether every sprite must come back identical.
void loopThrough(const Peer& peer, int half, bool expectIdentical) {
  if (peer.program.empty()) {
    GTEST_SKIP() << peer.name << " is not installed (Debian package "
                 << (std::string(peer.name) == "gifsicle" ? "gifsicle"
                                                          : "imagemagick")
                 << "): the loop through it is not taken";
  }
  const LoopSprites all = loopSprites(half);
  int identical = 0;
  int allButIndices = 0;
  int commentsKept = 0;
  for (std::size_t s = 0; s < all.sprites.size(); ++s) {
    SCOPED_TRACE("sprite " + std::to_string(s));
    bool commentKept = false;
    const Back back = throughPeer(peer, all.sprites[s].first,
                                  all.sprites[s].second, commentKept);
    identical += back == Back::Identical;
    allButIndices += back == Back::AllButIndices;
    commentsKept += commentKept;
    EXPECT_NE(back, Back::Different);
    if (expectIdentical) {
      EXPECT_EQ(back, Back::Identical);
    }
  }
  std::printf(
      "through %s (%s): %d of %zu sprites (%zu of the test data, %zu "
      "random) come back identical, %d more with other colour indices; "
      "%d keep the command as their comment\n",
      peer.name, peer.program.c_str(), identical, all.sprites.size(),
      all.fromTestData, all.sprites.size() - all.fromTestData, allButIndices,
      commentsKept);
}

Peer imageMagick() {
  return {"ImageMagick convert", findProgram("convert"),
          [](const std::string& in, const std::string& out) {
            return Names{in, out};
          }};
}

Peer gifsicle() {
  return {"gifsicle", findProgram("gifsicle"),
          [](const std::string& in, const std::string& out) {
            return Names{in, "-o", out};
          }};
}

// ImageMagick keeps each frame's rectangle, the colour table and the
// indices: the loop stays exact.
TEST(Frm2gifPeers, ImageMagickConvertKeepsTheLoopExact) {
  loopThrough(imageMagick(), 0, true);
}
TEST(Frm2gifPeers, ImageMagickConvertKeepsTheLoopExactForMoreSprites) {
  loopThrough(imageMagick(), 1, true);
}

// gifsicle drops the colour table's unused entries and renumbers the rest:
// everything but the indices comes back.
TEST(Frm2gifPeers, GifsicleKeepsAllButTheIndices) {
  loopThrough(gifsicle(), 0, false);
}
TEST(Frm2gifPeers, GifsicleKeepsAllButTheIndicesForMoreSprites) {
  loopThrough(gifsicle(), 1, false);
}

}  // namespace
