// One input of a sprite read into decoded frames: a GIF, a PNG or an APNG
// (told apart by their first bytes, never by their names), or a folder of
// such files whose frames make one image.
#ifndef GIF2FRM_CONVERTER_INPUT_READER_H_
#define GIF2FRM_CONVERTER_INPUT_READER_H_

#include <memory>
#include <string>
#include <vector>

#include "gif/gif_file.h"
#include "gif2frm/messages.h"
#include "gif2frm/png_source.h"
#include "gif2frm/source_image.h"
#include "gif2frm/sprite_assembly.h"

class InputReader {
 public:
  // sprite: what the frames go to, whose colour matching a GIF's reader
  // matches pixels through as it decodes them. It must outlive this object.
  explicit InputReader(SpriteAssembly& sprite) : sprite_(sprite) {}
  InputReader(const InputReader&) = delete;
  InputReader& operator=(const InputReader&) = delete;

  // Reads the file or folder at path into image, which points into what
  // this object keeps: it must outlive image's use. Done when every file
  // was read; otherwise the outcome that ends the run, naming the file of a
  // folder that failed in file.
  RunOutcome read(const std::string& path, SourceImage& image);

 private:
  RunOutcome readFile(const std::string& path, SourceImage& image,
                      bool& isImage);
  RunOutcome readFolder(const std::string& path, SourceImage& image);

  SpriteAssembly& sprite_;
  std::vector<std::unique_ptr<GifFile>> gifs_;
  std::vector<std::unique_ptr<PngSource>> pngs_;
};

#endif  // GIF2FRM_CONVERTER_INPUT_READER_H_
