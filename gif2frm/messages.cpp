#include "gif2frm/messages.h"

#include <cstddef>
#include <cstdio>

#include "gif2frm/option_table.h"

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
  for (std::size_t i = 0; i < kOptionHelpCount; ++i) {
    if (kOptionHelp[i].inUsage) printOptionHelp(kOptionHelp[i]);
  }
}

void printHelp(const char* programName) {
  printUsage(programName);
  for (std::size_t i = 0; i < kOptionHelpCount; ++i) {
    if (!kOptionHelp[i].inUsage) printOptionHelp(kOptionHelp[i]);
  }
  std::printf("\n");
  std::printf("Examples:\n");
  std::printf("  Art drawn with the palette, every color exactly its entry:\n");
  std::printf("    %s -d=0 walk.gif\n", programName);
  std::printf("  Other art, matched to the engine's own palette file:\n");
  std::printf("    %s -m=nearest -p=engine.pal art.gif\n", programName);
  std::printf("  Photos and renders:\n");
  std::printf("    %s -m=dither photo.gif\n", programName);
  std::printf("  Animations, dithered without flicker:\n");
  std::printf("    %s -m=ordered walk.gif\n", programName);
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
  std::printf(
      "  A renderer's folder of PNG frames, dithered, each frame trimmed:\n");
  std::printf("    %s -m=dither -c renders/walk\n", programName);
  std::printf("  A PNG whose pixels of alpha 64 and more stay opaque:\n");
  std::printf("    %s -m=nearest -t=64 figure.png\n", programName);
  std::printf(
      "  A sheet of 8 columns and 6 rows, a row for each direction,\n"
      "  each direction shifted on its own:\n");
  std::printf("    %s -g=8x6 -6 -x=0,2,4,2,0,-2 -m=nearest sheet.png\n",
              programName);
}

namespace {

void printOptionProblem(const RunOutcome& outcome) {
  const char* argument = outcome.argument.c_str();
  switch (outcome.option) {
    case OptionStatus::Ok:
    case OptionStatus::Unknown:
      std::printf("Unknown option %s\n", argument);
      return;
    case OptionStatus::BadMatchMode:
      std::printf(
          "Unknown match mode in %s (use first, nearest, dither or "
          "ordered)\n",
          argument);
      return;
    case OptionStatus::BadFrameRate:
      std::printf("Bad frame rate in %s (use 0 to 65535, or gif)\n", argument);
      return;
    case OptionStatus::BadActionFrame:
      std::printf("Bad action frame in %s (use 0 to 65535)\n", argument);
      return;
    case OptionStatus::BadSheet:
      std::printf("Bad sheet in %s (use COLSxROWS, for example -g=8x6)\n",
                  argument);
      return;
    case OptionStatus::BadAlphaThreshold:
      std::printf("Bad alpha threshold in %s (use 0 to 255)\n", argument);
      return;
    case OptionStatus::BadShift:
      std::printf(
          "Bad shift in %s (use one value, or six comma-separated values, "
          "one per direction)\n",
          argument);
      return;
    case OptionStatus::MixedDirectionSources:
      std::printf("Option -6 can't be combined with -1= to -5=\n");
      return;
    case OptionStatus::MissingDirectionFile:
      std::printf("Six directions need all of -1= to -5=: %s is missing\n",
                  argument);
      return;
  }
}

// What is wrong with the images of an input; a direction file (source 1 to
// 5) is named.
void printSpriteProblem(const RunOutcome& outcome) {
  const char* argument = outcome.argument.c_str();
  const bool directionFile = outcome.source != 0;
  switch (outcome.sprite) {
    case SpriteStatus::Ok:
    case SpriteStatus::NoMemory:
    case SpriteStatus::BadLayout:
      std::printf("Not enough memory\n");
      return;
    case SpriteStatus::NoImage:
      if (directionFile) {
        std::printf("Direction file %s holds no image\n", argument);
      } else {
        std::printf("Empty GIF\n");
      }
      return;
    case SpriteStatus::TooLarge:
      std::printf("Image too large for FRM\n");
      return;
    case SpriteStatus::CantTranslate:
      if (directionFile) {
        std::printf("Can't translate color table of direction file %s\n",
                    argument);
      } else {
        std::printf("Can't translate color table\n");
      }
      return;
    case SpriteStatus::NeedsIndices:
      if (directionFile) {
        std::printf(
            "Option -n keeps color indices, but direction file %s holds "
            "true-color pixels\n",
            argument);
      } else {
        std::printf(
            "Option -n keeps color indices, but the image holds true-color "
            "pixels\n");
      }
      return;
    case SpriteStatus::ImagesNotDivisible:
      std::printf("%s images don't divide into 6 directions\n", argument);
      return;
    case SpriteStatus::ActionFrameOutOfRange:
      std::printf("Action frame %s is past the last frame of a direction\n",
                  argument);
      return;
    case SpriteStatus::UnequalDirections:
      std::printf(
          "Direction file %s holds a different number of images than "
          "the input\n",
          argument);
      return;
  }
}

void printFolderProblem(const RunOutcome& outcome) {
  switch (outcome.folder) {
    case FolderStatus::Ok:
    case FolderStatus::Unreadable:
      std::printf("Can't read folder %s\n", outcome.argument.c_str());
      return;
    case FolderStatus::NoImageFile:
      std::printf("Folder %s holds no GIF or PNG file\n",
                  outcome.argument.c_str());
      return;
    case FolderStatus::CanvasMismatch:
      std::printf(
          "File %s is %u x %u, but the first file of its folder is %u x %u\n",
          outcome.file.c_str(), outcome.numbers[0], outcome.numbers[1],
          outcome.numbers[2], outcome.numbers[3]);
      return;
  }
}

void printSheetProblem(const RunOutcome& outcome) {
  switch (outcome.sheet) {
    case SheetStatus::Ok:
    case SheetStatus::NotStill:
      if (outcome.numbers[0] == 0) {
        std::printf("A sprite sheet (-g=) is one image, not a folder\n");
      } else {
        std::printf("A sprite sheet (-g=) is one image, but %s holds %u\n",
                    outcome.argument.c_str(), outcome.numbers[0]);
      }
      return;
    case SheetStatus::DoesNotDivide:
      std::printf(
          "The sheet's %u x %u pixels don't divide into %u x %u cells\n",
          outcome.numbers[0], outcome.numbers[1], outcome.numbers[2],
          outcome.numbers[3]);
      return;
    case SheetStatus::NoMemory:
      std::printf("Not enough memory\n");
      return;
  }
}

}  // namespace

void printOutcome(const RunOutcome& outcome) {
  const char* argument = outcome.argument.c_str();
  const bool directionFile = outcome.source != 0;
  switch (outcome.step) {
    case RunStep::Done:
      std::printf("File converted succesfuly!!!\n");
      return;
    case RunStep::Help:
      return;  // the help text is the whole answer
    case RunStep::Options:
      printOptionProblem(outcome);
      return;
    case RunStep::Palette:
      if (outcome.palette == PaletteFileStatus::NoMemory) break;
      std::printf("Can't read palette file %s: %s\n", argument,
                  paletteFileProblem(outcome.palette));
      return;
    case RunStep::Open:
      if (!outcome.file.empty()) {
        std::printf("Can't open file %s of the folder\n", outcome.file.c_str());
      } else if (directionFile) {
        std::printf("Can't open direction file %s\n", argument);
      } else {
        std::printf("Can't open input file\n");
      }
      return;
    case RunStep::Read:
      if (outcome.gif == GifStatus::NoMemory ||
          outcome.png == PngStatus::NoMemory) {
        break;
      }
      if (outcome.png == PngStatus::TooLarge) {
        std::printf("Image too large for FRM\n");
      } else if (!outcome.file.empty()) {
        std::printf("Can't read file or file corrupted: %s\n",
                    outcome.file.c_str());
      } else if (directionFile) {
        std::printf("Can't read direction file %s\n", argument);
      } else {
        std::printf("Can't read file or file corrupted\n");
      }
      return;
    case RunStep::Folder:
      printFolderProblem(outcome);
      return;
    case RunStep::Sheet:
      printSheetProblem(outcome);
      return;
    case RunStep::Sprite:
      printSpriteProblem(outcome);
      return;
    case RunStep::Output:
      if (outcome.output == platform::OutputFile::CommitResult::CreateFailed) {
        std::printf("Can't create output file\n");
      } else {
        std::printf("Can't write output file\n");
      }
      return;
    case RunStep::NoMemory:
      break;
  }
  std::printf("Not enough memory\n");
}

int exitStatus(const RunOutcome& outcome) {
  return outcome.step == RunStep::Done || outcome.step == RunStep::Help ? 0 : 1;
}
