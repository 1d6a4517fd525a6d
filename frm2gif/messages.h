// Every way a run of frm2gif can end, and the one place that says what each
// prints.
#ifndef GIF2FRM_FRM2GIF_MESSAGES_H_
#define GIF2FRM_FRM2GIF_MESSAGES_H_

enum class ViewerOutcome {
  Written,               // every GIF file was written
  InfoShown,             // -i: the header and the frames were printed
  HelpShown,             // -h or --help: the option list
  UnknownOption,         // an option matched none of the known forms
  CantReadPalette,       // -p= names a missing or malformed palette file
  CantOpenInput,         // the FRM file could not be opened
  CantReadInput,         // reading the FRM file failed
  Truncated,             // the file is shorter than its header says
  BadVersion,            // the version field is not 4
  NoFrames,              // no frames in a direction
  TrailingBytes,         // the file is longer than its header says
  TooManyFrames,         // the frame area cannot hold the frames it counts
  BadDirectionOffset,    // a direction does not start where its offset says
  BadPixelCount,         // a frame's pixel count is not width x height
  FrameOutsideArea,      // a frame runs past the end of the frame area
  AreaNotFilled,         // the frames end before the frame area does
  TooLargeForGif,        // a direction spans more than 65535 pixels
  OutputNeedsDirectory,  // six directions, but -o= names no directory
  CantCreateOutput,      // an output file could not be created
  CantWriteOutput,       // writing an output file failed; nothing replaced
  NoMemory,              // an allocation failed
};

// The banner that starts every run.
void printViewerBanner();
// The usage text, with the program's name as invoked.
void printViewerUsage(const char* programName);
// Everything -h and --help show: the usage text, what is written, examples.
void printViewerHelp(const char* programName);
// The outcome's message; argument fills the %s of those that name an
// argument, a file or a direction.
void printViewerOutcome(ViewerOutcome outcome, const char* argument = "");
// The process exit status of an outcome.
int viewerExitStatus(ViewerOutcome outcome);

#endif  // GIF2FRM_FRM2GIF_MESSAGES_H_
