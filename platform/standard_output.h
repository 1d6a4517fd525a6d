// Standard output as the program's messages need it: every message is
// defined to the byte, "\n" included, and a script that reads them, or
// compares two runs, gets the same bytes from the program on every system.
#ifndef GIF2FRM_PLATFORM_STANDARD_OUTPUT_H_
#define GIF2FRM_PLATFORM_STANDARD_OUTPUT_H_

namespace platform {

// Called once, before anything is printed.
void setUpStandardOutput();

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_STANDARD_OUTPUT_H_
