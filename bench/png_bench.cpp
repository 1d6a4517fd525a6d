// The PNG reader against libspng on the same bytes in memory. The PNGs are
// made at run time by ImageMagick (Debian imagemagick) from its seeded
// plasma, into build/bench/png-bench-corpus; nothing is committed.
//
//   png_bench [--rounds N] [--corpus DIR]
//
// Each round times, per file, one readPng (frames freed again) and one
// libspng decode (spng_ctx_new, spng_set_png_buffer, spng_decode_image,
// spng_ctx_free) to RGBA8 with tRNS applied, or to the raw indices for a
// palette image (which is what the reader delivers there), each after 5 ms
// of the same work untimed; thread CPU time, the median of the rounds.
#include <spng.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "png/png_reader.h"
#include "support/temp_dir.h"

namespace {

using bench::median;
using bench::timeOnce;

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Row {
  const char* name;
  const char* what;
  const char* convertArguments;  // ImageMagick's, before the output
  bool indexed;
};

// Seeded plasma is photo-like: smooth gradients with fine noise.
const Row kRows[] = {
    {"photo.png", "1000 x 1000 RGB photo-like",
     "-seed 1 -size 1000x1000 plasma:fractal PNG24:", false},
    {"alpha.png", "800 x 800 RGBA render, radial alpha",
     "-seed 2 -size 800x800 plasma:fractal \\( -size 800x800 "
     "radial-gradient: \\) -alpha off -compose CopyOpacity -composite PNG32:",
     false},
    {"sprites.png", "1024 x 1024 indexed 8-bit sprite sheet",
     "-seed 3 -size 1024x1024 plasma:fractal -colors 256 -dither None PNG8:",
     true},
    {"deep.png", "1000 x 1000 16-bit RGB",
     "-seed 4 -size 1000x1000 plasma:fractal -depth 16 PNG48:", false},
    {"adam7.png", "1000 x 1000 RGB, Adam7",
     "-seed 5 -size 1000x1000 plasma:fractal -interlace PNG PNG24:", false},
};

bool decodeOurs(const Bytes& bytes) {
  PngImage image;
  PngInput input(bytes.data(), bytes.size());
  return readPng(input, PngLimits{}, image) == PngStatus::Ok;
}

bool decodeSpng(const Bytes& bytes, bool indexed, Bytes& out) {
  spng_ctx* context = spng_ctx_new(0);
  spng_set_png_buffer(context, bytes.data(), bytes.size());
  const int format = indexed ? SPNG_FMT_RAW : SPNG_FMT_RGBA8;
  std::size_t size = 0;
  int result = spng_decoded_image_size(context, format, &size);
  if (result == 0) {
    out.resize(size);
    result = spng_decode_image(context, out.data(), size, format,
                               indexed ? 0 : SPNG_DECODE_TRNS);
  }
  spng_ctx_free(context);
  return result == 0;
}

// Runs ImageMagick's convert through the shell, unless the file is there.
bool makeFile(const fs::path& path, const Row& row) {
  if (fs::exists(path)) return true;
  const std::string command = std::string("convert ") + row.convertArguments +
                              "'" + path.string() + "'";
  return std::system(command.c_str()) == 0 && fs::exists(path);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 9;
  fs::path corpus = GIF2FRM_PNG_BENCH_CORPUS;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--corpus") == 0) corpus = argv[i + 1];
  }
  fs::create_directories(corpus);
  std::printf(
      "| file | what | bytes | ours ms | libspng ms | libspng / ours "
      "|\n|---|---|---:|---:|---:|---:|\n");
  int slower = 0;
  for (const Row& row : kRows) {
    const fs::path path = corpus / row.name;
    if (!makeFile(path, row)) {
      std::fprintf(stderr, "could not make %s (ImageMagick's convert?)\n",
                   row.name);
      return 1;
    }
    const Bytes bytes = readFileBytes(path.string());
    Bytes peerOut;
    if (!decodeOurs(bytes) || !decodeSpng(bytes, row.indexed, peerOut)) {
      std::fprintf(stderr, "%s does not decode\n", row.name);
      return 1;
    }
    std::vector<double> ours, peer;
    for (int r = 0; r < rounds; ++r) {
      ours.push_back(timeOnce([&] { decodeOurs(bytes); }));
      peer.push_back(
          timeOnce([&] { decodeSpng(bytes, row.indexed, peerOut); }));
    }
    const double oursMs = 1e3 * median(ours), peerMs = 1e3 * median(peer);
    if (oursMs > peerMs) ++slower;
    std::printf("| %s | %s | %zu | %.2f | %.2f | %.2f |\n", row.name, row.what,
                bytes.size(), oursMs, peerMs, peerMs / oursMs);
  }
  std::printf("%d of %zu rows slower than libspng (target: none)\n", slower,
              sizeof kRows / sizeof kRows[0]);
  return 0;
}
