#include "platform/byte_buffer.h"

namespace platform {
namespace {
std::uint64_t allocationCountdown = 0;
constexpr std::uint64_t kUnlimited = UINT64_MAX;
std::uint64_t bytesLeft = kUnlimited;
}  // namespace

void* allocateBytes(std::size_t size) {
  if (allocationCountdown != 0 && --allocationCountdown == 0) return nullptr;
  if (bytesLeft != kUnlimited) {
    if (size > bytesLeft) return nullptr;
    bytesLeft -= size;
  }
  return std::malloc(size);
}

void freeBytes(void* block) { std::free(block); }

void failAllocationAfter(std::uint64_t countdown) {
  allocationCountdown = countdown;
}

void limitAllocatedBytes(std::uint64_t budget) {
  bytesLeft = budget == 0 ? kUnlimited : budget;
}

}  // namespace platform
