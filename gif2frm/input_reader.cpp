#include "gif2frm/input_reader.h"

#include <algorithm>
#include <cstring>

#include "gif/lzw_decoder.h"
#include "gif2frm/gif_source.h"
#include "gif2frm/natural_order.h"
#include "platform/directory.h"
#include "platform/input_file.h"
#include "platform/memory_source.h"
#include "png/png_reader.h"

namespace {

// The input is read through a window of this size, never whole.
constexpr std::size_t kInputWindow = 64 * 1024;

constexpr std::size_t kGifSignatureLength = 6;

// A source whose first piece is read ahead, to tell what the file is from
// its first bytes, and then handed out again before the rest: a small file
// still arrives in one read.
class PeekedSource : public platform::ByteSource {
 public:
  // head: room for the first piece, as large as a reader's window.
  PeekedSource(platform::ByteSource& inner, platform::ByteBuffer& head)
      : inner_(inner), head_(head) {}

  // Reads the first piece: at least the signatures' bytes unless the data
  // ends first.
  void peek() {
    while (headSize_ < kPngSignatureLength) {
      const std::size_t got =
          inner_.readSome(head_.data() + headSize_, head_.size() - headSize_);
      if (got == 0) break;
      headSize_ += got;
    }
  }
  bool isPng() const {
    return headSize_ >= kPngSignatureLength && isPngSignature(head_.data());
  }
  bool isGif() const {
    return headSize_ >= kGifSignatureLength &&
           (std::memcmp(head_.data(), "GIF87a", kGifSignatureLength) == 0 ||
            std::memcmp(head_.data(), "GIF89a", kGifSignatureLength) == 0);
  }

  std::size_t readSome(std::uint8_t* buffer, std::size_t size) override {
    if (served_ == headSize_) return inner_.readSome(buffer, size);
    const std::size_t count = std::min(size, headSize_ - served_);
    std::memcpy(buffer, head_.data() + served_, count);
    served_ += count;
    return count;
  }

 private:
  platform::ByteSource& inner_;
  platform::ByteBuffer& head_;
  std::size_t headSize_ = 0;
  std::size_t served_ = 0;
};

RunOutcome endedAt(RunStep step) {
  RunOutcome outcome;
  outcome.step = step;
  return outcome;
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + "/" + name;
}

}  // namespace

RunOutcome loadGif(GifInput& input, GifFile& gif, LzwDecoder& decoder,
                   PixelTranslation* translation) {
  RunOutcome outcome;
  outcome.gif = gif.load(input, decoder, translation);
  if (outcome.gif != GifStatus::Ok) outcome.step = RunStep::Read;
  return outcome;
}

RunOutcome InputReader::read(const std::string& path, SourceImage& image) {
  image = SourceImage();
  const Options& options = sprite_.options();
  if (platform::isDirectory(path.c_str())) {
    if (options.sheetColumns != 0) {
      RunOutcome outcome = endedAt(RunStep::Sheet);
      outcome.sheet = SheetStatus::NotStill;
      return outcome;
    }
    return readFolder(path, image);
  }
  bool isImage = true;
  RunOutcome outcome = readFile(path, image, isImage);
  if (outcome.done() && options.sheetColumns != 0) {
    outcome = cutIntoCells(image);
  }
  return outcome;
}

RunOutcome InputReader::readBytes(const std::uint8_t* bytes, std::size_t size,
                                  SourceImage& image) {
  image = SourceImage();
  platform::MemorySource source(bytes, size);
  bool isImage = true;
  RunOutcome outcome = readStream(source, size, image, isImage);
  if (outcome.done() && sprite_.options().sheetColumns != 0) {
    outcome = cutIntoCells(image);
  }
  return outcome;
}

// -g=: the image, a still one, cut into the cells of the sheet.
RunOutcome InputReader::cutIntoCells(SourceImage& image) {
  const Options& options = sprite_.options();
  const std::uint32_t frames = static_cast<std::uint32_t>(
      std::min<std::size_t>(image.frames.size(), UINT32_MAX));
  const std::uint32_t width = image.canvasWidth;
  const std::uint32_t height = image.canvasHeight;
  RunOutcome outcome;
  outcome.sheet =
      cutSheet(image, options.sheetColumns, options.sheetRows, cells_);
  switch (outcome.sheet) {
    case SheetStatus::Ok:
      return outcome;
    case SheetStatus::NotStill:
      outcome.numbers[0] = frames;
      break;
    case SheetStatus::DoesNotDivide:
      outcome.numbers[0] = width;
      outcome.numbers[1] = height;
      outcome.numbers[2] = options.sheetColumns;
      outcome.numbers[3] = options.sheetRows;
      break;
    case SheetStatus::NoMemory:
      return endedAt(RunStep::NoMemory);
  }
  outcome.step = RunStep::Sheet;
  return outcome;
}

RunOutcome InputReader::readFile(const std::string& path, SourceImage& image,
                                 bool& isImage) {
  platform::InputFile file;
  if (!file.open(path.c_str())) return endedAt(RunStep::Open);
  std::uint64_t size = PngInput::kUnknownSize;
  if (!file.size(size)) size = PngInput::kUnknownSize;
  RunOutcome outcome = readStream(file, size, image, isImage);
  // A device error ends the data where it happened, which the reader may
  // or may not have noticed; either way the file is not what it seemed.
  if (file.failed()) {
    outcome.step = RunStep::Read;
    outcome.gif = GifStatus::ReadFailed;
    outcome.png = PngStatus::ReadFailed;
  }
  return outcome;
}

// Reads one file (of size bytes, when known) into image as a part of its
// own. In a folder (isImage false on the way in), a file that is neither a
// GIF nor a PNG is left out (isImage false on the way out); otherwise
// whatever is not a PNG is read as a GIF, which it may fail to be.
RunOutcome InputReader::readStream(platform::ByteSource& stream,
                                   std::uint64_t size, SourceImage& image,
                                   bool& isImage) {
  const bool inFolder = !isImage;
  platform::ByteBuffer window;
  platform::ByteBuffer head;
  if (!window.allocate(kInputWindow) || !head.allocate(kInputWindow)) {
    return endedAt(RunStep::NoMemory);
  }
  PeekedSource source(stream, head);
  source.peek();
  isImage = !inFolder || source.isPng() || source.isGif();
  if (!isImage) return RunOutcome();

  RunOutcome outcome;
  if (source.isPng()) {
    pngs_.push_back(std::make_unique<PngSource>());
    PngInput input(source, window.data(), window.size(), size);
    outcome.png = readPng(input, PngLimits{}, pngs_.back()->png);
    if (outcome.png == PngStatus::Ok) {
      appendPng(*pngs_.back(), sprite_.colors().alphaThreshold(), image);
    } else {
      outcome.step = RunStep::Read;
    }
    return outcome;
  }
  gifs_.push_back(std::make_unique<GifFile>());
  GifFile& gif = *gifs_.back();
  GifInput input(source, window.data(), window.size());
  // Each file is matched from maps of its own.
  sprite_.maps().restart();
  GifDecodeMatching matching(sprite_.colors(), sprite_.maps());
  outcome = loadGif(input, gif, decoder_, &matching);
  if (outcome.done()) {
    if (image.frames.empty()) {
      image.canvasWidth = gif.screen.width;
      image.canvasHeight = gif.screen.height;
    }
    appendGif(gif, image);
  }
  return outcome;
}

// The GIF, PNG and APNG files of the folder, in natural order of their
// names, make one image on the first file's canvas.
RunOutcome InputReader::readFolder(const std::string& path,
                                   SourceImage& image) {
  std::vector<std::string> names;
  if (!platform::listFiles(path.c_str(), names)) {
    RunOutcome outcome = endedAt(RunStep::Folder);
    outcome.folder = FolderStatus::Unreadable;
    return outcome;
  }
  std::sort(names.begin(), names.end(), naturalLess);
  bool anyImage = false;
  for (const std::string& name : names) {
    const std::string member = joinPath(path, name);
    SourceImage part;
    bool isImage = false;
    RunOutcome outcome = readFile(member, part, isImage);
    if (!outcome.done()) {
      outcome.file = member;
      return outcome;
    }
    if (!isImage) continue;
    if (anyImage && (part.canvasWidth != image.canvasWidth ||
                     part.canvasHeight != image.canvasHeight)) {
      outcome = endedAt(RunStep::Folder);
      outcome.folder = FolderStatus::CanvasMismatch;
      outcome.file = member;
      outcome.numbers[0] = part.canvasWidth;
      outcome.numbers[1] = part.canvasHeight;
      outcome.numbers[2] = image.canvasWidth;
      outcome.numbers[3] = image.canvasHeight;
      return outcome;
    }
    if (!anyImage) {
      image.canvasWidth = part.canvasWidth;
      image.canvasHeight = part.canvasHeight;
    }
    anyImage = true;
    const auto firstPart =
        static_cast<std::uint32_t>(image.sharedTables.size());
    for (const ColorTable& table : part.sharedTables) {
      image.sharedTables.push_back(table);
    }
    for (SourceFrame& frame : part.frames) {
      frame.part += firstPart;
      image.frames.push_back(frame);
    }
  }
  if (!anyImage) {
    RunOutcome outcome = endedAt(RunStep::Folder);
    outcome.folder = FolderStatus::NoImageFile;
    return outcome;
  }
  return RunOutcome();
}
