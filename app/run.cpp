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

// Writes the image to a temporary file and puts it in place of outputName
// only when every byte of it is on disk.
RunOutcome writeFrm(const FrmImage& image, const std::string& outputName) {
  platform::OutputFile output;
  if (!output.create()) return RunOutcome::CantCreateOutput;
  if (image.write(output) != 0) {
    output.discard();
    return RunOutcome::CantWriteOutput;
  }
  switch (output.commit(outputName)) {
    case platform::OutputFile::CommitResult::Ok:
      return RunOutcome::Converted;
    case platform::OutputFile::CommitResult::CreateFailed:
      return RunOutcome::CantCreateOutput;
    case platform::OutputFile::CommitResult::WriteFailed:
      return RunOutcome::CantWriteOutput;
  }
  return RunOutcome::CantWriteOutput;
}

RunOutcome convertFile(const char* inputPath, const Options& options) {
  GifFile gif;
  FrmImage image;  // destroyed before gif
  {
    platform::InputFile input;
    if (!input.open(inputPath)) return RunOutcome::CantOpenInput;
    platform::ByteBuffer bytes;
    std::size_t size = 0;
    switch (input.readAll(bytes, size)) {
      case platform::InputFile::ReadResult::Ok:
        break;
      case platform::InputFile::ReadResult::NoMemory:
        return RunOutcome::NoMemory;
      case platform::InputFile::ReadResult::ReadFailed:
        return RunOutcome::CantReadInput;
    }
    input.close();
    RunOutcome loaded = loadGif(bytes.data(), size, gif, LzwDecoder::instance());
    if (loaded != RunOutcome::Converted) return loaded;
  }  // the file's bytes are gone before the FRM image takes its memory
  RunOutcome built = assembleFrm(gif, options, image);
  if (built != RunOutcome::Converted) return built;
  return writeFrm(image, outputFileName(inputPath));
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
  int unknown = parseOptions(argc, argv, options);
  if (unknown != 0) {
    outcome = RunOutcome::UnknownOption;
    argument = argv[unknown];
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
