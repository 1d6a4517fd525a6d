#include "frm2gif/messages.h"

#include <cstdio>

void printViewerBanner() {
  std::printf(
      "frm2gif 0.1: FRM sprite to animated GIF, by the gif2frm developers\n");
  std::printf("\n");
}

void printViewerUsage(const char* programName) {
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

void printViewerHelp(const char* programName) {
  printViewerUsage(programName);
  std::printf("\n");
  std::printf(
      "Each direction of the sprite becomes one animated GIF that loops\n"
      "forever: file.gif for a sprite of one direction, file_0.gif to\n"
      "file_5.gif for six, in the current directory. Frames are placed\n"
      "as the sprite places them, index 0 is transparent, and the\n"
      "sprite's frame rate sets the delays (10 frames a second when it\n"
      "is 0). The shifts are printed by -i, not applied.\n");
  std::printf("\n");
  std::printf("Examples:\n");
  std::printf("  Look at a sprite in a browser or an image viewer:\n");
  std::printf("    %s walk.frm\n", programName);
  std::printf("  The same in the colors of the engine's own palette file:\n");
  std::printf("    %s -p=color.pal walk.frm\n", programName);
  std::printf("  The six directions of a sprite into the folder preview:\n");
  std::printf("    %s -o=preview critter.frm\n", programName);
  std::printf("  The header fields and where every frame lands:\n");
  std::printf("    %s -i walk.frm\n", programName);
}

void printViewerOutcome(ViewerOutcome outcome, const char* argument) {
  switch (outcome) {
    case ViewerOutcome::Written:
      std::printf("Wrote %s\n", argument);
      return;
    case ViewerOutcome::InfoShown:
    case ViewerOutcome::HelpShown:
      return;  // what was printed is the whole answer
    case ViewerOutcome::UnknownOption:
      std::printf("Unknown option %s\n", argument);
      return;
    case ViewerOutcome::CantReadPalette:
      std::printf("Can't read palette file %s\n", argument);
      return;
    case ViewerOutcome::CantOpenInput:
      std::printf("Can't open input file\n");
      return;
    case ViewerOutcome::CantReadInput:
      std::printf("Can't read input file\n");
      return;
    case ViewerOutcome::Truncated:
      std::printf("Not an FRM file: shorter than its header says\n");
      return;
    case ViewerOutcome::BadVersion:
      std::printf("Not an FRM file: the version is not 4\n");
      return;
    case ViewerOutcome::NoFrames:
      std::printf("FRM file without frames\n");
      return;
    case ViewerOutcome::TrailingBytes:
      std::printf("Not an FRM file: longer than its header says\n");
      return;
    case ViewerOutcome::TooManyFrames:
      std::printf("Corrupt FRM file: more frames than its frame area holds\n");
      return;
    case ViewerOutcome::BadDirectionOffset:
      std::printf(
          "Corrupt FRM file: a direction does not start where its "
          "offset says\n");
      return;
    case ViewerOutcome::BadPixelCount:
      std::printf(
          "Corrupt FRM file: a frame's pixel count is not its width "
          "x height\n");
      return;
    case ViewerOutcome::FrameOutsideArea:
      std::printf(
          "Corrupt FRM file: a frame runs past the end of the frame "
          "area\n");
      return;
    case ViewerOutcome::AreaNotFilled:
      std::printf(
          "Corrupt FRM file: the frames end before the frame area "
          "does\n");
      return;
    case ViewerOutcome::TooLargeForGif:
      std::printf(
          "Direction %s is too large for a GIF: its frames span more "
          "than 65535 pixels\n",
          argument);
      return;
    case ViewerOutcome::OutputNeedsDirectory:
      std::printf(
          "A sprite of six directions needs -o= to name an existing "
          "directory\n");
      return;
    case ViewerOutcome::CantCreateOutput:
      std::printf("Can't create output file\n");
      return;
    case ViewerOutcome::CantWriteOutput:
      std::printf("Can't write output file\n");
      return;
    case ViewerOutcome::NoMemory:
      std::printf("Not enough memory\n");
      return;
  }
}

int viewerExitStatus(ViewerOutcome outcome) {
  switch (outcome) {
    case ViewerOutcome::Written:
    case ViewerOutcome::InfoShown:
    case ViewerOutcome::HelpShown:
      return 0;
    default:
      return 1;
  }
}
