#include "gif2frm/natural_order.h"

#include <cstddef>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The run of digits of text from at: its end, and where its value's first
// digit (not a leading zero) is.
std::size_t digitRun(const std::string& text, std::size_t at,
                     std::size_t& significant) {
  std::size_t end = at;
  while (end < text.size() && isDigit(text[end])) ++end;
  significant = at;
  while (significant + 1 < end && text[significant] == '0') ++significant;
  return end;
}

// -1, 0 or 1 as the number in a[aFrom, aEnd) is below, equal to or above
// the one in b[bFrom, bEnd), both without leading zeros.
int compareNumbers(const std::string& a, std::size_t aFrom, std::size_t aEnd,
                   const std::string& b, std::size_t bFrom, std::size_t bEnd) {
  const std::size_t aLength = aEnd - aFrom;
  const std::size_t bLength = bEnd - bFrom;
  if (aLength != bLength) return aLength < bLength ? -1 : 1;
  const int order = a.compare(aFrom, aLength, b, bFrom, bLength);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

}  // namespace

bool naturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      std::size_t aFrom;
      std::size_t bFrom;
      const std::size_t aEnd = digitRun(a, i, aFrom);
      const std::size_t bEnd = digitRun(b, j, bFrom);
      const int order = compareNumbers(a, aFrom, aEnd, b, bFrom, bEnd);
      if (order != 0) return order < 0;
      i = aEnd;
      j = bEnd;
    } else if (a[i] != b[j]) {
      return static_cast<unsigned char>(a[i]) <
             static_cast<unsigned char>(b[j]);
    } else {
      ++i;
      ++j;
    }
  }
  if (i < a.size() || j < b.size()) return j < b.size();  // a prefix first
  return a < b;  // equal by value: byte order decides
}
