#include "gif2frm/conversion.h"

#include "gif/lzw_decoder.h"
#include "gif2frm/sprite_assembly.h"

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

}  // namespace

RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image) {
  return convertGif(bytes, size, options, gif, image, LzwDecoder::instance());
}

RunOutcome loadGif(GifInput& input, GifFile& gif, LzwDecoder& decoder,
                   PixelTranslation* translation) {
  RunOutcome loaded = loadOutcome(gif.load(input, decoder, translation));
  if (loaded != RunOutcome::Converted) return loaded;
  if (gif.frames.empty()) return RunOutcome::EmptyGif;
  return RunOutcome::Converted;
}

RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image,
                      LzwDecoder& decoder) {
  SpriteAssembly sprite(options, image);
  if (sprite.gifCount() != 1) return RunOutcome::MissingDirectionFile;
  GifInput input(bytes, size);
  // A colour table without a match is reported by add(), after the load and
  // the checks: a failed load wins over it.
  RunOutcome loaded = loadGif(input, gif, decoder, sprite.pixelTranslation());
  if (loaded != RunOutcome::Converted) return loaded;
  return sprite.add(gif);
}
