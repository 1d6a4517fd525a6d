// What the page's worker (web/worker.js) calls: it puts the input files in
// place, runs one program on an argument list exactly as a command line
// gives it, argv[0] included, and takes the output files back. Every run
// gets a new instance of the module, so no state of one run reaches the
// next. The converter's option table is read from here too, for the page's
// form.
#include <cstddef>
#include <cstdint>

#include "frm2gif/run.h"
#include "gif2frm/option_table.h"
#include "gif2frm/run.h"
#include "platform/memory_files.h"
#include "platform/standard_output.h"

extern "C" {

// In JavaScript (web/core_imports.js): the input bytes read so far.
void web_read_progress(std::size_t bytes);

// Where the bytes of the input file name go (size of them); null when the
// memory cannot be had.
std::uint8_t* web_add_input(const char* name, std::size_t size) {
  return platform::memory_files::addInput(name, size);
}

// The programs, each as its main() would run it, telling the page how far
// they have read. Returns the exit status.
int web_run_gif2frm(int argc, char** argv) {
  platform::setUpStandardOutput();
  platform::memory_files::setReadListener(web_read_progress);
  return runConverter(argc, argv);
}
int web_run_frm2gif(int argc, char** argv) {
  platform::setUpStandardOutput();
  platform::memory_files::setReadListener(web_read_progress);
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

// gif2frm's options as --help shows them (gif2frm/option_table.h): their
// number, and for each a field by number: 0 the flag, 1 the help text, 2 the
// default value, 3 the kind of form field, 4 the label, 5 the choices. Null
// for any other number.
std::size_t web_option_count() { return kOptionHelpCount; }
const char* web_option_field(std::size_t index, int field) {
  if (index >= kOptionHelpCount) return nullptr;
  const OptionHelp& option = kOptionHelp[index];
  switch (field) {
    case 0:
      return option.flag;
    case 1:
      return option.text;
    case 2:
      return option.defaultValue;
    case 3:
      return optionFieldName(optionField(option));
    case 4:
      return option.label;
    case 5:
      return option.choices;
    default:
      return nullptr;
  }
}

}  // extern "C"
