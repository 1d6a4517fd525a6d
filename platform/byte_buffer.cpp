#include "platform/byte_buffer.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace platform {
namespace {
std::uint64_t allocationCountdown = 0;
constexpr std::uint64_t kUnlimited = UINT64_MAX;
std::uint64_t bytesLeft = kUnlimited;

// A frame's pixels are millions of bytes written front to back right after
// they are allocated, and the first touch of every page of fresh memory is
// a page fault. On Linux a block that large asks for transparent huge pages,
// so that each 2 MiB of it faults once instead of 512 times: on a 4000 x
// 3000 GIF that took a third of the system time of a run (bench/README.md).
// Other systems take the block as it comes.
void adviseHugePages(void* block, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::size_t kHugePagesFrom = std::size_t{4} << 20;
  if (size < kHugePagesFrom) return;
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t begin = (start + page - 1) / page * page;
  const std::uintptr_t end = (start + size) / page * page;
  // Only advice: where the system has no huge page to give, nothing changes.
  ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)block;
  (void)size;
#endif
}

}  // namespace

void* allocateBytes(std::size_t size) {
  if (allocationCountdown != 0 && --allocationCountdown == 0) return nullptr;
  if (bytesLeft != kUnlimited) {
    if (size > bytesLeft) return nullptr;
    bytesLeft -= size;
  }
  void* block = std::malloc(size);
  if (block != nullptr) adviseHugePages(block, size);
  return block;
}

void freeBytes(void* block) { std::free(block); }

void failAllocationAfter(std::uint64_t countdown) {
  allocationCountdown = countdown;
}

void limitAllocatedBytes(std::uint64_t budget) {
  bytesLeft = budget == 0 ? kUnlimited : budget;
}

}  // namespace platform
