// File names are bytes in the process's ANSI code page (the one GetACP
// names), which is what the C run-time hands main and what CreateFileA
// expects. In a double-byte code page such as 932 or 936, IsDBCSLeadByte
// tells which bytes start a two-byte character: exactly the steps CharNextA
// takes through such a name.
#include <windows.h>

#include "platform/code_page.h"

namespace platform {

bool isLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != 0; }

}  // namespace platform
