// The test program's own operator new, which can be told to fail: the
// containers of the program (the frame list, the output name) allocate
// through it, and their failures must end a run as cleanly as those of the
// program's own buffers.
#ifndef GIF2FRM_TESTS_SUPPORT_FAILING_NEW_H_
#define GIF2FRM_TESTS_SUPPORT_FAILING_NEW_H_

#include <cstdint>

// The countdown-th operator new from now on throws std::bad_alloc (1 = the
// next one); 0 switches injection off.
void failNewAfter(std::uint64_t countdown);

#endif  // GIF2FRM_TESTS_SUPPORT_FAILING_NEW_H_
