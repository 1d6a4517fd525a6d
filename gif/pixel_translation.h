// Lets the reader store an image's pixels already translated. The colour
// table an image's indices refer to, and the control extension that says
// which index is transparent, are known before the image's data starts; a
// translation chosen then can be applied by the decoder as it writes each
// pixel, instead of in a second pass over the frame.
//
// The reader only hands over the records: what the table holds is for the
// layer above to decide.
#ifndef GIF2FRM_GIF_PIXEL_TRANSLATION_H_
#define GIF2FRM_GIF_PIXEL_TRANSLATION_H_

#include <cstdint>

class GifFile;
struct GifFrame;

class PixelTranslation {
 public:
  // Called once per image, in stream order, after its descriptor and local
  // colour table have been read and before its data: image is the frame
  // being read (not yet among gif.frames), with the control extension read
  // since the previous image.
  // Returns 256 bytes, entry i being what GIF index i is stored as, valid
  // until the image's data is decoded; or null to store the GIF indices as
  // they are (then the image's pixelsTranslated stays false).
  virtual const std::uint8_t* tableFor(const GifFile& gif,
                                       const GifFrame& image) = 0;

 protected:
  ~PixelTranslation() = default;
};

#endif  // GIF2FRM_GIF_PIXEL_TRANSLATION_H_
