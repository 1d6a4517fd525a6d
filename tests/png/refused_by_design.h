// Files of the PNG corpus that libspng decodes and the PNG reader refuses,
// and why: the reader's differential test against libspng and the
// converter's corpus test both name them.
#ifndef GIF2FRM_TESTS_PNG_REFUSED_BY_DESIGN_H_
#define GIF2FRM_TESTS_PNG_REFUSED_BY_DESIGN_H_

#include <map>
#include <string>

inline const std::map<std::string, std::string> kPngRefusedByDesign = {
    // The CRC of the only IDAT is wrong. libspng's spng_decode_image never
    // checks it; the reader does (Wuffs checks every IDAT's CRC), as
    // image-png and Wuffs' own tests expect.
    {"pngsuite/xcsn0g01.png", "bad IDAT CRC"},
    {"image-png/tests/bugfixes/x_interlaced_chck.png", "bad IDAT CRC"},
    // APNG sequence numbers out of order: libspng ignores the animation's
    // chunks, the reader reads them and refuses a broken sequence.
    {"pillow/Tests/images/apng/sequence_fdat_fctl.png", "APNG sequence"},
    {"pillow/Tests/images/apng/sequence_gap.png", "APNG sequence"},
    {"pillow/Tests/images/apng/sequence_reorder.png", "APNG sequence"},
    {"pillow/Tests/images/apng/sequence_reorder_chunk.png", "APNG sequence"},
    {"pillow/Tests/images/apng/sequence_repeat.png", "APNG sequence"},
    {"pillow/Tests/images/apng/sequence_repeat_chunk.png", "APNG sequence"},
    {"pillow/Tests/images/apng/sequence_start.png", "APNG sequence"},
    // acTL's frame count differs from the fcTL chunks' (or is 0, which Wuffs
    // refuses): a fault of structure, refused rather than guessed at.
    {"pillow/Tests/images/apng/syntax_num_frames_high.png", "frame count"},
    {"pillow/Tests/images/apng/syntax_num_frames_low.png", "frame count"},
    {"pillow/Tests/images/apng/syntax_num_frames_invalid.png", "frame count"},
    {"pillow/Tests/images/apng/syntax_num_frames_zero_default.png",
     "frame count"},
    // Other faults of the animation's structure: a second acTL, an fdAT
    // without its fcTL, an fcTL without image data, a repeated fcTL. The
    // reader refuses them; it does not fall back to the default image.
    {"pillow/Tests/images/apng/chunk_multi_actl.png", "two acTL"},
    {"pillow/Tests/images/apng/chunk_no_fctl.png", "fdAT without fcTL"},
    {"pillow/Tests/images/apng/chunk_no_fdat.png", "fcTL without data"},
    {"pillow/Tests/images/apng/chunk_repeat_fctl.png", "repeated fcTL"},
};

#endif  // GIF2FRM_TESTS_PNG_REFUSED_BY_DESIGN_H_
