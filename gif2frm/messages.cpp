#include "gif2frm/messages.h"

#include <cstdio>

void printBanner() {
  std::printf("Brastok converter, version 0.1alpha\n");
  std::printf(
      "gif2frm: GIF to FRM sprite converter, by the gif2frm developers\n");
  std::printf("\n");
}

void printUsage(const char* programName) {
  std::printf("Usage: %s [options] file.gif\n", programName);
  std::printf("\n");
  std::printf("Options:\n");
  std::printf("  -d=Value\tSet color delta to Value (default 4)\n");
  std::printf("  -n\t\tDon't translate color tables\n");
  std::printf(
      "  -x=Value\tSet shift in the X direction to Value (default 0)\n");
  std::printf(
      "  -y=Value\tSet shift in the Y direction to Value (default 0)\n");
}

void printHelp(const char* programName) {
  printUsage(programName);
  std::printf(
      "  -p=File\tMatch colors against the palette in File (768 or 33536\n"
      "\t\tbytes of 6-bit RGB, .act, GIMP .gpl or JASC-PAL)\n");
  std::printf(
      "  -m=Mode\tColor match: first (default: the first entry within\n"
      "\t\tthe delta), nearest (the nearest entry, never fails) or\n"
      "\t\tdither (error diffusion onto the nearest entries); -n\n"
      "\t\tkeeps the GIF's indices whatever the mode\n");
  std::printf(
      "  -6\t\tThe GIF holds six directions, one after another, each\n"
      "\t\twith a sixth of its images\n");
  std::printf(
      "  -1=File\tDirection 1 from its own GIF; -2= to -5= the same for\n"
      "\t\tdirections 2 to 5 (all five together; the input is 0, and\n"
      "\t\tevery direction holds as many images)\n");
  std::printf(
      "  -f=Value\tFrames per second, 0 to 65535 (default 0), or gif:\n"
      "\t\t100 / the most common delay of direction 0\n");
  std::printf(
      "  -a=Value\tThe action frame, 0 to frames per direction - 1\n"
      "\t\t(default 0)\n");
  std::printf(
      "  -o=Path\tWrite the FRM to Path, a file or an existing directory\n"
      "\t\t(default: the input's name with .frm, current directory)\n");
  std::printf("  -h, --help\tShow this help\n");
  std::printf("\n");
  std::printf("Examples:\n");
  std::printf("  Art drawn with the palette, every color exactly its entry:\n");
  std::printf("    %s -d=0 walk.gif\n", programName);
  std::printf("  Other art, matched to the engine's own palette file:\n");
  std::printf("    %s -m=nearest -p=color.pal art.gif\n", programName);
  std::printf("  Photos and renders:\n");
  std::printf("    %s -m=dither photo.gif\n", programName);
  std::printf(
      "  A six-direction sprite from six GIFs, timed by their delays:\n");
  std::printf(
      "    %s -f=gif -1=ne.gif -2=se.gif -3=s.gif -4=sw.gif -5=nw.gif "
      "n.gif\n",
      programName);
  std::printf(
      "  The same from one GIF of six directions, 10 frames per second,\n"
      "  the action on frame 3 of each:\n");
  std::printf("    %s -6 -f=10 -a=3 walk.gif\n", programName);
}

void printOutcome(RunOutcome outcome, const char* argument,
                  const char* detail) {
  switch (outcome) {
    case RunOutcome::Converted:
      std::printf("File converted succesfuly!!!\n");
      return;
    case RunOutcome::UnknownOption:
      std::printf("Unknown option %s\n", argument);
      return;
    case RunOutcome::CantOpenInput:
      std::printf("Can't open input file\n");
      return;
    case RunOutcome::CantReadInput:
      std::printf("Can't read file or file corrupted\n");
      return;
    case RunOutcome::EmptyGif:
      std::printf("Empty GIF\n");
      return;
    case RunOutcome::TooLargeForFrm:
      std::printf("Image too large for FRM\n");
      return;
    case RunOutcome::CantTranslate:
      std::printf("Can't translate color table\n");
      return;
    case RunOutcome::CantCreateOutput:
      std::printf("Can't create output file\n");
      return;
    case RunOutcome::CantWriteOutput:
      std::printf("Can't write output file\n");
      return;
    case RunOutcome::NoMemory:
      std::printf("Not enough memory\n");
      return;
    case RunOutcome::HelpShown:
      return;  // the help text is the whole answer
    case RunOutcome::BadMatchMode:
      std::printf("Unknown match mode in %s (use first, nearest or dither)\n",
                  argument);
      return;
    case RunOutcome::BadFrameRate:
      std::printf("Bad frame rate in %s (use 0 to 65535, or gif)\n", argument);
      return;
    case RunOutcome::BadActionFrame:
      std::printf("Bad action frame in %s (use 0 to 65535)\n", argument);
      return;
    case RunOutcome::ActionFrameOutOfRange:
      std::printf("Action frame %s is past the last frame of a direction\n",
                  argument);
      return;
    case RunOutcome::CantReadPalette:
      std::printf("Can't read palette file %s: %s\n", argument, detail);
      return;
    case RunOutcome::MixedDirectionSources:
      std::printf("Option -6 can't be combined with -1= to -5=\n");
      return;
    case RunOutcome::MissingDirectionFile:
      std::printf("Six directions need all of -1= to -5=: %s is missing\n",
                  argument);
      return;
    case RunOutcome::CantOpenDirectionFile:
      std::printf("Can't open direction file %s\n", argument);
      return;
    case RunOutcome::CantReadDirectionFile:
      std::printf("Can't read direction file %s\n", argument);
      return;
    case RunOutcome::EmptyDirectionFile:
      std::printf("Direction file %s holds no image\n", argument);
      return;
    case RunOutcome::CantTranslateDirectionFile:
      std::printf("Can't translate color table of direction file %s\n",
                  argument);
      return;
    case RunOutcome::ImagesNotDivisible:
      std::printf("%s images don't divide into 6 directions\n", argument);
      return;
    case RunOutcome::UnequalDirections:
      std::printf(
          "Direction file %s holds a different number of images than "
          "the input\n",
          argument);
      return;
  }
}

int exitStatus(RunOutcome outcome) {
  return outcome == RunOutcome::Converted || outcome == RunOutcome::HelpShown
             ? 0
             : 1;
}
