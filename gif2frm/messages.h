// Every way a run can end, and the one place that says what each prints.
#ifndef GIF2FRM_CONVERTER_MESSAGES_H_
#define GIF2FRM_CONVERTER_MESSAGES_H_

enum class RunOutcome {
  Converted,         // the FRM file was written
  UnknownOption,     // an option matched none of the known forms
  CantOpenInput,     // the input file could not be opened
  CantReadInput,     // the GIF is unreadable or corrupt
  EmptyGif,          // the GIF holds no image
  TooLargeForFrm,    // too many frames, or a frame area beyond 4 GiB
  CantTranslate,     // a colour has no palette entry within the delta
  CantCreateOutput,  // the output file could not be created
  CantWriteOutput,   // writing the output file failed; nothing replaced
  NoMemory,          // an allocation failed
  // Outcomes of the opt-in options.
  HelpShown,                   // -h or --help: the option list, status 0
  BadMatchMode,                // -m= names no match mode
  BadFrameRate,                // -f= is neither 0..65535 nor gif
  BadActionFrame,              // -a= is not a number 0..65535
  ActionFrameOutOfRange,       // -a= is past the last frame of a direction
  CantReadPalette,             // -p= names a missing or malformed palette file
  MixedDirectionSources,       // -6 together with -1= to -5=
  MissingDirectionFile,        // some but not all of -1= to -5=
  CantOpenDirectionFile,       // a -1= to -5= file cannot be opened
  CantReadDirectionFile,       // a -1= to -5= file is unreadable or corrupt
  EmptyDirectionFile,          // a -1= to -5= file holds no image
  CantTranslateDirectionFile,  // a colour of a -1= to -5= file has no match
  ImagesNotDivisible,          // -6 with an image count not divisible by 6
  UnequalDirections,           // a direction file has more or fewer images
};

// The banner that starts every run.
void printBanner();
// The usage text, with the program's name as invoked.
void printUsage(const char* programName);
// Everything -h and --help show: the usage text, then the added options
// and examples.
void printHelp(const char* programName);
// The outcome's message; argument fills the %s of those that name an
// argument, a file or a number, and detail says what was wrong where a
// message gives a reason (CantReadPalette).
void printOutcome(RunOutcome outcome, const char* argument = "",
                  const char* detail = "");
// The process exit status of an outcome.
int exitStatus(RunOutcome outcome);

#endif  // GIF2FRM_CONVERTER_MESSAGES_H_
