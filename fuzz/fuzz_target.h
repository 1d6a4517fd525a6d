// The entry point every fuzz target defines. libFuzzer calls it with each
// input it makes; the replay program calls it with the bytes of each file it
// is given. A return of 0 is all either expects; faults show as crashes.
#ifndef GIF2FRM_FUZZ_FUZZ_TARGET_H_
#define GIF2FRM_FUZZ_FUZZ_TARGET_H_

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size);

// Stops the process, so that the fuzzer or the replay reports the input:
// a broken invariant is a finding like any crash.
[[noreturn]] void fuzzCheckFailed(const char* what);

#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : fuzzCheckFailed(#condition))

#endif  // GIF2FRM_FUZZ_FUZZ_TARGET_H_
