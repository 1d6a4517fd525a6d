# Shared part of the MinGW-w64 cross toolchains: the including file sets
# GIF2FRM_MINGW_TRIPLE (x86_64-w64-mingw32 or i686-w64-mingw32) first.
set(CMAKE_SYSTEM_NAME Windows)

# The compilers of the POSIX thread model: with them the C++ library has
# std::mutex and friends, which GoogleTest needs. The program uses no threads
# either way, and winpthread is linked in statically like the rest.
set(CMAKE_C_COMPILER ${GIF2FRM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GIF2FRM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GIF2FRM_MINGW_TRIPLE}-windres)

# Libraries and headers come from the target's sysroot only, never from the
# build machine; programs (code generators and the like) from the build
# machine only.
set(CMAKE_FIND_ROOT_PATH /usr/${GIF2FRM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: the C and C++ run-times and winpthread linked in,
# so that nothing but the system's own DLLs is needed next to it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
