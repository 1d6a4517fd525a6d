// The GIF records are read straight into packed structs whose 16-bit fields
// are little-endian in the file. Both hosts the program is built for (x86 and
// x64, on Linux and Windows) are little-endian; refuse to build elsewhere
// rather than read every size wrongly.
#ifndef GIF2FRM_PLATFORM_LITTLE_ENDIAN_H_
#define GIF2FRM_PLATFORM_LITTLE_ENDIAN_H_

#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__)
#if __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "gif2frm reads GIF records in place and needs a little-endian host"
#endif
#endif

#endif  // GIF2FRM_PLATFORM_LITTLE_ENDIAN_H_
