// One input of a sprite read into decoded frames: a GIF, a PNG or an APNG
// (told apart by their first bytes, never by their names), or a folder of
// such files whose frames make one image.
#ifndef GIF2FRM_CONVERTER_INPUT_READER_H_
#define GIF2FRM_CONVERTER_INPUT_READER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/messages.h"
#include "gif2frm/png_source.h"
#include "gif2frm/source_image.h"
#include "gif2frm/sprite_assembly.h"
#include "gif2frm/sprite_sheet.h"
#include "platform/byte_source.h"

// Loads the GIF into gif, its pixels through translation if not null (see
// GifDecodeMatching). Done when it was read whole; whether its images make a
// sprite is SpriteAssembly's test.
RunOutcome loadGif(GifInput& input, GifFile& gif, LzwDecoder& decoder,
                   PixelTranslation* translation = nullptr);

class InputReader {
 public:
  // sprite: what the frames go to, whose colour matching a GIF's reader
  // matches pixels through as it decodes them; decoder: the LZW decoder of
  // GIFs. Both must outlive this object.
  explicit InputReader(SpriteAssembly& sprite,
                       LzwDecoder& decoder = LzwDecoder::instance())
      : sprite_(sprite), decoder_(decoder) {}
  InputReader(const InputReader&) = delete;
  InputReader& operator=(const InputReader&) = delete;

  // Reads the file or folder at path into image, which points into what
  // this object keeps: it must outlive image's use. Done when every file
  // was read; otherwise the outcome that ends the run, naming the file of a
  // folder that failed in file.
  RunOutcome read(const std::string& path, SourceImage& image);

  // The same for the size bytes of one file already in memory.
  RunOutcome readBytes(const std::uint8_t* bytes, std::size_t size,
                       SourceImage& image);

 private:
  RunOutcome readFile(const std::string& path, SourceImage& image,
                      bool& isImage);
  RunOutcome readStream(platform::ByteSource& stream, std::uint64_t size,
                        SourceImage& image, bool& isImage);
  RunOutcome readFolder(const std::string& path, SourceImage& image);
  RunOutcome cutIntoCells(SourceImage& image);

  SpriteAssembly& sprite_;
  LzwDecoder& decoder_;
  std::vector<std::unique_ptr<GifFile>> gifs_;
  std::vector<std::unique_ptr<PngSource>> pngs_;
  SheetCells cells_;
};

#endif  // GIF2FRM_CONVERTER_INPUT_READER_H_
