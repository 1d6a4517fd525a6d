#include "gif2frm/conversion.h"

#include "gif/lzw_decoder.h"
#include "gif2frm/gif_source.h"
#include "gif2frm/sprite_assembly.h"

RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image) {
  return convertGif(bytes, size, options, gif, image, LzwDecoder::instance());
}

RunOutcome loadGif(GifInput& input, GifFile& gif, LzwDecoder& decoder,
                   PixelTranslation* translation) {
  RunOutcome outcome;
  outcome.gif = gif.load(input, decoder, translation);
  if (outcome.gif != GifStatus::Ok) outcome.step = RunStep::Read;
  return outcome;
}

RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image,
                      LzwDecoder& decoder) {
  SpriteAssembly sprite(options, image);
  if (sprite.inputCount() != 1) {
    RunOutcome outcome;
    outcome.step = RunStep::Options;
    outcome.option = OptionStatus::MissingDirectionFile;
    return outcome;
  }
  GifInput input(bytes, size);
  // A colour table without a match is reported by add(), after the load and
  // the checks: a failed load wins over it.
  GifDecodeMatching matching(sprite.colors(), sprite.maps());
  RunOutcome outcome = loadGif(input, gif, decoder, &matching);
  if (!outcome.done()) return outcome;
  SourceImage source;
  describeGif(gif, source);
  outcome.sprite = sprite.add(source);
  if (outcome.sprite != SpriteStatus::Ok) {
    outcome.step = RunStep::Sprite;
    outcome.argument = sprite.detail();
  }
  return outcome;
}
