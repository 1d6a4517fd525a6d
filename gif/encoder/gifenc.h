// Everything of the GIF encoder: frm2gif, tests and data generators use it.
#ifndef GIF2FRM_GIF_ENCODER_GIFENC_H_
#define GIF2FRM_GIF_ENCODER_GIFENC_H_

#include "gif/encoder/code_stream.h"
#include "gif/encoder/code_widths.h"
#include "gif/encoder/gif_builder.h"
#include "gif/encoder/lzw_encoder.h"

#endif  // GIF2FRM_GIF_ENCODER_GIFENC_H_
