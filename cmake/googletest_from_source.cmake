# GoogleTest for a cross build. The test suite must be compiled for the
# target like the code it tests, and Debian's libgtest-dev ships GoogleTest's
# sources next to the build machine's libraries: build those here. Defines
# GTest::gtest and GTest::gtest_main, as find_package(GTest) does.
set(GIF2FRM_GOOGLETEST_SOURCE_DIR /usr/src/googletest
    CACHE PATH "GoogleTest sources to build for the target")
if(NOT EXISTS ${GIF2FRM_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${GIF2FRM_GOOGLETEST_SOURCE_DIR}; "
                      "install libgtest-dev")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# The suite runs on one thread; GoogleTest's own Windows locking is enough.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${GIF2FRM_GOOGLETEST_SOURCE_DIR}
                 ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Our warning options (and -Werror) are for our code, not for GoogleTest's.
set_target_properties(gtest gtest_main PROPERTIES COMPILE_OPTIONS "")
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
