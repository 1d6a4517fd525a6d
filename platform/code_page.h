// How the bytes of a file name are read as characters. Windows names are in
// the process's ANSI code page, where a double-byte character's second byte
// can equal '\\', '/' or '.'; elsewhere names are UTF-8 or single-byte, and
// no byte is a lead byte.
#ifndef GIF2FRM_PLATFORM_CODE_PAGE_H_
#define GIF2FRM_PLATFORM_CODE_PAGE_H_

namespace platform {

// True when byte starts a double-byte character in the process's code page.
bool isLeadByte(unsigned char byte);

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_CODE_PAGE_H_
