// The conversion itself, from the bytes of a GIF to an FRM image in memory,
// apart from where the bytes come from and where the image goes. The
// program feeds it a file; tests and fuzzers feed it memory.
#ifndef GIF2FRM_CONVERTER_CONVERSION_H_
#define GIF2FRM_CONVERTER_CONVERSION_H_

#include <cstddef>
#include <cstdint>

#include "frm/frm_image.h"
#include "gif/gif_file.h"
#include "gif2frm/input_reader.h"
#include "gif2frm/messages.h"
#include "gif2frm/options.h"

// Both steps for a sprite of one GIF (one direction, or six with -6): loads
// the GIF into gif and builds image from it. Done when image is ready to be
// written; otherwise the outcome that ends the run. Both objects are left
// for the caller to destroy, image first. Options naming direction files
// (-1= to -5=) are refused as MissingDirectionFile: from memory there is only
// the one GIF.
RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image);

// The same, with a decoder of the caller's instead of the process-wide one.
RunOutcome convertGif(const std::uint8_t* bytes, std::size_t size,
                      const Options& options, GifFile& gif, FrmImage& image,
                      LzwDecoder& decoder);

// A sprite of one input of any kind in memory (a GIF, a PNG or an APNG;
// not a folder), as the program makes one of a file: read, checked and
// built into image. Done when image is ready to be written.
RunOutcome convertBytes(const std::uint8_t* bytes, std::size_t size,
                        const Options& options, FrmImage& image,
                        LzwDecoder& decoder);

#endif  // GIF2FRM_CONVERTER_CONVERSION_H_
