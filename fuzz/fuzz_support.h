// What the fuzz targets share: a fresh decoder per input and an allocation
// budget, so that every input runs the same way whatever ran before it, and
// a GIF that declares gigabytes of pixels meets "no memory" quickly instead
// of the fuzzer's memory limit.
#ifndef GIF2FRM_FUZZ_FUZZ_SUPPORT_H_
#define GIF2FRM_FUZZ_FUZZ_SUPPORT_H_

#include <cstdint>

#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"

// At most this many bytes are handed out per input: a few frames of a few
// megapixels, far more than any input of the fuzzer's size could fill.
constexpr std::uint64_t kFuzzAllocationBudget = 256u << 20;

// Resets the decoder's dictionary and the allocation budget; the decoder is
// process-wide to save its allocation per input.
LzwDecoder& startFuzzInput();

// Checks what must hold for any loaded GIF, whatever its status: no frame
// claims more pixels than it holds, and every delivered pixel is readable.
// Frames without pixels are allowed only when pixelsReleased (the assembly
// frees each frame's pixels once it has mapped them). Returns a sum of the
// delivered pixels, so that the reads are not dropped.
std::uint32_t checkLoadedGif(const GifFile& gif, bool pixelsReleased);

#endif  // GIF2FRM_FUZZ_FUZZ_SUPPORT_H_
