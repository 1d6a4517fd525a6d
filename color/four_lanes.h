// Four 32-bit lanes handled as one value, for the colour matching's inner
// loops: GCC and Clang vector extensions, which become SSE2 on x86-64 and
// plain lane-by-lane code where there is nothing like it (WebAssembly
// without SIMD). Every operation is the same IEEE single-precision operation
// on each lane as the scalar code would do.
#ifndef GIF2FRM_COLOR_FOUR_LANES_H_
#define GIF2FRM_COLOR_FOUR_LANES_H_

#include <cstdint>
#include <cstring>

#if !defined(__GNUC__)
#error "the colour matching needs GCC or Clang vector extensions"
#endif

typedef float Float4 __attribute__((vector_size(16)));
typedef std::uint32_t Bits4 __attribute__((vector_size(16)));
typedef std::int32_t Mask4 __attribute__((vector_size(16)));

// The lanes' bits as the other type.
inline Bits4 bitsOf(Float4 x) {
  Bits4 bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}
inline Float4 floatsOf(Bits4 bits) {
  Float4 x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

inline Float4 lanewiseMin(Float4 x, Float4 y) { return x < y ? x : y; }

// Lane k of x in every lane.
template <int k>
Float4 broadcast(Float4 x) {
  return __builtin_shufflevector(x, x, k, k, k, k);
}

#endif  // GIF2FRM_COLOR_FOUR_LANES_H_
