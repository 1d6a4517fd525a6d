// The reader against libspng on every file of the PNG corpus: a file libspng
// decodes must decode to the same RGBA (SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) as
// the reader's image of the default image, and a file libspng refuses must be
// refused. libspng knows no APNG: it reads the default image and steps over
// the animation's chunks. Where the two differ by design, the file is named
// below with the reading chosen.
#include <gtest/gtest.h>
#include <spng.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "png/png_records.h"
#include "png/png_test_files.h"
#include "png/refused_by_design.h"

namespace {

struct PeerImage {
  bool ok = false;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;
};

PeerImage decodeWithSpng(const std::vector<std::uint8_t>& bytes) {
  PeerImage peer;
  spng_ctx* context = spng_ctx_new(0);
  spng_set_png_buffer(context, bytes.data(), bytes.size());
  std::size_t size = 0;
  int result = spng_decoded_image_size(context, SPNG_FMT_RGBA8, &size);
  if (result == 0) {
    peer.rgba.assign(size, 0);
    result = spng_decode_image(context, peer.rgba.data(), size, SPNG_FMT_RGBA8,
                               SPNG_DECODE_TRNS);
  }
  spng_ihdr header{};
  if (result == 0) result = spng_get_ihdr(context, &header);
  spng_ctx_free(context);
  peer.ok = result == 0;
  peer.width = header.width;
  peer.height = header.height;
  return peer;
}

// Whether an fcTL chunk comes before the first IDAT: the APNG rule for the
// default image being the first frame.
bool frameControlBeforeImageData(const std::vector<std::uint8_t>& bytes) {
  std::size_t at = 8;
  while (at + 8 <= bytes.size()) {
    const std::uint32_t type = bigEndian32(&bytes[at + 4]);
    if (type == chunkType("IDAT")) return false;
    if (type == chunkType("fcTL")) return true;
    at += 12 + std::size_t{bigEndian32(&bytes[at])};
  }
  return false;
}

// Files whose grey or RGB pixels matching the tRNS colour key differ only in
// colour: both make them transparent, the reader as (0, 0, 0, 0) (Wuffs'
// reading), libspng keeping their colour. A converter maps every pixel of
// alpha 0 to the transparent index, so the colour is never used.
const std::set<std::string> kColourKeyFiles = {
    "pngsuite/tbbn0g04.png", "pngsuite/tbbn2c16.png", "pngsuite/tbgn2c16.png",
    "pngsuite/tbrn2c08.png", "pngsuite/tbwn0g16.png",
};

// Compares the reader's pixels with libspng's; colour-key pixels may have
// lost their colour. Sets keyed when such a pixel was met.
bool samePixels(const std::vector<std::uint8_t>& ours,
                const std::vector<std::uint8_t>& peer, bool& keyed) {
  if (ours.size() != peer.size()) return false;
  for (std::size_t i = 0; i < ours.size(); i += 4) {
    if (std::memcmp(&ours[i], &peer[i], 4) == 0) continue;
    const bool cleared = peer[i + 3] == 0 && ours[i] == 0 && ours[i + 1] == 0 &&
                         ours[i + 2] == 0 && ours[i + 3] == 0;
    if (!cleared) return false;
    keyed = true;
  }
  return true;
}

TEST(PngSpngDifferential, EveryCorpusFileAgreesWithLibspng) {
  const std::vector<std::filesystem::path> files = corpusPngFiles();
  if (files.empty()) {
    if (std::getenv("CI") != nullptr) ADD_FAILURE() << "no PNG corpus in CI";
    GTEST_SKIP() << "no PNG corpus at " << pngCorpus();
  }
  int peerAccepted = 0, peerRefused = 0, agreements = 0, notCompared = 0;
  std::set<std::string> refusedByDesign, keyed;
  for (const std::filesystem::path& path : files) {
    const std::string name = corpusName(path);
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> bytes = readFileBytes(path.string());
    const PeerImage peer = decodeWithSpng(bytes);
    const ReadPng ours = readPngBytes(bytes);
    (peer.ok ? peerAccepted : peerRefused) += 1;
    if (!peer.ok) {
      EXPECT_NE(ours.status, PngStatus::Ok) << "libspng refuses it";
      if (ours.status != PngStatus::Ok) ++agreements;
      continue;
    }
    if (ours.status != PngStatus::Ok) {
      EXPECT_EQ(kPngRefusedByDesign.count(name), 1u)
          << "refused (" << static_cast<int>(ours.status)
          << ") though libspng decodes it";
      refusedByDesign.insert(name);
      continue;
    }
    const PngImage& image = *ours.image;
    if (image.animated && !frameControlBeforeImageData(bytes)) {
      ++notCompared;  // the default image is not a frame
      continue;
    }
    ASSERT_FALSE(image.frames.empty());
    EXPECT_EQ(image.width, peer.width);
    EXPECT_EQ(image.height, peer.height);
    bool keyedPixels = false;
    EXPECT_TRUE(
        samePixels(rgbaOf(image, image.frames[0]), peer.rgba, keyedPixels));
    if (keyedPixels) keyed.insert(name);
    ++agreements;
  }
  EXPECT_EQ(keyed, kColourKeyFiles);
  EXPECT_EQ(refusedByDesign.size(), kPngRefusedByDesign.size());
  std::printf(
      "PNG corpus against libspng: %zu files; libspng decodes %d, refuses "
      "%d; the reader agrees on %d (%zu of them with colour-key pixels "
      "cleared), refuses %zu by design, and leaves %d APNGs uncompared "
      "whose default image is no frame\n",
      files.size(), peerAccepted, peerRefused, agreements, keyed.size(),
      refusedByDesign.size(), notCompared);
}

}  // namespace
