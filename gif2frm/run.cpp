#include "gif2frm/run.h"

#include <cstdio>
#include <new>
#include <string>
#include <utility>

#include "cli/output_name.h"
#include "color/palette_file.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/conversion.h"
#include "gif2frm/input_reader.h"
#include "gif2frm/messages.h"
#include "gif2frm/options.h"
#include "gif2frm/sprite_assembly.h"
#include "platform/directory.h"
#include "platform/input_file.h"
#include "platform/output_file.h"

namespace {

RunOutcome endedAt(RunStep step) {
  RunOutcome outcome;
  outcome.step = step;
  return outcome;
}

// Writes the image to a temporary file beside the target and puts it in place
// of the target only when every byte of it is on disk.
RunOutcome writeFrm(const FrmImage& image, const OutputTarget& target) {
  RunOutcome outcome;
  platform::OutputFile output;
  if (!output.create(target.directory)) {
    outcome.output = platform::OutputFile::CommitResult::CreateFailed;
  } else if (image.write(output) != 0) {
    output.discard();
    outcome.output = platform::OutputFile::CommitResult::WriteFailed;
  } else {
    outcome.output = output.commit(target.path);
  }
  if (outcome.output != platform::OutputFile::CommitResult::Ok) {
    outcome.step = RunStep::Output;
  }
  return outcome;
}

// The name the output is named after: the input's path, or a folder's
// without the separators after its name (renders/walk/ gives walk.frm).
std::string inputName(const char* inputPath) {
  std::string name(inputPath);
  if (platform::isDirectory(inputPath)) {
    while (name.size() > 1 && (name.back() == '/' || name.back() == '\\')) {
      name.pop_back();
    }
  }
  return name;
}

// Reads input number source (0 the last argument, 1 to 5 the files of -1=
// to -5=) at path and adds its images to the sprite. A failure names the
// number its message gives for the input, the file for a direction file.
RunOutcome addInput(int source, const std::string& path,
                    SpriteAssembly& sprite) {
  InputReader reader(sprite);
  SourceImage image;
  RunOutcome outcome = reader.read(path, image);
  if (outcome.done()) {
    outcome.sprite = sprite.add(image);
    if (outcome.sprite != SpriteStatus::Ok) outcome.step = RunStep::Sprite;
  }
  outcome.source = source;
  if (!outcome.done()) {
    const bool namesFile = source != 0 || outcome.step == RunStep::Folder ||
                           outcome.step == RunStep::Sheet;
    outcome.argument = namesFile ? path : sprite.detail();
  }
  return outcome;
}

// The options' consistency is checked first, then the inputs one by one in
// the order of their directions, 0 (the input) to 5: each is read, checked
// and put into the image, its pixels released, before the next is opened,
// so that one input's pixels at a time are in memory besides the sprite.
// Nothing is written before all of them are in.
RunOutcome convertFiles(const char* inputPath, const Options& options,
                        const PaletteColors* palette) {
  RunOutcome outcome;
  outcome.option = checkDirectionOptions(options, outcome.argument);
  if (outcome.option != OptionStatus::Ok) {
    outcome.step = RunStep::Options;
    return outcome;
  }
  FrmImage image;
  SpriteAssembly sprite(options, image, palette);
  for (int source = 0; source < sprite.inputCount(); ++source) {
    const char* path =
        source == 0 ? inputPath : options.directionFiles[source].c_str();
    outcome = addInput(source, path, sprite);
    if (!outcome.done()) return outcome;
  }
  return writeFrm(
      image,
      outputTarget(outputFileName(inputName(inputPath)),
                   options.hasOutputPath ? &options.outputPath : nullptr));
}

// Reads -p='s palette file. Done right after the options, before any input
// is opened, and also with -n, which then does not use it: a run never goes
// ahead with a palette file that could not be read.
RunOutcome readPalette(const std::string& path, PaletteColors& colors) {
  RunOutcome outcome;
  outcome.palette = readPaletteFile(path.c_str(), colors);
  if (outcome.palette != PaletteFileStatus::Ok) {
    outcome.step = RunStep::Palette;
    outcome.argument = path;
  }
  return outcome;
}

// Everything after the banner and the usage test.
RunOutcome runCommandLine(int argc, char** argv, PaletteColors& palette) {
  Options options;
  const OptionsParse parsed = parseCommandLine(argc, argv, options);
  if (parsed.status != OptionStatus::Ok) {
    RunOutcome outcome = endedAt(RunStep::Options);
    outcome.option = parsed.status;
    outcome.argument = argv[parsed.index];
    return outcome;
  }
  if (options.help) {
    printHelp(argv[0] != nullptr ? argv[0] : "gif2frm");
    return endedAt(RunStep::Help);
  }
  if (options.hasPaletteFile) {
    RunOutcome read = readPalette(options.paletteFile, palette);
    if (!read.done()) return read;
  }
  try {
    return convertFiles(argv[argc - 1], options,
                        options.hasPaletteFile ? &palette : nullptr);
  } catch (const std::bad_alloc&) {
    // The frame list and the texts of messages are the containers that
    // may throw; every other allocation failure is a result of its own.
    return endedAt(RunStep::NoMemory);
  }
}

}  // namespace

int runConverter(int argc, char** argv) {
  printBanner();
  if (argc < 2) {
    printUsage(argc > 0 && argv[0] != nullptr ? argv[0] : "gif2frm");
    std::fflush(stdout);
    return 1;
  }
  PaletteColors palette{};
  const RunOutcome outcome = runCommandLine(argc, argv, palette);
  printOutcome(outcome);
  std::fflush(stdout);
  return exitStatus(outcome);
}
