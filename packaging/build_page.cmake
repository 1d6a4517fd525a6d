# Builds the page for the packages as the README builds it: the web preset
# configured and built, in build/web of the source tree (the working
# directory). Run by cmake -P from the pkg, win64 and win32 builds.
foreach(step "--preset;web" "--build;--preset;web")
  execute_process(COMMAND ${CMAKE_COMMAND} ${step} RESULT_VARIABLE failed)
  if(failed)
    string(REPLACE ";" " " shown "${step}")
    message(FATAL_ERROR "cmake ${shown} failed: the packages need the page")
  endif()
endforeach()
