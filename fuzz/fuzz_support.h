// What the fuzz targets share: a fresh decoder per input and an allocation
// budget, so that every input runs the same way whatever ran before it, and
// a GIF that declares gigabytes of pixels meets "no memory" quickly instead
// of the fuzzer's memory limit.
#ifndef GIF2FRM_FUZZ_FUZZ_SUPPORT_H_
#define GIF2FRM_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>

#if defined(__has_feature)
#if __has_feature(memory_sanitizer)
#include <sanitizer/msan_interface.h>
#define GIF2FRM_MSAN 1
#endif
#endif

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

// Output bytes in a MemorySanitizer build must all be initialised: reports
// the first that is not. Does nothing in other builds.
inline void checkInitialised(const void* bytes, std::size_t size) {
#ifdef GIF2FRM_MSAN
  __msan_check_mem_is_initialized(bytes, size);
#else
  (void)bytes;
  (void)size;
#endif
}

#endif  // GIF2FRM_FUZZ_FUZZ_SUPPORT_H_
