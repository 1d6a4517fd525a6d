// Reads an FRM sprite file back into an FrmImage: the mirror of
// FrmImage::write. The bytes are untrusted, so every field is checked before
// anything depends on it, and nothing is allocated that the file's own size
// does not justify: the frame array only after the frame area was found to
// hold that many frame headers, each frame only after its pixels were found
// to lie within the frame area, which lies within the file.
#ifndef GIF2FRM_FRM_FRM_READER_H_
#define GIF2FRM_FRM_FRM_READER_H_

#include <cstdint>

#include "frm/frm_image.h"
#include "platform/byte_source.h"

// Outcome of readFrm.
enum class FrmReadStatus {
  Ok,                  // every frame was read and every check held
  Truncated,           // the file ends before 62 + frameAreaSize bytes
  BadVersion,          // the version field is not 4
  NoFrames,            // framesPerDirection is 0: a direction without frames
  TrailingBytes,       // the file goes on after 62 + frameAreaSize bytes
  TooManyFrames,       // the frame area cannot hold the frames' 12-byte headers
  BadDirectionOffset,  // a dataOffset is not where its direction's first
                       // frame starts (or is not 0 for a single direction)
  BadPixelCount,       // a frame's pixelCount is not its width x height
  FrameOutsideArea,    // a frame's record runs past the end of the frame area
  AreaNotFilled,       // frame area bytes are left after the last frame
  ReadFailed,          // a read failed or came up short: the file changed
                       // while it was read, or the device failed
  NoMemory,            // the frame array or a frame could not be allocated
};

// Reads the fileSize bytes of source, from its start, into image (freshly
// constructed): the header, then framesPerDirection frames for each of the
// frmDirectionCount directions, in file order. After a failure the image
// holds what was read so far and is destroyed as usual.
FrmReadStatus readFrm(platform::ByteSource& source, std::uint64_t fileSize,
                      FrmImage& image);

#endif  // GIF2FRM_FRM_FRM_READER_H_
