// An interrupted program leaves none of its pending temporary files behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/output_file.h"
#include "support/temp_dir.h"

namespace {

TEST(OutputFilesPosix, ATerminationSignalRemovesEveryPendingTemporary) {
  TempDir dir;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::OutputFile first;
    platform::OutputFile second;
    platform::OutputFile third;
    bool made = first.create(dir.path()) && second.create(dir.path()) &&
                third.create(dir.path()) && first.write("1", 1) &&
                second.finish() == platform::OutputFile::CommitResult::Ok;
    // The second is in place before the signal comes; three are pending.
    made = made && second.commit(dir.file("kept.out")) ==
                       platform::OutputFile::CommitResult::Ok;
    platform::OutputFile fourth;
    made = made && fourth.create(dir.path());
    if (!made) ::_exit(3);
    ::raise(SIGTERM);
    ::_exit(4);  // not reached: the handler ends the process by the signal
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(dir.list(), std::vector<std::string>({"kept.out"}));
}

}  // namespace
