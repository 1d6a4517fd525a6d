#include "platform/code_page.h"

namespace platform {

bool isLeadByte(unsigned char /*byte*/) { return false; }

}  // namespace platform
