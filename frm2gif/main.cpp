#include "frm2gif/run.h"
#include "platform/standard_output.h"

int main(int argc, char** argv) {
  platform::setUpStandardOutput();
  return runViewer(argc, argv);
}
