// Every way a run can end, and the one place that says what each prints.
#ifndef GIF2FRM_CONVERTER_MESSAGES_H_
#define GIF2FRM_CONVERTER_MESSAGES_H_

#include <cstdint>
#include <string>

#include "color/palette_file.h"
#include "gif/gif_file.h"
#include "gif2frm/frame_assembly.h"
#include "gif2frm/options.h"
#include "gif2frm/sprite_sheet.h"
#include "platform/output_file.h"
#include "png/png_reader.h"

// Which step of a run ended it.
enum class RunStep {
  Done,      // the FRM file was written
  Help,      // -h or --help: the option list, status 0
  Options,   // the command line cannot be run: RunOutcome::option says why
  Palette,   // -p='s file cannot be read: RunOutcome::palette says why
  Open,      // the input file cannot be opened
  Read,      // the input file is unreadable or corrupt: RunOutcome::gif or
             // RunOutcome::png says why
  Folder,    // a folder of frames makes no image: RunOutcome::folder
  Sheet,     // -g= cannot cut the input into cells: RunOutcome::sheet
  Sprite,    // its images make no sprite: RunOutcome::sprite says why
  Output,    // the FRM file cannot be written: RunOutcome::output
  NoMemory,  // an allocation failed outside the steps above
};

// What is wrong with a folder of frames.
enum class FolderStatus {
  Ok,
  Unreadable,      // its list of files cannot be had
  NoImageFile,     // it holds no GIF, PNG or APNG file
  CanvasMismatch,  // a file's canvas is not the first file's
};

// How a run ended: the step that ended it with that step's own status, the
// input it concerns, and the text its message names.
struct RunOutcome {
  RunStep step = RunStep::Done;
  OptionStatus option = OptionStatus::Ok;
  PaletteFileStatus palette = PaletteFileStatus::Ok;
  GifStatus gif = GifStatus::Ok;
  PngStatus png = PngStatus::Ok;
  FolderStatus folder = FolderStatus::Ok;
  SheetStatus sheet = SheetStatus::Ok;
  SpriteStatus sprite = SpriteStatus::Ok;
  platform::OutputFile::CommitResult output =
      platform::OutputFile::CommitResult::Ok;
  // The input: 0 the last argument, 1 to 5 the file of -1= to -5=.
  int source = 0;
  // What the message names: an argument, a file's name, a number.
  std::string argument;
  // The file of a folder that the outcome concerns; empty for a file that
  // is the input itself.
  std::string file;
  // The numbers a message gives: the canvas of a folder's file that does
  // not fit and its first file's (width, height, width, height); a sheet's
  // canvas and cells (width, height, columns, rows) or its image count.
  std::uint32_t numbers[4] = {};

  bool done() const { return step == RunStep::Done; }
};

// The banner that starts every run.
void printBanner();
// The usage text, with the program's name as invoked.
void printUsage(const char* programName);
// Everything -h and --help show: the usage text, then the added options
// and examples.
void printHelp(const char* programName);
// The outcome's message.
void printOutcome(const RunOutcome& outcome);
// The process exit status of an outcome.
int exitStatus(const RunOutcome& outcome);

#endif  // GIF2FRM_CONVERTER_MESSAGES_H_
