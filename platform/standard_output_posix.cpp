#include "platform/standard_output.h"

namespace platform {

// Text and binary output are the same thing here.
void setUpStandardOutput() {}

}  // namespace platform
