// The GIF reader and the LZW decoder alone, on bytes in memory.
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_target.h"
#include "gif/gif_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  LzwDecoder& decoder = startFuzzInput();
  GifFile gif;
  GifInput input(data, size);
  const GifStatus status = gif.load(input, decoder);
  const int code = static_cast<int>(status);
  FUZZ_CHECK(code >= 0 && code <= static_cast<int>(GifStatus::NoMemory));
  volatile std::uint32_t sink = checkLoadedGif(gif, false);
  (void)sink;
  return 0;
}
