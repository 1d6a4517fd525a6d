#include "support/sprite_loop.h"

#include <algorithm>

namespace {

using Bytes = std::vector<std::uint8_t>;

void putBigEndian(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

// Skips the sub-blocks at p up to and including their terminator, adding
// their data to text if it is not null. False when the bytes end first.
bool skipSubBlocks(const Bytes& gif, std::size_t& p, std::string* text) {
  while (p < gif.size()) {
    const std::size_t size = gif[p++];
    if (size == 0) return true;
    const std::size_t end = std::min(p + size, gif.size());
    if (text != nullptr) text->append(gif.begin() + p, gif.begin() + end);
    p = end;
  }
  return false;
}

// The bytes of a colour table whose flag and size are in packed.
std::size_t tableBytes(std::uint8_t packed) {
  return (packed & 0x80) != 0 ? std::size_t{3} << ((packed & 7) + 1) : 0;
}

}  // namespace

Bytes frmBytes(const LoopSprite& sprite) {
  Bytes area;
  std::uint32_t dataOffset[6] = {};
  const std::size_t perDirection = sprite.framesPerDirection();
  for (std::size_t i = 0; i < sprite.frames.size(); ++i) {
    if (sprite.directions == 6 && i % perDirection == 0) {
      dataOffset[i / perDirection] = static_cast<std::uint32_t>(area.size());
    }
    const LoopFrame& frame = sprite.frames[i];
    putBigEndian(area, frame.width, 2);
    putBigEndian(area, frame.height, 2);
    putBigEndian(area, std::uint32_t{frame.width} * frame.height, 4);
    putBigEndian(area, static_cast<std::uint16_t>(frame.offsetX), 2);
    putBigEndian(area, static_cast<std::uint16_t>(frame.offsetY), 2);
    area.insert(area.end(), frame.pixels.begin(), frame.pixels.end());
  }
  Bytes file;
  putBigEndian(file, 4, 4);
  putBigEndian(file, sprite.framesPerSecond, 2);
  putBigEndian(file, sprite.actionFrame, 2);
  putBigEndian(file, static_cast<std::uint32_t>(perDirection), 2);
  for (const std::int16_t shift : sprite.shiftX) {
    putBigEndian(file, static_cast<std::uint16_t>(shift), 2);
  }
  for (const std::int16_t shift : sprite.shiftY) {
    putBigEndian(file, static_cast<std::uint16_t>(shift), 2);
  }
  for (const std::uint32_t offset : dataOffset) putBigEndian(file, offset, 4);
  putBigEndian(file, static_cast<std::uint32_t>(area.size()), 4);
  file.insert(file.end(), area.begin(), area.end());
  return file;
}

LoopSprite randomSprite(std::mt19937& random, int directions,
                        const RandomSpriteRules& rules) {
  auto between = [&](std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(random);
  };
  LoopSprite sprite;
  sprite.directions = directions;
  const std::int64_t perDirection = between(1, 8);
  sprite.framesPerSecond = static_cast<std::uint16_t>(between(0, 60));
  sprite.actionFrame = static_cast<std::uint16_t>(between(0, perDirection - 1));
  const bool largeShifts = between(0, 3) == 0;
  auto shift = [&] {
    return static_cast<std::int16_t>(largeShifts ? between(-32768, 32767)
                                                 : between(-20, 20));
  };
  const std::int16_t shiftX = shift();
  const std::int16_t shiftY = shift();
  for (int d = 0; d < directions; ++d) {
    const bool own = directions == 6 && rules.sixShifts;
    sprite.shiftX[d] = own ? shift() : shiftX;
    sprite.shiftY[d] = own ? shift() : shiftY;
  }
  for (int d = 0; d < directions; ++d) {
    // How far the frames of this direction spread: a few pixels, a few
    // hundred, or nearly the 65535 pixels of a GIF's picture (2 x 32500 to
    // either side of the centre plus a frame of up to 400 pixels).
    const std::int64_t scale[] = {40, 1000, 32500};
    const std::int64_t across = scale[between(0, 9) < 6 ? 0 : between(1, 2)];
    const std::int64_t down = across == 32500 ? 65000 : across;
    std::int64_t x = 0;
    std::int64_t y = 0;
    for (std::int64_t k = 0; k < perDirection; ++k) {
      LoopFrame frame;
      frame.width = static_cast<std::uint16_t>(between(1, 24));
      frame.height = static_cast<std::uint16_t>(between(1, 24));
      if (between(0, 9) == 0) {  // a long strip, either way
        (between(0, 1) == 0 ? frame.width : frame.height) =
            static_cast<std::uint16_t>(between(100, 400));
      }
      if (rules.emptyFrames && between(0, 4) == 0) {
        const std::int64_t side = between(0, 2);
        if (side != 1) frame.width = 0;
        if (side != 2) frame.height = 0;
      }
      // Each move fits the 16-bit offsets.
      const std::int64_t nextX =
          between(std::max(-across, x - 32767), std::min(across, x + 32767));
      const std::int64_t lowest = rules.belowStart ? between(1, 30) : 0;
      const std::int64_t nextY =
          between(std::max(-down, y - 32768), std::min(lowest, y + 32767));
      frame.offsetX = static_cast<std::int16_t>(nextX - x);
      frame.offsetY = static_cast<std::int16_t>(nextY - y);
      x = nextX;
      y = nextY;
      frame.pixels.resize(std::size_t{frame.width} * frame.height);
      for (std::uint8_t& pixel : frame.pixels) {
        pixel = static_cast<std::uint8_t>(between(0, 255));
      }
      sprite.frames.push_back(frame);
    }
  }
  return sprite;
}

std::string gifComment(const Bytes& gif) {
  if (gif.size() < 13) return "";
  std::size_t p = 13 + tableBytes(gif[10]);
  while (p < gif.size()) {
    const std::uint8_t block = gif[p++];
    if (block == 0x21 && p < gif.size()) {
      const std::uint8_t label = gif[p++];
      std::string text;
      if (!skipSubBlocks(gif, p, label == 0xFE ? &text : nullptr)) break;
      if (label == 0xFE) return text;
    } else if (block == 0x2C && p + 9 < gif.size()) {
      p += 9 + tableBytes(gif[p + 8]) + 1;  // and the LZW code size
      if (!skipSubBlocks(gif, p, nullptr)) break;
    } else {
      break;
    }
  }
  return "";
}

std::vector<std::string> commandWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else {
        word += c;
      }
    } else if (c == ' ') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      inWord = true;
      if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '\\' && i + 1 < line.size()) {
        word += line[++i];
      } else {
        word += c;
      }
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::string lastLine(const std::string& output) {
  std::string text = output;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  const std::size_t newline = text.rfind('\n');
  return newline == std::string::npos ? text : text.substr(newline + 1);
}
