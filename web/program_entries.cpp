// What the page's JavaScript calls (web/api.js): it puts the input files in
// place, runs one program on an argument list exactly as a command line
// gives it, argv[0] included, and takes the output files back. Every run
// gets a new instance of the module, so no state of one run reaches the
// next.
#include <cstddef>
#include <cstdint>

#include "frm2gif/run.h"
#include "gif2frm/run.h"
#include "platform/memory_files.h"
#include "platform/standard_output.h"

extern "C" {

// Where the bytes of the input file name go (size of them); null when the
// memory cannot be had.
std::uint8_t* web_add_input(const char* name, std::size_t size) {
  return platform::memory_files::addInput(name, size);
}

// The programs, each as its main() would run it. Returns the exit status.
int web_run_gif2frm(int argc, char** argv) {
  platform::setUpStandardOutput();
  return runConverter(argc, argv);
}
int web_run_frm2gif(int argc, char** argv) {
  platform::setUpStandardOutput();
  return runViewer(argc, argv);
}

// The output files the run committed.
std::size_t web_output_count() { return platform::memory_files::outputCount(); }
const char* web_output_name(std::size_t index) {
  return platform::memory_files::outputName(index).c_str();
}
const std::uint8_t* web_output_data(std::size_t index) {
  return platform::memory_files::outputData(index);
}
std::size_t web_output_size(std::size_t index) {
  return platform::memory_files::outputSize(index);
}

}  // extern "C"
