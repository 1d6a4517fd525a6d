#include "platform/byte_buffer.h"

namespace platform {
namespace {
std::uint64_t allocationCountdown = 0;
}  // namespace

void* allocateBytes(std::size_t size) {
  if (allocationCountdown != 0 && --allocationCountdown == 0) return nullptr;
  return std::malloc(size);
}

void freeBytes(void* block) { std::free(block); }

void failAllocationAfter(std::uint64_t countdown) {
  allocationCountdown = countdown;
}

}  // namespace platform
