#include "frm2gif/way_back.h"

#include <cstring>

#include "cli/output_name.h"

namespace {

// Stores the low 16 bits of value, two's complement, as gif2frm does.
int low16(std::int64_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

bool isPlainCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || std::strchr("_-.,/:=+@", c) != nullptr;
}

// -x= or -y= with the shifts of the sprite's directions: nothing when all
// are 0, one value when all are the same, else all six.
std::string shiftOption(const char* option, const std::int16_t* shifts,
                        int directions) {
  bool same = true;
  for (int d = 1; d < directions; ++d) same = same && shifts[d] == shifts[0];
  if (same && shifts[0] == 0) return "";
  std::string text = option;
  const int listed = same ? 1 : directions;
  for (int d = 0; d < listed; ++d) {
    if (d > 0) text += ",";
    text += std::to_string(shifts[d]);
  }
  return text;
}

void appendWord(std::string& command, const std::string& word) {
  if (word.empty()) return;
  command += ' ';
  command += commandWord(word);
}

std::string commandFor(const FrmImage& image, const std::string& frmPath,
                       const std::vector<std::string>& gifPaths) {
  const int directions = static_cast<int>(gifPaths.size());
  std::int16_t shiftX[kFrmDirections];
  std::int16_t shiftY[kFrmDirections];
  for (int d = 0; d < kFrmDirections; ++d) {
    shiftX[d] = image.shiftX[d];
    shiftY[d] = image.shiftY[d];
  }
  std::string command =
      "gif2frm -n -f=" + std::to_string(image.framesPerSecond);
  // gif2frm refuses an action frame that is not a frame of a direction.
  if (image.actionFrame != 0 && image.actionFrame < image.framesPerDirection) {
    command += " -a=" + std::to_string(image.actionFrame);
  }
  appendWord(command, shiftOption("-x=", shiftX, directions));
  appendWord(command, shiftOption("-y=", shiftY, directions));
  for (int d = 1; d < directions; ++d) {
    appendWord(command, "-" + std::to_string(d) + "=" + gifPaths[d]);
  }
  // gif2frm names its output after its last argument, in the current
  // directory.
  if (outputFileName(gifPaths[0]) != frmPath) {
    appendWord(command, "-o=" + frmPath);
  }
  appendWord(command, gifPaths[0]);
  return command;
}

// The first frame's offsets move when a direction is measured from another
// point than the one its offsets start from.
void noteMovedFirstFrames(const FrmImage& image,
                          const std::vector<DirectionPicture>& layouts,
                          std::vector<WayBackNote>& notes) {
  for (std::size_t d = 0; d < layouts.size(); ++d) {
    const DirectionPicture& layout = layouts[d];
    if (layout.exact()) continue;
    const FrmFrame& first =
        *image.frames[std::size_t{image.framesPerDirection} * d];
    WayBackNote note{layout.lowestBelow > 0 ? WayBackLoss::FirstFrameBelow
                                            : WayBackLoss::CentredTooLarge};
    note.direction = static_cast<int>(d);
    note.frame = layout.lowestFrame;
    note.below = layout.lowestBelow;
    note.width = layout.centredWidth != 0 ? layout.centredWidth : layout.width;
    note.height =
        layout.centredHeight != 0 ? layout.centredHeight : layout.height;
    note.offsetX = first.offsetX;
    note.offsetY = first.offsetY;
    note.backX = low16(first.offsetX - layout.anchorX);
    note.backY = low16(first.offsetY - layout.anchorY);
    notes.push_back(note);
  }
}

void noteEmptyFrames(const FrmImage& image, std::vector<WayBackNote>& notes) {
  WayBackNote note{WayBackLoss::EmptyFrames};
  for (std::size_t i = 0; i < image.frameCount(); ++i) {
    if (image.frames[i]->pixelCount != 0) continue;
    if (note.count == 0) {
      note.direction = static_cast<int>(i / image.framesPerDirection);
      note.frame = static_cast<std::uint32_t>(i % image.framesPerDirection);
    }
    ++note.count;
  }
  if (note.count != 0) notes.push_back(note);
}

void noteHeader(const FrmImage& image, int directions,
                std::vector<WayBackNote>& notes) {
  if (image.actionFrame >= image.framesPerDirection) {
    WayBackNote note{WayBackLoss::ActionFrameOutside};
    note.frame = image.actionFrame;
    note.count = image.framesPerDirection;
    notes.push_back(note);
  }
  if (directions == 1) {
    for (int d = 1; d < kFrmDirections; ++d) {
      if (image.shiftX[d] != 0 || image.shiftY[d] != 0) {
        notes.push_back(WayBackNote{WayBackLoss::UnusedShifts});
        break;
      }
    }
  }
}

}  // namespace

std::string commandWord(const std::string& text) {
  bool plain = !text.empty();
  for (const char c : text) plain = plain && isPlainCharacter(c);
  if (plain) return text;
  if (text.find_first_of("\"$`!") == std::string::npos) {
    return "\"" + text + "\"";
  }
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

WayBack wayBack(const FrmImage& image,
                const std::vector<DirectionPicture>& layouts,
                const std::string& frmPath,
                const std::vector<std::string>& gifPaths) {
  WayBack way;
  way.command = commandFor(image, frmPath, gifPaths);
  noteMovedFirstFrames(image, layouts, way.notes);
  noteEmptyFrames(image, way.notes);
  noteHeader(image, static_cast<int>(gifPaths.size()), way.notes);
  return way;
}
