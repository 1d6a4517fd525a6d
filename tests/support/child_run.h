// Runs a program's run function (runConverter, runFrm2gif) inside a forked
// copy of the test process: the real code path, with fault injection hooks that
// only the child sees, and (in the sanitizer build) a leak check of the child
// before it exits.
#ifndef GIF2FRM_TESTS_SUPPORT_CHILD_RUN_H_
#define GIF2FRM_TESTS_SUPPORT_CHILD_RUN_H_

#include <functional>
#include <string>
#include <vector>

struct ChildRun {
  int exitStatus = -1;  // the run function's result; -1 when it did not return
  int signal = 0;       // the signal that ended the child, if one did
  bool leaked = false;  // LeakSanitizer found memory nobody frees
  bool timedOut = false;  // the run took longer than it was given
  std::string output;     // everything printed on standard output
};

// Runs runConverter with args (argv[1] onwards) in workDir. prepare, if
// given, runs in the child right before, to set injection hooks. The leak
// check scans the whole heap of the test process's copy, tens of
// milliseconds; checkLeaks false leaves it out.
ChildRun runConverterInChild(const std::vector<std::string>& args,
                             const std::string& workDir,
                             const std::function<void()>& prepare = {},
                             unsigned timeoutSeconds = 60,
                             bool checkLeaks = true);

// The same with frm2gif's run function, runFrm2gif.
ChildRun runFrm2gifInChild(const std::vector<std::string>& args,
                           const std::string& workDir,
                           const std::function<void()>& prepare = {},
                           unsigned timeoutSeconds = 60,
                           bool checkLeaks = true);

#endif  // GIF2FRM_TESTS_SUPPORT_CHILD_RUN_H_
