#include "app/conversion.h"

#include "app/frame_assembly.h"
#include "gif/lzw_decoder.h"

namespace {

RunOutcome loadOutcome(GifStatus status) {
  switch (status) {
    case GifStatus::Ok:
      return RunOutcome::Converted;
    case GifStatus::NoMemory:
      return RunOutcome::NoMemory;
    default:
      return RunOutcome::CantReadInput;
  }
}

RunOutcome assemblyOutcome(AssemblyStatus status) {
  switch (status) {
    case AssemblyStatus::Ok:
      return RunOutcome::Converted;
    case AssemblyStatus::CantTranslate:
      return RunOutcome::CantTranslate;
    case AssemblyStatus::NoMemory:
      return RunOutcome::NoMemory;
  }
  return RunOutcome::NoMemory;
}

}  // namespace

RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image) {
  return convertGif(bytes, size, options, gif, image, LzwDecoder::instance());
}

RunOutcome loadGif(GifInput& input, GifFile& gif, LzwDecoder& decoder) {
  RunOutcome loaded = loadOutcome(gif.load(input, decoder));
  if (loaded != RunOutcome::Converted) return loaded;
  if (gif.frames.empty()) return RunOutcome::EmptyGif;
  // Checked before any colour is matched, so that the outcome for such a
  // file does not depend on its colours.
  if (!fitsInFrm(gif)) return RunOutcome::TooLargeForFrm;
  return RunOutcome::Converted;
}

RunOutcome assembleFrm(GifFile& gif, const Options& options, FrmImage& image,
                       const PaletteColors* palette) {
  return assemblyOutcome(
      buildFrmImageReleasingPixels(gif, options, image, palette));
}

RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image,
                      LzwDecoder& decoder) {
  GifInput input(bytes, size);
  RunOutcome loaded = loadGif(input, gif, decoder);
  if (loaded != RunOutcome::Converted) return loaded;
  return assembleFrm(gif, options, image);
}
