# 32-bit Windows executables with Debian's MinGW-w64 (g++-mingw-w64-i686).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(GIF2FRM_MINGW_TRIPLE i686-w64-mingw32)
# Floating point in SSE2 registers, as on x86-64, instead of the x87 stack
# with its 80-bit intermediates: the colour matching then computes the same
# distances, and makes the same choices, as the 64-bit programs. SSE2 is
# what every processor has that runs a Windows of this century's second
# decade, and the four-lane colour search uses its registers.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
