#include "bench/child_peak_memory.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace bench {

ChildRun runMeasured(const std::string& program,
                     const std::vector<std::string>& args,
                     const std::string& workDir, bool quiet) {
  ChildRun run;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child < 0) return run;
  if (child == 0) {
    const int devNull = quiet ? ::open("/dev/null", O_WRONLY) : -1;
    if (devNull >= 0) {
      ::dup2(devNull, 1);
      ::dup2(devNull, 2);
    }
    if (::chdir(workDir.c_str()) != 0) ::_exit(127);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  // wait4 gives this child's own usage, not the sum over all children.
  if (::wait4(child, &status, 0, &usage) != child) return run;
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  // Linux reports kilobytes.
  run.peakBytes = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
  return run;
}

std::uint64_t currentResidentBytes() {
  // statm: total and resident size in pages.
  std::ifstream statm("/proc/self/statm");
  std::uint64_t total = 0;
  std::uint64_t resident = 0;
  if (!(statm >> total >> resident)) return 0;
  return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace bench
