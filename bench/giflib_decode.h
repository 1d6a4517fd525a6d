// giflib's whole-file decode (DGifSlurp) of bytes already in memory: the
// peer the benchmark measures our reader against. Benchmark-only; the
// program never links giflib.
#ifndef GIF2FRM_BENCH_GIFLIB_DECODE_H_
#define GIF2FRM_BENCH_GIFLIB_DECODE_H_

#include <gif_lib.h>

#include <cstddef>
#include <cstdint>

namespace bench {

// One DGifSlurp of the bytes; the decoded file lives as long as this object.
class GiflibGif {
 public:
  GiflibGif(const std::uint8_t* bytes, std::size_t size);
  ~GiflibGif();
  GiflibGif(const GiflibGif&) = delete;
  GiflibGif& operator=(const GiflibGif&) = delete;

  // True when giflib opened and decoded the whole file.
  bool ok() const { return ok_; }
  int imageCount() const;
  const SavedImage& image(int index) const;
  // Sum of width x height over the images.
  std::uint64_t pixels() const;

 private:
  // Where the read callback is in the bytes; giflib only knows a pointer.
  struct Reader {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t position;
  };
  static int read(GifFileType* gif, GifByteType* out, int count);

  Reader reader_;
  GifFileType* gif_ = nullptr;
  bool ok_ = false;
};

}  // namespace bench

#endif  // GIF2FRM_BENCH_GIFLIB_DECODE_H_
