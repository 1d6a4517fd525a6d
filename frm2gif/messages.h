// Every way a run of frm2gif can end, and the one place that says what each
// prints.
#ifndef GIF2FRM_FRM2GIF_MESSAGES_H_
#define GIF2FRM_FRM2GIF_MESSAGES_H_

#include <string>
#include <vector>

#include "color/palette_file.h"
#include "frm/frm_reader.h"
#include "frm2gif/way_back.h"

enum class Frm2gifOutcome {
  Ok,                    // nothing went wrong
  UnknownOption,         // an option matched none of the known forms
  CantReadPalette,       // -p= names a palette file that paletteStatus
                         // says is missing, unreadable or malformed
  CantOpenInput,         // the FRM file could not be opened
  CantReadSprite,        // spriteStatus says what is wrong with the file
  TooLargeForGif,        // a direction spans more than 65535 pixels
  OutputNeedsDirectory,  // six directions, but -o= names no directory
  CantCreateOutput,      // an output file could not be created
  CantWriteOutput,       // writing an output file failed; nothing replaced
  NoMemory,              // an allocation failed
};

struct Frm2gifResult {
  Frm2gifOutcome outcome = Frm2gifOutcome::Ok;
  // What the message names: the option, the palette file or the direction.
  std::string argument;
  PaletteFileStatus paletteStatus = PaletteFileStatus::Ok;
  FrmReadStatus spriteStatus = FrmReadStatus::Ok;
};

// The banner that starts every run.
void printFrm2gifBanner();
// The usage text, with the program's name as invoked.
void printFrm2gifUsage(const char* programName);
// Everything -h and --help show: the usage text, what is written, examples.
void printFrm2gifHelp(const char* programName);
// The lines that say what the GIFs do not give back, if anything.
void printWayBackNotes(const std::vector<WayBackNote>& notes);
// What -i ends with: the gif2frm command that makes the sprite of the GIFs.
void printWayBackCommand(const WayBack& way);
// The message of a run that wrote files: the file, or the first and the last.
void printWritten(const std::string& files);
// The message of a failed run; nothing for Ok.
void printFrm2gifResult(const Frm2gifResult& result);
// The process exit status of a run.
int frm2gifExitStatus(const Frm2gifResult& result);

#endif  // GIF2FRM_FRM2GIF_MESSAGES_H_
