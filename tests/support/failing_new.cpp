#include "support/failing_new.h"

#include <cstdlib>
#include <new>

namespace {
std::uint64_t newCountdown = 0;
}  // namespace

void failNewAfter(std::uint64_t countdown) { newCountdown = countdown; }

void* operator new(std::size_t size) {
  if (newCountdown != 0 && --newCountdown == 0) throw std::bad_alloc();
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
