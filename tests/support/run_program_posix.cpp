// The program in a child process made with fork and exec, its standard
// output and error through pipes.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "support/run_program.h"

namespace {

std::string drain(int fd) {
  std::string text;
  char chunk[4096];
  for (;;) {
    ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return text;
}

}  // namespace

ProgramResult runProgram(const char* path, const std::vector<std::string>& args,
                         const std::string& workDir,
                         std::uint64_t fileSizeLimit) {
  ProgramResult result;
  int out[2];
  int err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return result;
  pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(out[0]);
    ::close(out[1]);
    ::close(err[0]);
    ::close(err[1]);
    if (::chdir(workDir.c_str()) != 0) ::_exit(127);
    if (fileSizeLimit != 0) {
      ::signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {fileSizeLimit, fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path));
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(path, argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  // Both pipes are small in practice; read stdout fully, then stderr.
  result.output = drain(out[0]);
  result.errors = drain(err[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}
