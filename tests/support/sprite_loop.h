// The loop a modder runs on a sprite: frm2gif writes its GIFs, and the
// gif2frm command that frm2gif prints makes the FRM file of them again.
// Sprites are described here and written to bytes by a writer of the
// tests' own, apart from the program's.
#ifndef GIF2FRM_TESTS_SUPPORT_SPRITE_LOOP_H_
#define GIF2FRM_TESTS_SUPPORT_SPRITE_LOOP_H_

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

struct LoopFrame {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::int16_t offsetX = 0;
  std::int16_t offsetY = 0;
  std::vector<std::uint8_t> pixels;  // width x height indices
};

struct LoopSprite {
  std::uint16_t framesPerSecond = 0;
  std::uint16_t actionFrame = 0;
  std::int16_t shiftX[6] = {};
  std::int16_t shiftY[6] = {};
  int directions = 1;             // 1 or 6
  std::vector<LoopFrame> frames;  // directions x framesPerDirection

  std::uint16_t framesPerDirection() const {
    return static_cast<std::uint16_t>(frames.size() / directions);
  }
};

// The FRM file of sprite: the big-endian header, then the frame records.
std::vector<std::uint8_t> frmBytes(const LoopSprite& sprite);

// What the knobs of a random sprite allow.
struct RandomSpriteRules {
  bool sixShifts = false;    // six directions may have shifts of their own
  bool emptyFrames = false;  // some frames may have no pixels
  bool belowStart = false;   // frames may reach below where the offsets start
};

// A sprite of one or six directions, 1 to 8 frames each, with frames of odd
// and even widths and heights (mostly small, now and then a long strip),
// every index, a frame rate of 0 to 60, an action frame among the frames,
// shifts of any size, and offsets that move the frames anywhere from a
// pixel to across the largest picture a GIF holds, negative ones included.
// Unless rules.belowStart, every frame lies on or above the point the
// offsets start from.
LoopSprite randomSprite(std::mt19937& random, int directions,
                        const RandomSpriteRules& rules);

// The text of the first comment extension of a GIF, or "" without one.
std::string gifComment(const std::vector<std::uint8_t>& gif);

// The words of a command line, with its double- or single-quoted words
// unquoted ('\'' is a quote within single quotes).
std::vector<std::string> commandWords(const std::string& line);

// The last line of a program's output.
std::string lastLine(const std::string& output);

#endif  // GIF2FRM_TESTS_SUPPORT_SPRITE_LOOP_H_
