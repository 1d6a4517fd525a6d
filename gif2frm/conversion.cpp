#include "gif2frm/conversion.h"

#include "gif/lzw_decoder.h"
#include "gif2frm/gif_source.h"
#include "gif2frm/input_reader.h"
#include "gif2frm/sprite_assembly.h"

RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image) {
  return convertGif(bytes, size, options, gif, image, LzwDecoder::instance());
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

RunOutcome convertBytes(const std::uint8_t* bytes, std::size_t size,
                        const Options& options, FrmImage& image,
                        LzwDecoder& decoder) {
  SpriteAssembly sprite(options, image);
  RunOutcome outcome;
  if (sprite.inputCount() != 1) {
    outcome.step = RunStep::Options;
    outcome.option = OptionStatus::MissingDirectionFile;
    return outcome;
  }
  InputReader reader(sprite, decoder);
  SourceImage source;
  outcome = reader.readBytes(bytes, size, source);
  if (!outcome.done()) return outcome;
  outcome.sprite = sprite.add(source);
  if (outcome.sprite != SpriteStatus::Ok) {
    outcome.step = RunStep::Sprite;
    outcome.argument = sprite.detail();
  }
  return outcome;
}
