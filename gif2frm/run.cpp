#include "gif2frm/run.h"

#include <cstdio>
#include <new>
#include <string>
#include <utility>

#include "cli/output_name.h"
#include "color/palette_file.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/conversion.h"
#include "gif2frm/messages.h"
#include "gif2frm/options.h"
#include "gif2frm/sprite_assembly.h"
#include "platform/input_file.h"
#include "platform/output_file.h"

namespace {

// Writes the image to a temporary file beside the target and puts it in place
// of the target only when every byte of it is on disk.
RunOutcome writeFrm(const FrmImage& image, const OutputTarget& target) {
  platform::OutputFile output;
  if (!output.create(target.directory)) return RunOutcome::CantCreateOutput;
  if (image.write(output) != 0) {
    output.discard();
    return RunOutcome::CantWriteOutput;
  }
  switch (output.commit(target.path)) {
    case platform::OutputFile::CommitResult::Ok:
      return RunOutcome::Converted;
    case platform::OutputFile::CommitResult::CreateFailed:
      return RunOutcome::CantCreateOutput;
    case platform::OutputFile::CommitResult::WriteFailed:
      return RunOutcome::CantWriteOutput;
  }
  return RunOutcome::CantWriteOutput;
}

// The input is read through a window of this size, never whole.
constexpr std::size_t kInputWindow = 64 * 1024;

// Opens the GIF at path and loads it into gif, its pixels through
// translation if not null.
RunOutcome loadFile(const char* path, GifFile& gif,
                    PixelTranslation* translation) {
  platform::InputFile file;
  if (!file.open(path)) return RunOutcome::CantOpenInput;
  platform::ByteBuffer window;
  if (!window.allocate(kInputWindow)) return RunOutcome::NoMemory;
  GifInput input(file, window.data(), window.size());
  RunOutcome loaded = loadGif(input, gif, LzwDecoder::instance(), translation);
  // A device error ends the data where it happened, which the load may
  // or may not have noticed; either way the file is not what it seemed.
  if (file.failed()) return RunOutcome::CantReadInput;
  return loaded;
}

// A failure with a direction file of -1= to -5=, told apart from the same
// failure with the input; the message names the file.
RunOutcome directionFileOutcome(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::CantOpenInput:
      return RunOutcome::CantOpenDirectionFile;
    case RunOutcome::CantReadInput:
      return RunOutcome::CantReadDirectionFile;
    case RunOutcome::EmptyGif:
      return RunOutcome::EmptyDirectionFile;
    case RunOutcome::CantTranslate:
      return RunOutcome::CantTranslateDirectionFile;
    default:
      return outcome;
  }
}

// How a conversion ended, and the text its message names.
struct Conversion {
  RunOutcome outcome;
  std::string argument;
};

// The options' consistency is checked first, then the GIFs one by one in the
// order of their directions, 0 (the input) to 5: each is read, checked and
// put into the image, its pixels released, before the next is opened, so
// that one GIF's pixels at a time are in memory besides the sprite. Nothing
// is written before all of them are in.
Conversion convertFiles(const char* inputPath, const Options& options,
                        const PaletteColors* palette) {
  std::string missing;
  const RunOutcome consistent = checkDirectionOptions(options, missing);
  if (consistent != RunOutcome::Converted) return {consistent, missing};

  FrmImage image;
  SpriteAssembly sprite(options, image, palette);
  for (int source = 0; source < sprite.gifCount(); ++source) {
    const char* path =
        source == 0 ? inputPath : options.directionFiles[source].c_str();
    GifFile gif;
    RunOutcome outcome = loadFile(path, gif, sprite.pixelTranslation());
    if (outcome == RunOutcome::Converted) outcome = sprite.add(gif);
    if (outcome != RunOutcome::Converted) {
      if (source == 0) return {outcome, sprite.detail()};
      return {directionFileOutcome(outcome), path};
    }
  }
  return {
      writeFrm(image, outputTarget(outputFileName(inputPath),
                                   options.hasOutputPath ? &options.outputPath
                                                         : nullptr)),
      std::string()};
}

// Reads -p='s palette file. Done right after the options, before any GIF is
// opened, and also with -n, which then does not use it: a run never goes
// ahead with a palette file that could not be read.
RunOutcome readPalette(const std::string& path, PaletteColors& colors,
                       const char*& problem) {
  const PaletteFileStatus status = readPaletteFile(path.c_str(), colors);
  if (status == PaletteFileStatus::Ok) return RunOutcome::Converted;
  if (status == PaletteFileStatus::NoMemory) return RunOutcome::NoMemory;
  problem = paletteFileProblem(status);
  return RunOutcome::CantReadPalette;
}

RunOutcome optionOutcome(OptionError error) {
  switch (error) {
    case OptionError::BadMatchMode:
      return RunOutcome::BadMatchMode;
    case OptionError::BadFrameRate:
      return RunOutcome::BadFrameRate;
    case OptionError::BadActionFrame:
      return RunOutcome::BadActionFrame;
    case OptionError::None:
    case OptionError::Unknown:
      break;
  }
  return RunOutcome::UnknownOption;
}

}  // namespace

int runConverter(int argc, char** argv) {
  printBanner();
  if (argc < 2) {
    printUsage(argc > 0 && argv[0] != nullptr ? argv[0] : "gif2frm");
    std::fflush(stdout);
    return 1;
  }
  Options options;
  RunOutcome outcome;
  std::string argument;
  const char* detail = "";
  PaletteColors paletteColors{};
  const OptionsParse parsed = parseCommandLine(argc, argv, options);
  if (parsed.error != OptionError::None) {
    outcome = optionOutcome(parsed.error);
    argument = argv[parsed.index];
  } else if (options.help) {
    printHelp(argv[0] != nullptr ? argv[0] : "gif2frm");
    outcome = RunOutcome::HelpShown;
  } else {
    outcome = options.hasPaletteFile
                  ? readPalette(options.paletteFile, paletteColors, detail)
                  : RunOutcome::Converted;
    if (outcome != RunOutcome::Converted) {
      argument = options.paletteFile;
    } else {
      try {
        Conversion conversion =
            convertFiles(argv[argc - 1], options,
                         options.hasPaletteFile ? &paletteColors : nullptr);
        outcome = conversion.outcome;
        argument = std::move(conversion.argument);
      } catch (const std::bad_alloc&) {
        // The frame list and the texts of messages are the containers that
        // may throw; every other allocation failure is a result of its own.
        outcome = RunOutcome::NoMemory;
      }
    }
  }
  printOutcome(outcome, argument.c_str(), detail);
  std::fflush(stdout);
  return exitStatus(outcome);
}
