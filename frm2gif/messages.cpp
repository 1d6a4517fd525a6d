#include "frm2gif/messages.h"

#include <cstdint>
#include <cstdio>

void printFrm2gifBanner() {
  std::printf(
      "frm2gif 0.1: FRM sprite to animated GIF, by the gif2frm developers\n");
  std::printf("\n");
}

void printFrm2gifUsage(const char* programName) {
  std::printf("Usage: %s [options] file.frm\n", programName);
  std::printf("\n");
  std::printf("Options:\n");
  std::printf(
      "  -p=File\tShow the colors of the palette in File (768 or 33536\n"
      "\t\tbytes of 6-bit RGB, .act, GIMP .gpl or JASC-PAL)\n");
  std::printf("  -i\t\tPrint the header and the frames; write nothing\n");
  std::printf(
      "  -o=Path\tWrite to Path: a file name (one direction) or an\n"
      "\t\texisting directory\n");
  std::printf("  -h, --help\tShow this help\n");
}

void printFrm2gifHelp(const char* programName) {
  printFrm2gifUsage(programName);
  std::printf("\n");
  std::printf(
      "Each direction of the sprite becomes one animated GIF that loops\n"
      "forever: file.gif for a sprite of one direction, file_0.gif to\n"
      "file_5.gif for six, in the current directory. Frames are placed\n"
      "as the sprite places them, index 0 is transparent, and the\n"
      "sprite's frame rate sets the delays (10 frames a second when it\n"
      "is 0). The shifts are printed by -i, not applied.\n");
  std::printf("\n");
  std::printf(
      "Frames are placed so that gif2frm -n makes the identical FRM file\n"
      "of the GIFs: -i ends with the gif2frm command that does it, and\n"
      "every GIF carries that command as its comment. Where a sprite\n"
      "cannot come back exactly, frm2gif says so: a frame without pixels\n"
      "comes back as one transparent pixel, and a frame that reaches\n"
      "below the point the offsets start from moves the first frame.\n");
  std::printf("\n");
  std::printf("Examples:\n");
  std::printf("  Look at a sprite in a browser or an image viewer:\n");
  std::printf("    %s figure.frm\n", programName);
  std::printf("  The same in the colors of the engine's own palette file:\n");
  std::printf("    %s -p=engine.pal figure.frm\n", programName);
  std::printf("  The directions of a sprite into the folder preview:\n");
  std::printf("    %s -o=preview figure.frm\n", programName);
  std::printf(
      "  The header fields, where every frame lands, and the gif2frm\n"
      "  command that makes the sprite of its GIFs again:\n");
  std::printf("    %s -i figure.frm\n", programName);
}

namespace {

const char* plural(std::int64_t count) { return count == 1 ? "" : "s"; }

// What the reader found wrong with the FRM file.
void printSpriteProblem(FrmReadStatus status) {
  switch (status) {
    case FrmReadStatus::Truncated:
      std::printf("Not an FRM file: shorter than its header says\n");
      return;
    case FrmReadStatus::BadVersion:
      std::printf("Not an FRM file: the version is not 4\n");
      return;
    case FrmReadStatus::NoFrames:
      std::printf("FRM file without frames\n");
      return;
    case FrmReadStatus::TrailingBytes:
      std::printf("Not an FRM file: longer than its header says\n");
      return;
    case FrmReadStatus::TooManyFrames:
      std::printf("Corrupt FRM file: more frames than its frame area holds\n");
      return;
    case FrmReadStatus::BadDirectionOffset:
      std::printf(
          "Corrupt FRM file: a direction does not start where its "
          "offset says\n");
      return;
    case FrmReadStatus::BadPixelCount:
      std::printf(
          "Corrupt FRM file: a frame's pixel count is not its width "
          "x height\n");
      return;
    case FrmReadStatus::FrameOutsideArea:
      std::printf(
          "Corrupt FRM file: a frame runs past the end of the frame "
          "area\n");
      return;
    case FrmReadStatus::AreaNotFilled:
      std::printf(
          "Corrupt FRM file: the frames end before the frame area "
          "does\n");
      return;
    case FrmReadStatus::NoMemory:
      std::printf("Not enough memory\n");
      return;
    case FrmReadStatus::Ok:
    case FrmReadStatus::ReadFailed:
      break;
  }
  std::printf("Can't read input file\n");
}

void printWayBackNote(const WayBackNote& note) {
  std::printf("Not exact: ");
  switch (note.loss) {
    case WayBackLoss::FirstFrameBelow:
      std::printf(
          "in direction %d, the bottom of frame %lu lies %lld pixel%s below "
          "the point the offsets start from, where gif2frm puts the "
          "picture's bottom edge;",
          note.direction, static_cast<unsigned long>(note.frame),
          static_cast<long long>(note.below), plural(note.below));
      break;
    case WayBackLoss::CentredTooLarge:
      std::printf(
          "direction %d around the point the offsets start from, which "
          "gif2frm takes for the picture's bottom centre, would be %lld x "
          "%lld pixels, more than a GIF holds;",
          note.direction, static_cast<long long>(note.width),
          static_cast<long long>(note.height));
      break;
    case WayBackLoss::EmptyFrames:
      if (note.count == 1) {
        std::printf(
            "frame %lu of direction %d has no pixels; it comes back as one "
            "transparent pixel (1 x 1)\n",
            static_cast<unsigned long>(note.frame), note.direction);
      } else {
        std::printf(
            "%lu frames have no pixels (the first is frame %lu of direction "
            "%d); each comes back as one transparent pixel (1 x 1)\n",
            static_cast<unsigned long>(note.count),
            static_cast<unsigned long>(note.frame), note.direction);
      }
      return;
    case WayBackLoss::ActionFrameOutside:
      std::printf(
          "the action frame %lu is not one of the %lu frames of a direction; "
          "it comes back as 0\n",
          static_cast<unsigned long>(note.frame),
          static_cast<unsigned long>(note.count));
      return;
    case WayBackLoss::UnusedShifts:
      std::printf(
          "the shifts of directions 1 to 5 come back as 0, since a sprite of "
          "one direction keeps only those of direction 0\n");
      return;
  }
  std::printf(" frame 0 comes back with offsets %d, %d instead of %d, %d\n",
              note.backX, note.backY, note.offsetX, note.offsetY);
}

}  // namespace

void printWayBackNotes(const std::vector<WayBackNote>& notes) {
  for (const WayBackNote& note : notes) printWayBackNote(note);
}

void printWayBackCommand(const WayBack& way) {
  std::printf("%s\n%s\n",
              way.notes.empty()
                  ? "Back to the identical FRM file:"
                  : "Back to an FRM file that differs as said above:",
              way.command.c_str());
}

void printWritten(const std::string& files) {
  std::printf("Wrote %s\n", files.c_str());
}

void printFrm2gifResult(const Frm2gifResult& result) {
  const char* argument = result.argument.c_str();
  switch (result.outcome) {
    case Frm2gifOutcome::Ok:
      return;  // what was printed is the whole answer
    case Frm2gifOutcome::UnknownOption:
      std::printf("Unknown option %s\n", argument);
      return;
    case Frm2gifOutcome::CantReadPalette:
      // Named with the reason, as gif2frm names it.
      std::printf("Can't read palette file %s: %s\n", argument,
                  paletteFileProblem(result.paletteStatus));
      return;
    case Frm2gifOutcome::CantOpenInput:
      std::printf("Can't open input file\n");
      return;
    case Frm2gifOutcome::CantReadSprite:
      printSpriteProblem(result.spriteStatus);
      return;
    case Frm2gifOutcome::TooLargeForGif:
      std::printf(
          "Direction %s is too large for a GIF: its frames span more "
          "than 65535 pixels\n",
          argument);
      return;
    case Frm2gifOutcome::OutputNeedsDirectory:
      std::printf(
          "A sprite of six directions needs -o= to name an existing "
          "directory\n");
      return;
    case Frm2gifOutcome::CantCreateOutput:
      std::printf("Can't create output file\n");
      return;
    case Frm2gifOutcome::CantWriteOutput:
      std::printf("Can't write output file\n");
      return;
    case Frm2gifOutcome::NoMemory:
      std::printf("Not enough memory\n");
      return;
  }
}

int frm2gifExitStatus(const Frm2gifResult& result) {
  return result.outcome == Frm2gifOutcome::Ok ? 0 : 1;
}
