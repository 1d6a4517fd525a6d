#include "app/run.h"

#include <cstdio>
#include <new>
#include <string>

#include "app/conversion.h"
#include "app/messages.h"
#include "app/options.h"
#include "app/output_name.h"
#include "gif/lzw_decoder.h"
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

RunOutcome convertFile(const char* inputPath, const Options& options) {
  GifFile gif;
  FrmImage image;  // destroyed before gif
  {
    platform::InputFile file;
    if (!file.open(inputPath)) return RunOutcome::CantOpenInput;
    platform::ByteBuffer window;
    if (!window.allocate(kInputWindow)) return RunOutcome::NoMemory;
    GifInput input(file, window.data(), window.size());
    RunOutcome loaded = loadGif(input, gif, LzwDecoder::instance());
    // A device error ends the data where it happened, which the load may
    // or may not have noticed; either way the file is not what it seemed.
    if (file.failed()) return RunOutcome::CantReadInput;
    if (loaded != RunOutcome::Converted) return loaded;
  }
  RunOutcome built = assembleFrm(gif, options, image);
  if (built != RunOutcome::Converted) return built;
  return writeFrm(image,
                  outputTarget(outputFileName(inputPath),
                               options.hasOutputPath ? &options.outputPath
                                                     : nullptr));
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
  const char* argument = "";
  const OptionsParse parsed = parseCommandLine(argc, argv, options);
  if (parsed.error != OptionError::None) {
    outcome = optionOutcome(parsed.error);
    argument = argv[parsed.index];
  } else if (options.help) {
    printHelp(argv[0] != nullptr ? argv[0] : "gif2frm");
    outcome = RunOutcome::HelpShown;
  } else {
    try {
      outcome = convertFile(argv[argc - 1], options);
    } catch (const std::bad_alloc&) {
      // The frame list is the one container that may throw; every other
      // allocation failure is a result of its own.
      outcome = RunOutcome::NoMemory;
    }
  }
  printOutcome(outcome, argument);
  std::fflush(stdout);
  return exitStatus(outcome);
}
