# The page's WebAssembly build with Debian's emscripten (package emscripten):
# its own toolchain file, the one emcmake passes, plus what the Debian
# packaging leaves to the user.
find_program(GIF2FRM_EM_CONFIG em-config)
if(NOT GIF2FRM_EM_CONFIG)
  message(FATAL_ERROR "em-config not found: install emscripten "
                      "(tools/install-deps.sh does)")
endif()
execute_process(COMMAND ${GIF2FRM_EM_CONFIG} EMSCRIPTEN_ROOT
                OUTPUT_VARIABLE GIF2FRM_EMSCRIPTEN_ROOT
                OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE emConfigResult)
if(NOT emConfigResult EQUAL 0 OR NOT EXISTS
   "${GIF2FRM_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
  message(FATAL_ERROR "em-config EMSCRIPTEN_ROOT gave no emscripten "
                      "installation (${GIF2FRM_EMSCRIPTEN_ROOT})")
endif()
include("${GIF2FRM_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")

# The linker runs emscripten's JavaScript optimiser under Node.js, which needs
# the acorn parser. Debian installs it as node-acorn under /usr/share/nodejs,
# where Debian's own node looks but a Node.js from elsewhere (NodeSource) does
# not; naming the folder on NODE_PATH serves both.
find_path(GIF2FRM_ACORN_MODULES acorn/package.json
          PATHS /usr/share/nodejs /usr/lib/nodejs
          NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(GIF2FRM_ACORN_MODULES)
  set(CMAKE_CXX_LINKER_LAUNCHER
      ${CMAKE_COMMAND} -E env "NODE_PATH=${GIF2FRM_ACORN_MODULES}")
endif()
