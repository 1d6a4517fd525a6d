#include "frm2gif/run.h"

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "cli/output_name.h"
#include "frm/frm_reader.h"
#include "frm2gif/messages.h"
#include "frm2gif/options.h"
#include "frm2gif/palette.h"
#include "frm2gif/sprite_gif.h"
#include "frm2gif/sprite_info.h"
#include "frm2gif/sprite_layout.h"
#include "frm2gif/way_back.h"
#include "platform/directory.h"
#include "platform/input_file.h"
#include "platform/output_file.h"

namespace {

Frm2gifResult failed(Frm2gifOutcome outcome, std::string argument = "") {
  Frm2gifResult result;
  result.outcome = outcome;
  result.argument = std::move(argument);
  return result;
}

// Reads the whole sprite into image.
Frm2gifResult readSprite(const char* path, FrmImage& image) {
  platform::InputFile file;
  if (!file.open(path)) return failed(Frm2gifOutcome::CantOpenInput);
  std::uint64_t size = 0;
  FrmReadStatus status = FrmReadStatus::ReadFailed;
  if (file.size(size)) {
    status = readFrm(file, size, image);
    // A device error ends the data where it happened; whatever the reader
    // made of that, the file was not read.
    if (file.failed()) status = FrmReadStatus::ReadFailed;
  }
  Frm2gifResult result;
  if (status != FrmReadStatus::Ok) {
    result.outcome = Frm2gifOutcome::CantReadSprite;
    result.spriteStatus = status;
  }
  return result;
}

// The files the directions go to, in direction order; an empty list and
// OutputNeedsDirectory when six directions have no directory to go to.
Frm2gifOutcome outputTargets(const std::string& inputPath, int directions,
                             const Frm2gifOptions& options,
                             std::vector<OutputTarget>& targets) {
  const std::string* outputPath =
      options.hasOutputPath ? &options.outputPath : nullptr;
  const std::string base = baseFileName(inputPath);
  if (directions == 1) {
    targets.push_back(outputTarget(base + ".gif", outputPath));
    return Frm2gifOutcome::Ok;
  }
  if (outputPath != nullptr &&
      (outputPath->empty() || !platform::isDirectory(outputPath->c_str()))) {
    return Frm2gifOutcome::OutputNeedsDirectory;
  }
  for (int d = 0; d < directions; ++d) {
    targets.push_back(
        outputTarget(base + "_" + std::to_string(d) + ".gif", outputPath));
  }
  return Frm2gifOutcome::Ok;
}

// Writes every direction to a temporary file beside its target and flushes
// them all before the first is renamed: a failure while writing leaves
// every target as it was.
Frm2gifOutcome writeGifs(const FrmImage& image,
                         const std::vector<DirectionPicture>& layouts,
                         const PaletteColors& colors,
                         const std::vector<OutputTarget>& targets,
                         const std::string& comment) {
  // A directory in a target's place would refuse its rename after the
  // directions before it were replaced: refused before anything is made.
  for (const OutputTarget& target : targets) {
    if (platform::isDirectory(target.path.c_str())) {
      return Frm2gifOutcome::CantCreateOutput;
    }
  }
  std::vector<std::unique_ptr<platform::OutputFile>> files;
  for (std::size_t d = 0; d < targets.size(); ++d) {
    // Encoded before its temporary file exists, so that a run killed while
    // encoding a large sprite leaves no file behind.
    const std::vector<std::uint8_t> gif =
        directionGif(image, static_cast<int>(d), layouts[d], colors, comment);
    files.push_back(std::make_unique<platform::OutputFile>());
    platform::OutputFile& file = *files.back();
    if (!file.create(targets[d].directory)) {
      return Frm2gifOutcome::CantCreateOutput;
    }
    if (!file.write(gif.data(), gif.size()) ||
        file.finish() != platform::OutputFile::CommitResult::Ok) {
      return Frm2gifOutcome::CantWriteOutput;
    }
  }
  for (std::size_t d = 0; d < targets.size(); ++d) {
    switch (files[d]->commit(targets[d].path)) {
      case platform::OutputFile::CommitResult::Ok:
        break;
      case platform::OutputFile::CommitResult::WriteFailed:
        return Frm2gifOutcome::CantWriteOutput;
      case platform::OutputFile::CommitResult::CreateFailed:
        return Frm2gifOutcome::CantCreateOutput;
    }
  }
  return Frm2gifOutcome::Ok;
}

// What the success message names: the file, or the first and the last.
std::string writtenFiles(const std::vector<OutputTarget>& targets) {
  if (targets.size() == 1) return targets.front().path;
  return targets.front().path + " to " + targets.back().path;
}

std::vector<std::string> targetPaths(const std::vector<OutputTarget>& targets) {
  std::vector<std::string> paths;
  for (const OutputTarget& target : targets) paths.push_back(target.path);
  return paths;
}

// The first direction too large for a GIF, or -1.
int firstTooLarge(const std::vector<DirectionPicture>& layouts) {
  for (std::size_t d = 0; d < layouts.size(); ++d) {
    if (!layouts[d].fitsGif()) return static_cast<int>(d);
  }
  return -1;
}

// -i: the sprite, then the way back from the GIFs that the same options
// would write; a direction too large for a GIF has none.
void printInfo(const FrmImage& image,
               const std::vector<DirectionPicture>& layouts,
               const char* inputPath, const Frm2gifOptions& options) {
  printSpriteInfo(image, layouts);
  const int tooLarge = firstTooLarge(layouts);
  if (tooLarge >= 0) {
    printFrm2gifResult(
        failed(Frm2gifOutcome::TooLargeForGif, std::to_string(tooLarge)));
    return;
  }
  // Where -o= cannot take six GIFs, the command names them as a run
  // without it writes them.
  std::vector<OutputTarget> targets;
  if (outputTargets(inputPath, frmDirectionCount(image), options, targets) !=
      Frm2gifOutcome::Ok) {
    outputTargets(inputPath, frmDirectionCount(image), Frm2gifOptions(),
                  targets);
  }
  const WayBack way = wayBack(image, layouts, inputPath, targetPaths(targets));
  printWayBackNotes(way.notes);
  printWayBackCommand(way);
}

Frm2gifResult showFile(const char* inputPath, const Frm2gifOptions& options) {
  PaletteColors colors;
  const PaletteFileStatus palette = loadShownPalette(options, colors);
  if (palette != PaletteFileStatus::Ok) {
    Frm2gifResult result =
        failed(Frm2gifOutcome::CantReadPalette, options.paletteFile);
    result.paletteStatus = palette;
    return result;
  }
  FrmImage image;
  const Frm2gifResult read = readSprite(inputPath, image);
  if (read.outcome != Frm2gifOutcome::Ok) return read;

  const int directions = frmDirectionCount(image);
  std::vector<DirectionPicture> layouts;
  for (int d = 0; d < directions; ++d) {
    layouts.push_back(layOutDirection(image, d));
  }
  if (options.infoOnly) {
    printInfo(image, layouts, inputPath, options);
    return Frm2gifResult();
  }
  if (const int tooLarge = firstTooLarge(layouts); tooLarge >= 0) {
    return failed(Frm2gifOutcome::TooLargeForGif, std::to_string(tooLarge));
  }
  std::vector<OutputTarget> targets;
  const Frm2gifOutcome named =
      outputTargets(inputPath, directions, options, targets);
  if (named != Frm2gifOutcome::Ok) return failed(named);
  const WayBack way = wayBack(image, layouts, inputPath, targetPaths(targets));
  const Frm2gifOutcome written =
      writeGifs(image, layouts, colors, targets, way.command);
  if (written != Frm2gifOutcome::Ok) return failed(written);
  printWayBackNotes(way.notes);
  printWritten(writtenFiles(targets));
  return Frm2gifResult();
}

}  // namespace

int runFrm2gif(int argc, char** argv) {
  printFrm2gifBanner();
  const char* programName =
      argc > 0 && argv[0] != nullptr ? argv[0] : "frm2gif";
  if (argc < 2) {
    printFrm2gifUsage(programName);
    std::fflush(stdout);
    return 1;
  }
  Frm2gifOptions options;
  Frm2gifResult result;
  if (const int stopped = parseFrm2gifOptions(argc, argv, options);
      stopped != 0) {
    result = failed(Frm2gifOutcome::UnknownOption, argv[stopped]);
  } else if (options.help) {
    printFrm2gifHelp(programName);
  } else {
    try {
      result = showFile(argv[argc - 1], options);
    } catch (const std::bad_alloc&) {
      // The layouts, the way back and the GIF encoder hold their data in
      // containers; the sprite itself is read without exceptions.
      result = failed(Frm2gifOutcome::NoMemory);
    }
  }
  printFrm2gifResult(result);
  std::fflush(stdout);
  return frm2gifExitStatus(result);
}
