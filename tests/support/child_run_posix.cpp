#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "frm2gif/run.h"
#include "gif2frm/run.h"
#include "support/child_run.h"

#if defined(__SANITIZE_ADDRESS__)
#define GIF2FRM_CHECK_LEAKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GIF2FRM_CHECK_LEAKS 1
#endif
#endif
#ifdef GIF2FRM_CHECK_LEAKS
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Exit statuses the child uses for what the parent must tell apart from the
// run's own 0 and 1.
constexpr int kLeakStatus = 86;
constexpr int kSetupFailed = 87;

using RunFunction = int (*)(int, char**);

[[noreturn]] void runChild(RunFunction run,
                           const std::vector<std::string>& args,
                           const std::string& workDir,
                           const std::function<void()>& prepare, int out,
                           unsigned timeoutSeconds, bool checkLeaks) {
  ::alarm(timeoutSeconds);
  if (::dup2(out, 1) < 0 || ::chdir(workDir.c_str()) != 0) {
    ::_exit(kSetupFailed);
  }
  ::close(out);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("gif2frm"));
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  if (prepare) prepare();
  const int status = run(static_cast<int>(argv.size() - 1), argv.data());
  std::fflush(stdout);
#ifdef GIF2FRM_CHECK_LEAKS
  if (checkLeaks && __lsan_do_recoverable_leak_check() != 0) {
    ::_exit(kLeakStatus);
  }
#else
  (void)checkLeaks;
#endif
  // No exit handlers: they belong to the test process, not to this copy.
  ::_exit(status);
}

ChildRun runInChild(RunFunction run, const std::vector<std::string>& args,
                    const std::string& workDir,
                    const std::function<void()>& prepare,
                    unsigned timeoutSeconds, bool checkLeaks) {
  ChildRun result;
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return result;
  // Whatever the test process has buffered must not be printed twice.
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    return result;
  }
  if (child == 0) {
    ::close(pipeEnds[0]);
    runChild(run, args, workDir, prepare, pipeEnds[1], timeoutSeconds,
             checkLeaks);
  }
  ::close(pipeEnds[1]);
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(pipeEnds[0], chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    result.output.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) {
    const int code = WEXITSTATUS(status);
    if (code == kLeakStatus) {
      result.leaked = true;
    } else if (code != kSetupFailed) {
      result.exitStatus = code;
    }
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
    result.timedOut = result.signal == SIGALRM;
  }
  return result;
}

}  // namespace

ChildRun runConverterInChild(const std::vector<std::string>& args,
                             const std::string& workDir,
                             const std::function<void()>& prepare,
                             unsigned timeoutSeconds, bool checkLeaks) {
  return runInChild(runConverter, args, workDir, prepare, timeoutSeconds,
                    checkLeaks);
}

ChildRun runViewerInChild(const std::vector<std::string>& args,
                          const std::string& workDir,
                          const std::function<void()>& prepare,
                          unsigned timeoutSeconds, bool checkLeaks) {
  return runInChild(runViewer, args, workDir, prepare, timeoutSeconds,
                    checkLeaks);
}
