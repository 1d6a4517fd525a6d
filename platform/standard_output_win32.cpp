#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/standard_output.h"

namespace platform {

// The C run-time's text mode would turn each "\n" into "\r\n" on the way
// out; binary mode writes the messages as they are. A console shows a lone
// "\n" as a new line all the same.
void setUpStandardOutput() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace platform
