# The test suite of a cross build, run through CMAKE_CROSSCOMPILING_EMULATOR
# (Wine for the Windows builds). Discovering and starting every test on its
# own would start the emulator hundreds of times, so the suite runs whole, in
# two shards that ctest -j2 runs side by side. A build without an emulator
# (32-bit Windows on a 64-bit-only Wine) is compiled and linked, not run.
# Wine on a busy machine now and then fails to start a process at all, so
# the win64 test preset runs a failed test once more (repeat until-pass:2);
# a real fault fails both times.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  return()
endif()

foreach(shard 0 1)
  add_test(NAME gif2frm_tests_shard${shard} COMMAND gif2frm_tests)
  set_tests_properties(gif2frm_tests_shard${shard} PROPERTIES
    ENVIRONMENT "GTEST_TOTAL_SHARDS=2;GTEST_SHARD_INDEX=${shard}"
    TIMEOUT 900)
endforeach()

# Output names under a double-byte ANSI code page. Wine takes the process's
# code page from the locale: ja_JP gives code page 932 (Shift JIS). Wine also
# converts names and arguments to and from the host through that locale, so
# it must really exist; it is compiled here into the build folder (LOCPATH),
# which needs nothing of the machine but Debian's locale sources. The tests
# of that case skip under any other code page, so this run demands it.
find_program(GIF2FRM_LOCALEDEF localedef)
set(GIF2FRM_LOCALE_SOURCE /usr/share/i18n/locales/ja_JP)
if(NOT GIF2FRM_LOCALEDEF OR NOT EXISTS ${GIF2FRM_LOCALE_SOURCE})
  message(WARNING "No localedef or no ${GIF2FRM_LOCALE_SOURCE} (Debian package "
                  "locales): the tests under code page 932 are left out")
  return()
endif()
set(GIF2FRM_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
add_custom_command(
  OUTPUT ${GIF2FRM_LOCALE_DIR}/ja_JP.UTF-8/LC_CTYPE
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GIF2FRM_LOCALE_DIR}
  COMMAND ${GIF2FRM_LOCALEDEF} -i ja_JP -f UTF-8
          ${GIF2FRM_LOCALE_DIR}/ja_JP.UTF-8
  COMMENT "Compiling the ja_JP.UTF-8 locale for the code page 932 tests"
  VERBATIM)
add_custom_target(gif2frm_test_locale ALL
                  DEPENDS ${GIF2FRM_LOCALE_DIR}/ja_JP.UTF-8/LC_CTYPE)

add_test(NAME gif2frm_tests_code_page_932 COMMAND gif2frm_tests
         --gtest_filter=DoubleByteCodePage.*)
set_tests_properties(gif2frm_tests_code_page_932 PROPERTIES
  ENVIRONMENT
    "LOCPATH=${GIF2FRM_LOCALE_DIR};LC_ALL=ja_JP.UTF-8;GIF2FRM_EXPECT_CODE_PAGE=932"
  TIMEOUT 300)
