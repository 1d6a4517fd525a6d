#include "app/run.h"

#include <cstdio>
#include <new>
#include <string>

#include "app/frame_assembly.h"
#include "app/messages.h"
#include "app/options.h"
#include "app/output_name.h"
#include "frm/frm_image.h"
#include "gif/gif_file.h"
#include "platform/input_file.h"
#include "platform/output_file.h"

namespace {

RunOutcome loadOutcome(GifStatus status) {
  switch (status) {
    case GifStatus::Ok:
      return RunOutcome::Converted;
    case GifStatus::NoMemory:
      return RunOutcome::NoMemory;
    default:
      return RunOutcome::CantReadInput;
  }
}

RunOutcome assemblyOutcome(AssemblyStatus status) {
  switch (status) {
    case AssemblyStatus::Ok:
      return RunOutcome::Converted;
    case AssemblyStatus::CantTranslate:
      return RunOutcome::CantTranslate;
    case AssemblyStatus::NoMemory:
      return RunOutcome::NoMemory;
  }
  return RunOutcome::NoMemory;
}

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
  {
    platform::InputFile input;
    if (!input.open(inputPath)) return RunOutcome::CantOpenInput;
    platform::ByteBuffer bytes;
    std::size_t size = 0;
    if (input.readAll(bytes, size) != platform::InputFile::ReadResult::Ok) {
      return RunOutcome::NoMemory;
    }
    input.close();
    GifInput stream(bytes.data(), size);
    RunOutcome loaded = loadOutcome(gif.load(stream));
    if (loaded != RunOutcome::Converted) return loaded;
  }
  if (gif.frames.empty()) return RunOutcome::EmptyGif;
  // Checked before any colour is matched, so that the outcome for such a
  // file does not depend on its colours.
  if (!fitsInFrm(gif)) return RunOutcome::TooLargeForFrm;

  FrmImage image;
  RunOutcome built = assemblyOutcome(buildFrmImage(gif, options, image));
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
      outcome = RunOutcome::NoMemory;
    }
  }
  printOutcome(outcome, argument);
  std::fflush(stdout);
  return exitStatus(outcome);
}
