// The way back, as a modder takes it: frm2gif writes a sprite's GIFs, each
// carrying the gif2frm command that frm2gif -i also prints, and that
// command, run as it stands, makes the identical FRM file of them: every
// FRM of the test data that can come back, and 300 random sprites. Where a
// sprite cannot come back exactly, frm2gif says so, and what comes back is
// what it said: a frame without pixels as one transparent pixel, the first
// frame moved when a frame reaches below where the offsets start, the
// action frame 0 when it is no frame.
#include "frm2gif/way_back.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

const std::string kBanner =
    "frm2gif 0.1: FRM sprite to animated GIF, by the gif2frm developers\n\n";

// The GIFs frm2gif writes for base.frm: base.gif, or base_0.gif to
// base_5.gif.
Names gifNames(const std::string& base, int directions) {
  if (directions == 1) return {base + ".gif"};
  Names names;
  for (int d = 0; d < directions; ++d) {
    names.push_back(base + "_" + std::to_string(d) + ".gif");
  }
  return names;
}

// The command every GIF carries (the same in all of them).
std::string carriedCommand(const TempDir& dir, const Names& gifs) {
  const std::string command = gifComment(dir.read(gifs[0]));
  for (const std::string& gif : gifs) {
    EXPECT_EQ(gifComment(dir.read(gif)), command) << gif;
  }
  return command;
}

// Runs command (gif2frm and its arguments) in dir.
ProgramResult runCommand(const std::string& command, const TempDir& dir) {
  Names words = commandWords(command);
  if (words.empty() || words[0] != "gif2frm") {
    ADD_FAILURE() << "not a gif2frm command: " << command;
    return {};
  }
  words.erase(words.begin());
  return runGif2frm(words, dir.path());
}

// frm2gif on path (in dir), then the command its GIFs carry, with the FRM
// file removed in between. The bytes of the FRM file made again, empty
// when a step failed.
Bytes takeTheLoop(const TempDir& dir, const std::string& path, int directions,
                  const std::string& expectedNotes = "") {
  const std::string base = fs::path(path).stem().string();
  const Names gifs = gifNames(base, directions);
  const ProgramResult shown = runFrm2gif({path}, dir.path());
  EXPECT_EQ(shown.exitStatus, 0) << shown.output;
  const std::string written =
      directions == 1 ? gifs[0] : gifs.front() + " to " + gifs.back();
  EXPECT_EQ(shown.output, kBanner + expectedNotes + "Wrote " + written + "\n");
  if (shown.exitStatus != 0) return {};
  fs::remove(dir.file(path));
  const ProgramResult back = runCommand(carriedCommand(dir, gifs), dir);
  EXPECT_EQ(back.exitStatus, 0) << back.output;
  if (back.exitStatus != 0 || !dir.exists(path)) return {};
  return dir.read(path);
}

// The notes and the command that -i ends with, after the frame lines.
std::string infoEnding(const std::string& output) {
  const std::size_t frames = output.find("direction frame width");
  std::size_t end = output.find('\n', frames) + 1;
  while (end < output.size() && output[end] == ' ') {
    end = output.find('\n', end) + 1;
  }
  return output.substr(end);
}

TEST(Frm2gifWayBack, EveryTestDataSpriteThatCanComeBackComesBackIdentical) {
  std::vector<fs::path> sprites;
  for (const char* folder : {"golden", "viewer"}) {
    for (const auto& entry :
         fs::directory_iterator(fs::path(GIF2FRM_TEST_DATA) / folder)) {
      if (entry.path().extension() == ".frm") sprites.push_back(entry.path());
    }
  }
  std::sort(sprites.begin(), sprites.end());
  int identical = 0;
  Names notExact;
  for (const fs::path& sprite : sprites) {
    SCOPED_TRACE(sprite.string());
    TempDir dir;
    const std::string name = sprite.filename().string();
    const Bytes original = readFileBytes(sprite.string());
    dir.write(name, original);
    const ProgramResult info = runFrm2gif({"-i", name}, dir.path());
    ASSERT_EQ(info.exitStatus, 0);
    // -i names the same losses as the run that writes the GIFs, and ends
    // with the command the GIFs carry.
    const std::string ending = infoEnding(info.output);
    const std::size_t back = ending.find("Back to ");
    ASSERT_NE(back, std::string::npos) << ending;
    const std::string notes = ending.substr(0, back);
    const int directions =
        info.output.find("directions          6\n") == std::string::npos ? 1
                                                                         : 6;
    const Bytes made = takeTheLoop(dir, name, directions, notes);
    EXPECT_EQ(
        gifComment(dir.read(gifNames(sprite.stem().string(), directions)[0])),
        lastLine(info.output));
    if (!notes.empty()) {
      EXPECT_EQ(ending.substr(back, ending.find('\n', back) - back),
                "Back to an FRM file that differs as said above:");
      EXPECT_NE(made, original);
      notExact.push_back(name);
      continue;
    }
    EXPECT_EQ(ending.substr(back, ending.find('\n', back) - back),
              "Back to the identical FRM file:");
    EXPECT_EQ(made, original);
    if (made == original) ++identical;
  }
  std::string named;
  for (const std::string& name : notExact) named += " " + name;
  std::printf(
      "%d of %zu test data sprites come back identical; frm2gif names what "
      "the others lose:%s\n",
      identical, sprites.size(), named.c_str());
  EXPECT_EQ(identical + static_cast<int>(notExact.size()),
            static_cast<int>(sprites.size()));
  EXPECT_GE(identical, 9);
}

TEST(Frm2gifWayBack, RandomSpritesComeBackIdentical) {
  std::mt19937 random(2024);
  RandomSpriteRules rules;
  rules.sixShifts = true;
  int identical = 0;
  int frames = 0;
  constexpr int kSprites = 300;
  for (int run = 0; run < kSprites; ++run) {
    SCOPED_TRACE("sprite " + std::to_string(run));
    const int directions = run % 2 == 0 ? 1 : 6;
    const LoopSprite sprite = randomSprite(random, directions, rules);
    const Bytes bytes = frmBytes(sprite);
    TempDir dir;
    dir.write("figure.frm", bytes);
    const Bytes made = takeTheLoop(dir, "figure.frm", directions);
    EXPECT_EQ(made, bytes);
    if (made != bytes) continue;
    ++identical;
    frames += static_cast<int>(sprite.frames.size());
  }
  std::printf("%d of %d random sprites (%d frames) come back identical\n",
              identical, kSprites, frames);
  EXPECT_EQ(identical, kSprites);
}

// The GIFs in another folder, the sprite in a third, under a name that
// needs quoting: the command names them as they are, and -o= puts the
// sprite back where it was.
TEST(Frm2gifWayBack, FoldersAndNamesThatNeedQuoting) {
  std::mt19937 random(5);
  for (const int directions : {1, 6}) {
    SCOPED_TRACE(directions);
    TempDir dir;
    fs::create_directories(dir.file("art work"));
    fs::create_directories(dir.file("out"));
    const Bytes bytes = frmBytes(randomSprite(random, directions, {}));
    const std::string sprite = "art work/my figure's.frm";
    dir.write(sprite, bytes);
    const ProgramResult info = runFrm2gif({"-i", "-o=out", sprite}, dir.path());
    const std::string command = lastLine(info.output);
    EXPECT_NE(command.find(" \"-o=art work/my figure's.frm\" "),
              std::string::npos)
        << command;
    ASSERT_EQ(runFrm2gif({"-o=out", sprite}, dir.path()).exitStatus, 0);
    const Names gifs = gifNames("out/my figure's", directions);
    EXPECT_EQ(carriedCommand(dir, gifs), command);
    fs::remove(dir.file(sprite));
    EXPECT_EQ(runCommand(command, dir).exitStatus, 0);
    EXPECT_EQ(dir.read(sprite), bytes);
  }
}

// A word of the command comes back whole from the command's quoting, as
// the tests read it and, where there is one, as a POSIX shell reads it.
TEST(Frm2gifWayBack, CommandWordsComeBackWhole) {
  const Names texts = {"figure.gif",    "-o=a b.frm",      "it's.gif",
                       "$HOME`x`!.gif", "a'b\"c.gif",      "C:\\art\\x y.frm",
                       "tab\there",     "%PATH%,+@=:.gif", ""};
#ifdef _WIN32
  const bool shell = false;  // Wine would find the host's /bin/sh
#else
  const bool shell = fs::exists("/bin/sh");
#endif
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const std::string word = commandWord(text);
    EXPECT_EQ(commandWords("gif2frm " + word + " x"),
              (Names{"gif2frm", text, "x"}));
    if (shell && text.find('\\') == std::string::npos) {
      TempDir dir;
      EXPECT_EQ(runProgram("/bin/sh", {"-c", "printf '%s' " + word}, dir.path())
                    .output,
                text);
    }
  }
  EXPECT_EQ(commandWord("figure_0.gif"), "figure_0.gif");
  EXPECT_EQ(commandWord("a b"), "\"a b\"");
}

// Frames without pixels: shown as one transparent pixel, which gif2frm
// reads as a frame of 1 x 1 with index 0, at the same offsets.
TEST(Frm2gifWayBack, AFrameWithoutPixelsComesBackAsOneTransparentPixel) {
  std::mt19937 random(7);
  RandomSpriteRules rules;
  rules.emptyFrames = true;
  int sprites = 0;
  for (int run = 0; run < 40; ++run) {
    SCOPED_TRACE(run);
    const int directions = run % 2 == 0 ? 1 : 6;
    LoopSprite sprite = randomSprite(random, directions, rules);
    std::vector<std::size_t> empty;
    for (std::size_t i = 0; i < sprite.frames.size(); ++i) {
      if (sprite.frames[i].pixels.empty()) empty.push_back(i);
    }
    if (empty.empty()) continue;
    ++sprites;
    TempDir dir;
    dir.write("figure.frm", frmBytes(sprite));
    const std::size_t per = sprite.framesPerDirection();
    char note[200];
    if (empty.size() == 1) {
      std::snprintf(note, sizeof note,
                    "Not exact: frame %zu of direction %zu has no pixels; it "
                    "comes back as one transparent pixel (1 x 1)\n",
                    empty[0] % per, empty[0] / per);
    } else {
      std::snprintf(note, sizeof note,
                    "Not exact: %zu frames have no pixels (the first is frame "
                    "%zu of direction %zu); each comes back as one "
                    "transparent pixel (1 x 1)\n",
                    empty.size(), empty[0] % per, empty[0] / per);
    }
    const Bytes made = takeTheLoop(dir, "figure.frm", directions, note);
    for (const std::size_t i : empty) {
      sprite.frames[i].width = 1;
      sprite.frames[i].height = 1;
      sprite.frames[i].pixels = {0};
    }
    EXPECT_EQ(made, frmBytes(sprite));
  }
  EXPECT_GE(sprites, 20);
}

// A frame whose bottom lies below where the offsets start could only come
// back from outside the picture: every frame stays in it, and the first
// frame of that direction comes back that much higher.
TEST(Frm2gifWayBack, AFrameBelowTheStartMovesTheFirstFrame) {
  std::mt19937 random(9);
  RandomSpriteRules rules;
  rules.belowStart = true;
  for (int run = 0; run < 30; ++run) {
    SCOPED_TRACE(run);
    const int directions = run % 2 == 0 ? 1 : 6;
    LoopSprite sprite = randomSprite(random, directions, rules);
    TempDir dir;
    dir.write("figure.frm", frmBytes(sprite));
    const std::size_t per = sprite.framesPerDirection();
    std::string notes;
    for (int d = 0; d < directions; ++d) {
      LoopFrame& first = sprite.frames[d * per];
      int y = 0;
      int lowest = 0;
      std::size_t lowestFrame = 0;
      for (std::size_t k = 0; k < per; ++k) {
        y += sprite.frames[d * per + k].offsetY;
        if (y > lowest) {
          lowest = y;
          lowestFrame = k;
        }
      }
      if (lowest == 0) continue;
      char note[300];
      std::snprintf(note, sizeof note,
                    "Not exact: in direction %d, the bottom of frame %zu lies "
                    "%d pixel%s below the point the offsets start from, "
                    "where gif2frm puts the picture's bottom edge; frame 0 "
                    "comes back with offsets %d, %d instead of %d, %d\n",
                    d, lowestFrame, lowest, lowest == 1 ? "" : "s",
                    first.offsetX, first.offsetY - lowest, first.offsetX,
                    first.offsetY);
      notes += note;
      first.offsetY = static_cast<std::int16_t>(first.offsetY - lowest);
    }
    EXPECT_EQ(takeTheLoop(dir, "figure.frm", directions, notes),
              frmBytes(sprite));
  }
}

// An action frame past the frames, which gif2frm refuses as -a=, and shifts
// of directions that a sprite of one direction does not have: the command
// leaves them out, and frm2gif says what comes back instead.
TEST(Frm2gifWayBack, HeaderFieldsTheConverterCannotWriteAreNamed) {
  std::mt19937 random(11);
  LoopSprite sprite = randomSprite(random, 1, {});
  sprite.frames.resize(2);
  sprite.actionFrame = 5;
  sprite.shiftX[0] = -3;
  sprite.shiftY[4] = 7;
  TempDir dir;
  dir.write("figure.frm", frmBytes(sprite));
  const Bytes made = takeTheLoop(
      dir, "figure.frm", 1,
      "Not exact: the action frame 5 is not one of the 2 frames of a "
      "direction; it comes back as 0\n"
      "Not exact: the shifts of directions 1 to 5 come back as 0, since a "
      "sprite of one direction keeps only those of direction 0\n");
  sprite.actionFrame = 0;
  sprite.shiftY[4] = 0;
  EXPECT_EQ(made, frmBytes(sprite));
}

// Six directions whose shifts differ: -x= and -y= with six values.
TEST(Frm2gifWayBack, SixDirectionsWithShiftsOfTheirOwn) {
  std::mt19937 random(13);
  RandomSpriteRules rules;
  rules.sixShifts = true;
  for (int run = 0; run < 20; ++run) {
    SCOPED_TRACE(run);
    LoopSprite sprite = randomSprite(random, 6, rules);
    sprite.shiftX[2] = static_cast<std::int16_t>(sprite.shiftX[0] + 1);
    TempDir dir;
    const Bytes bytes = frmBytes(sprite);
    dir.write("figure.frm", bytes);
    const ProgramResult info = runFrm2gif({"-i", "figure.frm"}, dir.path());
    EXPECT_NE(lastLine(info.output)
                  .find(" -x=" + std::to_string(sprite.shiftX[0]) + ","),
              std::string::npos);
    EXPECT_EQ(takeTheLoop(dir, "figure.frm", 6), bytes);
  }
}

}  // namespace
