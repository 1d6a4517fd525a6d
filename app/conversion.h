// The conversion itself, from the bytes of a GIF to an FRM image in memory,
// apart from where the bytes come from and where the image goes. The
// program feeds it a file; tests and fuzzers feed it memory.
#ifndef GIF2FRM_APP_CONVERSION_H_
#define GIF2FRM_APP_CONVERSION_H_

#include <cstddef>
#include <cstdint>

#include "app/messages.h"
#include "app/options.h"
#include "color/palette_file.h"
#include "frm/frm_image.h"
#include "gif/gif_file.h"

// Loads the GIF into gif and checks that it can become an FRM image: it
// holds an image, and no more than the format's fields can describe.
// Converted when it can.
RunOutcome loadGif(GifInput& input, GifFile& gif, LzwDecoder& decoder);

// Builds image from a GIF that loadGif accepted, releasing the GIF's pixels
// frame by frame as they are converted. palette: the colours of -p='s file,
// or null for the built-in palette.
RunOutcome assembleFrm(GifFile& gif, const Options& options, FrmImage& image,
                       const PaletteColors* palette = nullptr);

// Both steps: loads the GIF into gif and builds image from it. Converted when image is
// ready to be written; otherwise the outcome that ends the run. Both objects
// are left for the caller to destroy, image first.
RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image);

// The same, with a decoder of the caller's instead of the process-wide one.
RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image,
                      LzwDecoder& decoder);

#endif  // GIF2FRM_APP_CONVERSION_H_
