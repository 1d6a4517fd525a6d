// The benchmark corpus: generated GIFs, each one shape of input that
// decoders handle differently, made at bench time and cached on disk.
#ifndef GIF2FRM_BENCH_BENCH_CORPUS_H_
#define GIF2FRM_BENCH_BENCH_CORPUS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "gif/encoder/gif_builder.h"

namespace bench {

// Bump whenever a picture or its encoding changes, so that cached files made
// by an older generator are made again.
extern const char kCorpusVersion[];

enum class Shape {
  Photo,
  Sprite,
  FlatRuns,
  LocalTables,
  Noise,
  FewColorNoise,
  Tiny
};

struct CorpusEntry {
  Shape shape;
  const char* fileName;
  const char* label;   // short name for the table
  double targetRatio;  // decode speed over giflib's that we aim for
  // A whole run's speed over the giflib peer's that we aim for, on the
  // ImageMagick version of the file (0: none).
  double wholeRunTarget;
  std::uint32_t frames;  // images in the file, all of width x height
  std::uint16_t width;
  std::uint16_t height;
  bool localTables;  // every image has its own table, no global one
  bool transparent;  // every image has a transparent colour
};

// The shapes, in table order.
const std::vector<CorpusEntry>& corpusEntries();

// The pictures of one entry and how they are put into a GIF.
struct CorpusGif {
  gifenc::Screen screen;
  bool animated = false;  // a loop extension and a control block per image
  gifenc::GraphicControl control;
  std::vector<gifenc::Image> images;
};

// Draws the pictures of entry (deterministic: fixed seeds, integer maths).
// palette: the program's palette, whose colours every table is made of.
CorpusGif makeCorpusGif(const CorpusEntry& entry, const std::uint8_t* palette);

// The complete GIF file.
std::vector<std::uint8_t> encodeCorpusGif(const CorpusGif& gif);

// Makes sure directory holds every corpus file of this kCorpusVersion,
// writing them (and a VERSION file last) when it does not. Returns false
// with a reason in error when the files cannot be written.
bool ensureCorpus(const std::string& directory, std::string& error);

// Writes every corpus file into directory unconditionally.
bool writeCorpus(const std::string& directory, std::string& error);

}  // namespace bench

#endif  // GIF2FRM_BENCH_BENCH_CORPUS_H_
