#include "gif2frm/run.h"
#include "platform/standard_output.h"

int main(int argc, char** argv) {
  platform::setUpStandardOutput();
  return runConverter(argc, argv);
}
