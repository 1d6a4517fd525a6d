#include "frm2gif/run.h"

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/output_name.h"
#include "frm/frm_reader.h"
#include "frm2gif/messages.h"
#include "frm2gif/options.h"
#include "frm2gif/palette.h"
#include "frm2gif/sprite_gif.h"
#include "frm2gif/sprite_info.h"
#include "frm2gif/sprite_layout.h"
#include "platform/directory.h"
#include "platform/input_file.h"
#include "platform/output_file.h"

namespace {

ViewerOutcome readOutcome(FrmReadStatus status) {
  switch (status) {
    case FrmReadStatus::Ok:
      return ViewerOutcome::Written;
    case FrmReadStatus::Truncated:
      return ViewerOutcome::Truncated;
    case FrmReadStatus::BadVersion:
      return ViewerOutcome::BadVersion;
    case FrmReadStatus::NoFrames:
      return ViewerOutcome::NoFrames;
    case FrmReadStatus::TrailingBytes:
      return ViewerOutcome::TrailingBytes;
    case FrmReadStatus::TooManyFrames:
      return ViewerOutcome::TooManyFrames;
    case FrmReadStatus::BadDirectionOffset:
      return ViewerOutcome::BadDirectionOffset;
    case FrmReadStatus::BadPixelCount:
      return ViewerOutcome::BadPixelCount;
    case FrmReadStatus::FrameOutsideArea:
      return ViewerOutcome::FrameOutsideArea;
    case FrmReadStatus::AreaNotFilled:
      return ViewerOutcome::AreaNotFilled;
    case FrmReadStatus::ReadFailed:
      return ViewerOutcome::CantReadInput;
    case FrmReadStatus::NoMemory:
      return ViewerOutcome::NoMemory;
  }
  return ViewerOutcome::CantReadInput;
}

// Reads the whole sprite; Written when it is in image.
ViewerOutcome readSprite(const char* path, FrmImage& image) {
  platform::InputFile file;
  if (!file.open(path)) return ViewerOutcome::CantOpenInput;
  std::uint64_t size = 0;
  if (!file.size(size)) return ViewerOutcome::CantReadInput;
  const FrmReadStatus status = readFrm(file, size, image);
  // A device error ends the data where it happened; whatever the reader
  // made of that, the file was not read.
  if (file.failed()) return ViewerOutcome::CantReadInput;
  return readOutcome(status);
}

// The files the directions go to, in direction order; an empty list and
// OutputNeedsDirectory when six directions have no directory to go to.
ViewerOutcome outputTargets(const std::string& inputPath, int directions,
                            const ViewerOptions& options,
                            std::vector<OutputTarget>& targets) {
  const std::string* outputPath =
      options.hasOutputPath ? &options.outputPath : nullptr;
  const std::string base = baseFileName(inputPath);
  if (directions == 1) {
    targets.push_back(outputTarget(base + ".gif", outputPath));
    return ViewerOutcome::Written;
  }
  if (outputPath != nullptr &&
      (outputPath->empty() || !platform::isDirectory(outputPath->c_str()))) {
    return ViewerOutcome::OutputNeedsDirectory;
  }
  for (int d = 0; d < directions; ++d) {
    targets.push_back(
        outputTarget(base + "_" + std::to_string(d) + ".gif", outputPath));
  }
  return ViewerOutcome::Written;
}

// Writes every direction to a temporary file beside its target and flushes
// them all before the first is renamed: a failure while writing leaves
// every target as it was.
ViewerOutcome writeGifs(const FrmImage& image,
                        const std::vector<DirectionPicture>& layouts,
                        const PaletteColors& colors,
                        const std::vector<OutputTarget>& targets) {
  // A directory in a target's place would refuse its rename after the
  // directions before it were replaced: refused before anything is made.
  for (const OutputTarget& target : targets) {
    if (platform::isDirectory(target.path.c_str())) {
      return ViewerOutcome::CantCreateOutput;
    }
  }
  std::vector<std::unique_ptr<platform::OutputFile>> files;
  for (std::size_t d = 0; d < targets.size(); ++d) {
    // Encoded before its temporary file exists, so that a run killed while
    // encoding a large sprite leaves no file behind.
    const std::vector<std::uint8_t> gif =
        directionGif(image, static_cast<int>(d), layouts[d], colors);
    files.push_back(std::make_unique<platform::OutputFile>());
    platform::OutputFile& file = *files.back();
    if (!file.create(targets[d].directory)) {
      return ViewerOutcome::CantCreateOutput;
    }
    if (!file.write(gif.data(), gif.size()) ||
        file.finish() != platform::OutputFile::CommitResult::Ok) {
      return ViewerOutcome::CantWriteOutput;
    }
  }
  for (std::size_t d = 0; d < targets.size(); ++d) {
    switch (files[d]->commit(targets[d].path)) {
      case platform::OutputFile::CommitResult::Ok:
        break;
      case platform::OutputFile::CommitResult::WriteFailed:
        return ViewerOutcome::CantWriteOutput;
      case platform::OutputFile::CommitResult::CreateFailed:
        return ViewerOutcome::CantCreateOutput;
    }
  }
  return ViewerOutcome::Written;
}

// What the success message names: the file, or the first and the last.
std::string writtenFiles(const std::vector<OutputTarget>& targets) {
  if (targets.size() == 1) return targets.front().path;
  return targets.front().path + " to " + targets.back().path;
}

ViewerOutcome viewFile(const char* inputPath, const ViewerOptions& options,
                       std::string& argument) {
  PaletteColors colors;
  const PaletteFileStatus palette = loadViewerPalette(options, colors);
  if (palette != PaletteFileStatus::Ok) {
    // Named with the reason, as gif2frm names it.
    argument = options.paletteFile + ": " + paletteFileProblem(palette);
    return ViewerOutcome::CantReadPalette;
  }
  FrmImage image;
  const ViewerOutcome read = readSprite(inputPath, image);
  if (read != ViewerOutcome::Written) return read;

  const int directions = frmDirectionCount(image);
  std::vector<DirectionPicture> layouts;
  for (int d = 0; d < directions; ++d) {
    layouts.push_back(layOutDirection(image, d));
  }
  if (options.infoOnly) {
    printSpriteInfo(image, layouts);
    return ViewerOutcome::InfoShown;
  }
  for (int d = 0; d < directions; ++d) {
    if (!layouts[d].fitsGif()) {
      argument = std::to_string(d);
      return ViewerOutcome::TooLargeForGif;
    }
  }
  std::vector<OutputTarget> targets;
  const ViewerOutcome named =
      outputTargets(inputPath, directions, options, targets);
  if (named != ViewerOutcome::Written) return named;
  const ViewerOutcome written = writeGifs(image, layouts, colors, targets);
  if (written == ViewerOutcome::Written) argument = writtenFiles(targets);
  return written;
}

}  // namespace

int runViewer(int argc, char** argv) {
  printViewerBanner();
  const char* programName =
      argc > 0 && argv[0] != nullptr ? argv[0] : "frm2gif";
  if (argc < 2) {
    printViewerUsage(programName);
    std::fflush(stdout);
    return 1;
  }
  ViewerOptions options;
  ViewerOutcome outcome;
  std::string argument;
  if (const int stopped = parseViewerOptions(argc, argv, options);
      stopped != 0) {
    outcome = ViewerOutcome::UnknownOption;
    argument = argv[stopped];
  } else if (options.help) {
    printViewerHelp(programName);
    outcome = ViewerOutcome::HelpShown;
  } else {
    try {
      outcome = viewFile(argv[argc - 1], options, argument);
    } catch (const std::bad_alloc&) {
      // The layouts and the GIF encoder hold their data in containers; the
      // sprite itself is read without exceptions.
      outcome = ViewerOutcome::NoMemory;
    }
  }
  printViewerOutcome(outcome, argument.c_str());
  std::fflush(stdout);
  return viewerExitStatus(outcome);
}
