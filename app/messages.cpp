#include "app/messages.h"

#include <cstdio>

void printBanner() {
  std::printf("Brastok converter, version 0.1alpha\n");
  std::printf("gif2frm: GIF to FRM sprite converter, by the gif2frm developers\n");
  std::printf("\n");
}

void printUsage(const char* programName) {
  std::printf("Usage: %s [options] file.gif\n", programName);
  std::printf("\n");
  std::printf("Options:\n");
  std::printf("  -d=Value\tSet color delta to Value (default 4)\n");
  std::printf("  -n\t\tDon't translate color tables\n");
  std::printf("  -x=Value\tSet shift in the X direction to Value (default 0)\n");
  std::printf("  -y=Value\tSet shift in the Y direction to Value (default 0)\n");
}

void printOutcome(RunOutcome outcome, const char* argument) {
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
  }
}

int exitStatus(RunOutcome outcome) {
  return outcome == RunOutcome::Converted ? 0 : 1;
}
