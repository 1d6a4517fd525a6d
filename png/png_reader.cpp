#include "png/png_reader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <wuffs-v0.3.c>

#include "png/png_chunks.h"

namespace {

constexpr std::uint8_t kSignature[kPngSignatureLength] = {
    0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// The first chunk, IHDR, ends this far into the stream.
constexpr std::uint64_t kHeaderEnd = kPngSignatureLength + 8 + 13 + 4;
// Deflate gives at most 1032 bytes for one byte of input (a 258-byte match
// in two bits), so a stream of n bytes holds at most 1032 n bytes of image
// data: more declared than that cannot be there.
constexpr std::uint64_t kMostInflation = 1032;

// The state of one readPng call.
struct Decoding {
  Decoding(PngInput& in, const PngLimits& l, PngImage& out)
      : input(in), limits(l), image(out) {}

  PngInput& input;
  const PngLimits& limits;
  PngImage& image;
  PngChunkWatch watch;
  platform::ByteBuffer decoderMemory;
  wuffs_png__decoder* decoder = nullptr;
  wuffs_base__io_buffer source{};
  // The filtered rows of a frame, and the canvas-sized target of a frame
  // that covers part of the canvas; both reused from frame to frame.
  platform::ByteBuffer workbuf;
  platform::ByteBuffer partTarget;
  // What Wuffs gives an indexed image's palette: B, G, R, A per entry.
  std::uint8_t palette[WUFFS_BASE__PIXEL_FORMAT__INDEXED__PALETTE_BYTE_LENGTH];
  // How much more image data the stream can hold, when its size is known.
  std::uint64_t inflationLeft = UINT64_MAX;
};

bool isStatus(const wuffs_base__status& status, const char* which) {
  return status.repr == which;
}

// Tops the window up and shows the new bytes to the watcher. False when no
// byte came, or the watcher ran out of memory (noMemory set).
bool refill(Decoding& d, bool& noMemory) {
  std::size_t fresh = 0;
  if (!d.input.refill(fresh)) return false;
  const std::size_t count = d.input.writeIndex() - fresh;
  noMemory = !d.watch.see(d.input.window() + fresh, count);
  return !noMemory;
}

// The window as Wuffs' reader; Wuffs only reads from it.
void lendWindow(Decoding& d) {
  wuffs_base__io_buffer& source = d.source;
  source.data.ptr = const_cast<std::uint8_t*>(d.input.window());
  source.data.len = d.input.capacity();
  source.meta.wi = d.input.writeIndex();
  source.meta.ri = d.input.readIndex();
  source.meta.pos = d.input.windowPosition();
  source.meta.closed = d.input.closed();
}

// Calls a decoder step until it needs no more input, topping the window up
// between calls. A failed top-up closes the stream for Wuffs, which then
// reports truncated input.
template <typename Step>
wuffs_base__status withRefills(Decoding& d, bool& noMemory, Step step) {
  for (;;) {
    lendWindow(d);
    wuffs_base__status status = step();
    d.input.consumeTo(d.source.meta.ri);
    if (!isStatus(status, wuffs_base__suspension__short_read)) return status;
    if (!refill(d, noMemory) && noMemory) return status;
  }
}

bool beyondLimits(const PngImageHeader& header, const PngLimits& limits) {
  const std::uint64_t width = header.widthValue();
  const std::uint64_t height = header.heightValue();
  return width > limits.maxSide || height > limits.maxSide ||
         width * height > limits.maxPixels;
}

PngStatus fromWuffs(const Decoding& d, const wuffs_base__status& status) {
  // The data ended in a chunk or in the image data's zlib stream.
  if (isStatus(status, wuffs_png__error__truncated_input) ||
      isStatus(status, wuffs_zlib__error__truncated_input) ||
      isStatus(status, wuffs_deflate__error__truncated_input)) {
    return PngStatus::ReadFailed;
  }
  // Wuffs refuses an acTL chunk in an interlaced image as unsupported, and
  // a side of 2^24 or more too (which the limits stop first).
  constexpr std::uint32_t kWuffsSides = 1u << 24;
  const PngImageHeader& header = d.watch.header();
  if (isStatus(status, wuffs_png__error__unsupported_png_file) &&
      d.watch.headerComplete() && header.interlaceMethod != 0 &&
      header.widthValue() < kWuffsSides && header.heightValue() < kWuffsSides) {
    return PngStatus::Unsupported;
  }
  return PngStatus::Corrupt;
}

// Reads until the signature and IHDR are in the window (or the data ends)
// and checks both: a stream that is no PNG, or whose canvas the caller does
// not take, goes no further.
PngStatus readSignatureAndHeader(Decoding& d) {
  bool noMemory = false;
  if (d.input.closed() &&
      !d.watch.see(d.input.window(), d.input.writeIndex())) {
    return PngStatus::NoMemory;
  }
  while (d.watch.bytesSeen() < kHeaderEnd && refill(d, noMemory)) {
  }
  if (noMemory) return PngStatus::NoMemory;
  const std::size_t have = static_cast<std::size_t>(
      std::min<std::uint64_t>(d.watch.bytesSeen(), kPngSignatureLength));
  // An empty stream in memory may have no window at all: memcmp must not
  // be handed its null pointer, even for 0 bytes.
  if (have != 0 && std::memcmp(d.input.window(), kSignature, have) != 0) {
    return PngStatus::NotPng;
  }
  if (have < kPngSignatureLength) return PngStatus::ReadFailed;
  if (d.watch.headerComplete() && beyondLimits(d.watch.header(), d.limits)) {
    return PngStatus::TooLarge;
  }
  return PngStatus::Ok;
}

PngStatus startDecoder(Decoding& d) {
  const std::size_t size = sizeof__wuffs_png__decoder();
  if (!d.decoderMemory.allocate(size)) return PngStatus::NoMemory;
  d.decoder = reinterpret_cast<wuffs_png__decoder*>(d.decoderMemory.data());
  const wuffs_base__status status =
      wuffs_png__decoder__initialize(d.decoder, size, WUFFS_VERSION, 0);
  return wuffs_base__status__is_ok(&status) ? PngStatus::Ok
                                            : PngStatus::NoMemory;
}

PngStatus readImageConfig(Decoding& d) {
  wuffs_base__image_config config{};
  bool noMemory = false;
  const wuffs_base__status status = withRefills(d, noMemory, [&] {
    return wuffs_png__decoder__decode_image_config(d.decoder, &config,
                                                   &d.source);
  });
  if (noMemory) return PngStatus::NoMemory;
  if (!wuffs_base__status__is_ok(&status)) return fromWuffs(d, status);
  // Wuffs read IHDR, which the watcher saw and the limits were held to.
  PngImage& image = d.image;
  image.width = wuffs_base__pixel_config__width(&config.pixcfg);
  image.height = wuffs_base__pixel_config__height(&config.pixcfg);
  image.indexed = d.watch.header().colorType == 3;
  image.paletteCount = image.indexed ? d.watch.paletteEntries() : 0;
  image.animated = d.watch.animated();
  image.playCount =
      image.animated ? wuffs_png__decoder__num_animation_loops(d.decoder) : 0;
  if (d.input.size() != PngInput::kUnknownSize) {
    d.inflationLeft =
        std::min(d.input.size(), UINT64_MAX / kMostInflation) * kMostInflation;
  }
  return PngStatus::Ok;
}

// The bytes of a frame's filtered rows, as Wuffs decodes them: a filter byte
// and the packed samples of each row.
std::uint64_t filteredLength(const PngImageHeader& header, std::uint64_t width,
                             std::uint64_t height) {
  static constexpr std::uint8_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  const std::uint64_t bits =
      std::uint64_t{header.bitDepth} * kChannels[header.colorType % 7] * width;
  return height * (1 + (bits + 7) / 8);
}

// Makes sure buffer holds at least size bytes; what it held is dropped.
bool reserve(platform::ByteBuffer& buffer, std::uint64_t size) {
  if (!buffer.isNull() && buffer.size() >= size) return true;
  if (size > SIZE_MAX) return false;
  return buffer.allocate(static_cast<std::size_t>(size));
}

// The pixel buffer Wuffs writes a frame into: the frame's own pixels when it
// covers the canvas, else a target as large as the canvas up to the frame's
// far corner, from which decodeFrame copies the rectangle out.
bool frameTarget(Decoding& d, const wuffs_base__rect_ie_u32& rect,
                 PngFrame& frame, wuffs_base__pixel_buffer& target,
                 bool& whole) {
  const std::uint32_t bytesPerPixel = d.image.bytesPerPixel();
  whole = rect.min_incl_x == 0 && rect.min_incl_y == 0 &&
          rect.max_excl_x == d.image.width && rect.max_excl_y == d.image.height;
  const std::uint32_t width = rect.max_excl_x;
  const std::uint32_t height = rect.max_excl_y;
  const std::uint64_t stride = std::uint64_t{width} * bytesPerPixel;
  std::uint8_t* memory = frame.pixels.data();
  if (!whole) {
    if (!reserve(d.partTarget, stride * height)) return false;
    memory = d.partTarget.data();
  }
  wuffs_base__pixel_config config{};
  wuffs_base__pixel_config__set(
      &config,
      d.image.indexed ? WUFFS_BASE__PIXEL_FORMAT__INDEXED__BGRA_NONPREMUL
                      : WUFFS_BASE__PIXEL_FORMAT__RGBA_NONPREMUL,
      WUFFS_BASE__PIXEL_SUBSAMPLING__NONE, width, height);
  const wuffs_base__status status = wuffs_base__pixel_buffer__set_interleaved(
      &target, &config,
      wuffs_base__make_table_u8(memory, static_cast<std::size_t>(stride),
                                height, static_cast<std::size_t>(stride)),
      wuffs_base__make_slice_u8(d.palette, sizeof d.palette));
  return wuffs_base__status__is_ok(&status);
}

// Copies a frame's rectangle out of the canvas-wide target.
void copyRectangle(const Decoding& d, PngFrame& frame) {
  const std::size_t bytesPerPixel = d.image.bytesPerPixel();
  const std::size_t stride =
      (std::size_t{frame.left} + frame.width) * bytesPerPixel;
  const std::size_t row = std::size_t{frame.width} * bytesPerPixel;
  const std::uint8_t* from = d.partTarget.data() +
                             std::size_t{frame.top} * stride +
                             std::size_t{frame.left} * bytesPerPixel;
  std::uint8_t* to = frame.pixels.data();
  for (std::uint32_t y = 0; y < frame.height; ++y) {
    std::memcpy(to, from, row);
    from += stride;
    to += row;
  }
}

// Allocates a frame's pixels and the rows Wuffs filters them in, after
// checking that the stream can hold that much image data.
PngStatus prepareFrame(Decoding& d, PngFrame& frame) {
  const std::uint64_t filtered =
      filteredLength(d.watch.header(), frame.width, frame.height);
  if (filtered > d.inflationLeft) return PngStatus::Corrupt;
  if (d.inflationLeft != UINT64_MAX) d.inflationLeft -= filtered;
  const std::uint64_t size =
      std::uint64_t{frame.width} * frame.height * d.image.bytesPerPixel();
  if (size > SIZE_MAX - PngFrame::kPixelHeadroom ||
      !frame.pixels.allocate(static_cast<std::size_t>(size),
                             PngFrame::kPixelHeadroom) ||
      !reserve(d.workbuf, filtered)) {
    return PngStatus::NoMemory;
  }
  return PngStatus::Ok;
}

PngStatus decodeFrame(Decoding& d, const wuffs_base__rect_ie_u32& rect,
                      PngFrame& frame) {
  frame.left = rect.min_incl_x;
  frame.top = rect.min_incl_y;
  frame.width = rect.max_excl_x - rect.min_incl_x;
  frame.height = rect.max_excl_y - rect.min_incl_y;
  PngStatus prepared = prepareFrame(d, frame);
  if (prepared != PngStatus::Ok) return prepared;
  wuffs_base__pixel_buffer target{};
  bool whole = true;
  if (!frameTarget(d, rect, frame, target, whole)) return PngStatus::NoMemory;
  const std::uint64_t filtered =
      filteredLength(d.watch.header(), frame.width, frame.height);
  bool noMemory = false;
  const wuffs_base__status status = withRefills(d, noMemory, [&] {
    return wuffs_png__decoder__decode_frame(
        d.decoder, &target, &d.source, WUFFS_BASE__PIXEL_BLEND__SRC,
        wuffs_base__make_slice_u8(d.workbuf.data(),
                                  static_cast<std::size_t>(filtered)),
        nullptr);
  });
  if (noMemory) return PngStatus::NoMemory;
  if (!wuffs_base__status__is_ok(&status)) return fromWuffs(d, status);
  if (!whole) copyRectangle(d, frame);
  return PngStatus::Ok;
}

// Gives an APNG frame the delay and ops of the fcTL chunk it came from: the
// frames come in the order of the fcTL chunks.
PngStatus takeFrameControl(const Decoding& d, PngFrame& frame) {
  const std::size_t index = d.image.frames.size();
  const std::vector<PngFrameControl>& controls = d.watch.frameControls();
  if (index >= controls.size()) return PngStatus::Corrupt;
  const PngFrameControl& control = controls[index];
  if (control.leftValue() != frame.left || control.topValue() != frame.top ||
      control.widthValue() != frame.width ||
      control.heightValue() != frame.height) {
    return PngStatus::Corrupt;
  }
  frame.delayNumerator = control.delayNumeratorValue();
  frame.delayDenominator = control.delayDenominatorValue();
  frame.disposeOp = control.disposeOp;
  frame.blendOp = control.blendOp;
  return PngStatus::Ok;
}

// Reads the next frame into image.frames; done at the end of the frames.
PngStatus readFrame(Decoding& d, bool& done) {
  wuffs_base__frame_config config{};
  bool noMemory = false;
  const wuffs_base__status status = withRefills(d, noMemory, [&] {
    return wuffs_png__decoder__decode_frame_config(d.decoder, &config,
                                                   &d.source);
  });
  if (noMemory) return PngStatus::NoMemory;
  done = isStatus(status, wuffs_base__note__end_of_data);
  if (done) return PngStatus::Ok;
  if (!wuffs_base__status__is_ok(&status)) return fromWuffs(d, status);
  PngFrame frame;
  PngStatus result =
      decodeFrame(d, wuffs_base__frame_config__bounds(&config), frame);
  if (result == PngStatus::Ok && d.image.animated) {
    result = takeFrameControl(d, frame);
  }
  if (result != PngStatus::Ok) return result;
  try {
    d.image.frames.push_back(std::move(frame));
  } catch (const std::bad_alloc&) {
    return PngStatus::NoMemory;
  }
  return PngStatus::Ok;
}

void takePalette(Decoding& d) {
  for (int i = 0; i < 256; ++i) {
    d.image.palette[i][0] = d.palette[4 * i + 2];
    d.image.palette[i][1] = d.palette[4 * i + 1];
    d.image.palette[i][2] = d.palette[4 * i + 0];
    d.image.palette[i][3] = d.palette[4 * i + 3];
  }
}

// Reads frames until IEND (an APNG) or after the one image (a still PNG: the
// reader stops after its image data, as libspng does).
PngStatus readFrames(Decoding& d) {
  for (bool done = false;;) {
    PngStatus status = readFrame(d, done);
    if (status != PngStatus::Ok) return status;
    if (d.image.frames.size() == 1 && d.image.indexed) takePalette(d);
    if (done || !d.image.animated) break;
  }
  if (d.image.frames.empty()) return PngStatus::Corrupt;
  if (d.image.animated &&
      d.image.frames.size() != d.watch.animationControl().frameCountValue()) {
    return PngStatus::Corrupt;
  }
  return PngStatus::Ok;
}

}  // namespace

bool isPngSignature(const std::uint8_t bytes[kPngSignatureLength]) {
  return std::memcmp(bytes, kSignature, kPngSignatureLength) == 0;
}

PngStatus readPng(PngInput& input, const PngLimits& limits, PngImage& image) {
  Decoding d(input, limits, image);
  PngStatus status = readSignatureAndHeader(d);
  if (status == PngStatus::Ok) status = startDecoder(d);
  if (status == PngStatus::Ok) status = readImageConfig(d);
  if (status == PngStatus::Ok) status = readFrames(d);
  return status;
}
