// Everything of the GIF encoder used by tests and data generators.
#ifndef GIF2FRM_TOOLS_GIFENC_GIFENC_H_
#define GIF2FRM_TOOLS_GIFENC_GIFENC_H_

#include "tools/gifenc/code_stream.h"
#include "tools/gifenc/code_widths.h"
#include "tools/gifenc/gif_builder.h"
#include "tools/gifenc/lzw_encoder.h"

#endif  // GIF2FRM_TOOLS_GIFENC_GIFENC_H_
