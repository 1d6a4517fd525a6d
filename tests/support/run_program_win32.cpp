// The program in a child process made with CreateProcessA, its standard
// output and error through pipes, as a command shell would start it.
#include <windows.h>

#include <string>

#include "support/run_program.h"

namespace {

// One argument as the C run-time of the child splits its command line back
// into argv: quoted when it is empty or holds blanks or quotes, with the
// backslashes before a quote (and before the closing quote) doubled.
std::string quoteArgument(const std::string& argument) {
  if (!argument.empty() &&
      argument.find_first_of(" \t\n\v\"") == std::string::npos) {
    return argument;
  }
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}

std::string drain(HANDLE pipe) {
  std::string text;
  char chunk[4096];
  DWORD got = 0;
  while (::ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    text.append(chunk, got);
  }
  ::CloseHandle(pipe);
  return text;
}

// A pipe whose write end the child inherits and whose read end it does not.
bool makePipe(HANDLE& readEnd, HANDLE& writeEnd) {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return false;
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  return true;
}

}  // namespace

ProgramResult runProgram(const char* path, const std::vector<std::string>& args,
                         const std::string& workDir,
                         std::uint64_t fileSizeLimit) {
  ProgramResult result;
  if (fileSizeLimit != 0) {
    // Windows has no per-process limit on the size of files; a test that
    // needs one is a POSIX test.
    result.errors = "runProgram: no file size limit on Windows";
    return result;
  }
  std::string commandLine = quoteArgument(path);
  for (const std::string& arg : args) commandLine += " " + quoteArgument(arg);

  HANDLE outRead, outWrite, errRead, errWrite;
  if (!makePipe(outRead, outWrite)) return result;
  if (!makePipe(errRead, errWrite)) {
    ::CloseHandle(outRead);
    ::CloseHandle(outWrite);
    return result;
  }
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE nothing =
      ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inheritable,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION child = {};
  // Under heavy load Wine now and then fails to start a process at all. A
  // program that did not start has done nothing, so trying again is safe.
  BOOL started = FALSE;
  DWORD startError = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) ::Sleep(200);
    started = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                               0, nullptr, workDir.c_str(), &startup, &child);
    if (!started) startError = ::GetLastError();
  }
  // Only the child may hold the write ends now, so that the reads below end
  // when it does.
  ::CloseHandle(outWrite);
  ::CloseHandle(errWrite);
  if (nothing != INVALID_HANDLE_VALUE) ::CloseHandle(nothing);
  // Both pipes are small in practice; read stdout fully, then stderr.
  result.output = drain(outRead);
  result.errors = drain(errRead);
  if (!started) {
    result.errors += "runProgram: CreateProcessA failed, error " +
                     std::to_string(startError);
    return result;
  }
  ::WaitForSingleObject(child.hProcess, INFINITE);
  DWORD status = 0;
  // A crash ends the process with an exception code (0xC0000005 and the
  // like) as its status; that is no normal exit.
  if (::GetExitCodeProcess(child.hProcess, &status) && status < 0xC0000000u) {
    result.exitStatus = static_cast<int>(status);
  } else {
    result.errors +=
        "runProgram: the program ended with status " + std::to_string(status);
  }
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  return result;
}
