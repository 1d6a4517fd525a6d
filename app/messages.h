// Every way a run can end, and the one place that says what each prints.
#ifndef GIF2FRM_APP_MESSAGES_H_
#define GIF2FRM_APP_MESSAGES_H_

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
};

// The banner that starts every run.
void printBanner();
// The usage text, with the program's name as invoked.
void printUsage(const char* programName);
// The outcome's message; argument fills "Unknown option %s".
void printOutcome(RunOutcome outcome, const char* argument = "");
// The process exit status of an outcome.
int exitStatus(RunOutcome outcome);

#endif  // GIF2FRM_APP_MESSAGES_H_
