// Several output files pending at once: each keeps its own temporary file
// until it is committed or discarded, and a failure of one touches no other.
#include "platform/output_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/io_faults.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(OutputFiles, SeveralArePendingUntilEachIsCommitted) {
  TempDir dir;
  dir.write("b.out", std::string("old"));
  platform::OutputFile files[3];
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(files[i].create(dir.path()));
    const Bytes bytes(10 + i, static_cast<std::uint8_t>('a' + i));
    ASSERT_TRUE(files[i].write(bytes.data(), bytes.size()));
  }
  for (platform::OutputFile& file : files) {
    EXPECT_EQ(file.finish(), platform::OutputFile::CommitResult::Ok);
  }
  // Three temporary files beside the untouched target.
  EXPECT_EQ(dir.list().size(), 4u);
  EXPECT_EQ(dir.read("b.out"), Bytes({'o', 'l', 'd'}));

  const char* names[3] = {"a.out", "b.out", "c.out"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(files[i].commit(dir.file(names[i])),
              platform::OutputFile::CommitResult::Ok);
  }
  EXPECT_EQ(dir.list(), std::vector<std::string>({"a.out", "b.out", "c.out"}));
  EXPECT_EQ(dir.read("c.out"), Bytes(12, 'c'));
  EXPECT_EQ(dir.read("b.out"), Bytes(11, 'b'));
}

TEST(OutputFiles, NoMoreThanTheLimitArePending) {
  TempDir dir;
  platform::OutputFile files[platform::kMaxPendingOutputs + 1];
  for (int i = 0; i < platform::kMaxPendingOutputs; ++i) {
    ASSERT_TRUE(files[i].create(dir.path())) << i;
  }
  platform::OutputFile& extra = files[platform::kMaxPendingOutputs];
  EXPECT_FALSE(extra.create(dir.path()));
  EXPECT_EQ(extra.commit(dir.file("never.out")),
            platform::OutputFile::CommitResult::CreateFailed);
  // A committed file frees its place.
  ASSERT_EQ(files[0].commit(dir.file("first.out")),
            platform::OutputFile::CommitResult::Ok);
  EXPECT_TRUE(extra.create(dir.path()));
  for (platform::OutputFile& file : files) file.discard();
  EXPECT_EQ(dir.list(), std::vector<std::string>({"first.out"}));
}

TEST(OutputFiles, AFailedFlushRemovesOnlyItsOwnTemporary) {
  TempDir dir;
  platform::OutputFile good;
  platform::OutputFile bad;
  ASSERT_TRUE(good.create(dir.path()));
  ASSERT_TRUE(bad.create(dir.path()));
  platform::failWriteAfter(1);  // the next write: bad's flush
  EXPECT_EQ(bad.finish(), platform::OutputFile::CommitResult::WriteFailed);
  platform::failWriteAfter(0);
  EXPECT_EQ(bad.commit(dir.file("bad.out")),
            platform::OutputFile::CommitResult::CreateFailed);
  EXPECT_EQ(dir.list().size(), 1u);
  EXPECT_EQ(good.commit(dir.file("good.out")),
            platform::OutputFile::CommitResult::Ok);
  EXPECT_EQ(dir.list(), std::vector<std::string>({"good.out"}));
}

}  // namespace
