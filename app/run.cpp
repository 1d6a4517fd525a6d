#include "app/run.h"

#include <cstdio>
#include <new>

#include "app/messages.h"
#include "app/options.h"
#include "gif/gif_file.h"
#include "platform/input_file.h"

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

RunOutcome convertFile(const char* inputPath, const Options& /*options*/) {
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
  return RunOutcome::Converted;
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
