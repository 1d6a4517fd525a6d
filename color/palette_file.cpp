#include "color/palette_file.h"

#include <cstring>

#include "color/palette.h"
#include "platform/byte_buffer.h"
#include "platform/input_file.h"

namespace {

constexpr std::size_t kEntryBytes = 3 * kPaletteEntries;  // 768
constexpr std::size_t kActWithTrailer = kEntryBytes + 4;  // 772
// Entries 0..kLastMatchableEntry: the least a palette file must hold.
constexpr std::size_t kLeastEntries = kLastMatchableEntry + 1;
constexpr std::uint8_t kNoColor = 255;

bool isSixBit(const std::uint8_t* entries) {
  for (std::size_t i = 3 * kFirstMatchableEntry;
       i < 3 * (kLastMatchableEntry + 1); ++i) {
    if (entries[i] > 63) return false;
  }
  return true;
}

void reduceEightBit(const std::uint8_t* entries, PaletteColors& colors) {
  for (std::size_t i = 0; i < kEntryBytes; ++i) {
    colors[i] = static_cast<std::uint8_t>(entries[i] / 4);
  }
}

// A 16-bit big-endian field.
std::uint32_t bigEndian16(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 8 | bytes[1];
}

// The text formats, line by line. A line ends at '\n' or at the end of the
// data; a '\r' before the '\n' belongs to the line break.
class Lines {
 public:
  Lines(const std::uint8_t* bytes, std::size_t size)
      : at_(reinterpret_cast<const char*>(bytes)), end_(at_ + size) {
    static const char kByteOrderMark[] = "\xEF\xBB\xBF";
    if (size >= 3 && std::memcmp(at_, kByteOrderMark, 3) == 0) at_ += 3;
  }

  // The next line without its break; false after the last one.
  bool next(const char*& begin, const char*& end) {
    if (at_ == end_) return false;
    begin = at_;
    const void* found =
        std::memchr(at_, '\n', static_cast<std::size_t>(end_ - at_));
    end = found != nullptr ? static_cast<const char*>(found) : end_;
    at_ = found != nullptr ? end + 1 : end_;
    if (end != begin && end[-1] == '\r') --end;
    return true;
  }

  // Whether the data starts with header followed by the end of a line.
  bool startsWith(const char* header) const {
    const std::size_t length = std::strlen(header);
    const auto available = static_cast<std::size_t>(end_ - at_);
    if (available < length || std::memcmp(at_, header, length) != 0) {
      return false;
    }
    return available == length || at_[length] == '\n' || at_[length] == '\r' ||
           at_[length] == ' ' || at_[length] == '\t';
  }

 private:
  const char* at_;
  const char* end_;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

const char* skipBlanks(const char* at, const char* end) {
  while (at != end && isBlank(*at)) ++at;
  return at;
}

bool isBlankLine(const char* begin, const char* end) {
  return skipBlanks(begin, end) == end;
}

bool startsWithText(const char* begin, const char* end, const char* prefix) {
  const std::size_t length = std::strlen(prefix);
  return static_cast<std::size_t>(end - begin) >= length &&
         std::memcmp(begin, prefix, length) == 0;
}

// A decimal number without sign at at; at is moved past its digits. Values
// are capped at limit + 1, so long runs of digits cannot overflow.
bool readNumber(const char*& at, const char* end, std::uint32_t limit,
                std::uint32_t& value) {
  if (at == end || *at < '0' || *at > '9') return false;
  value = 0;
  for (; at != end && *at >= '0' && *at <= '9'; ++at) {
    value = value * 10u + static_cast<std::uint32_t>(*at - '0');
    if (value > limit) value = limit + 1;
  }
  return true;
}

// "red green blue" at the start of a line, blanks before and between. With
// nameAllowed, a blank and then anything may follow (a .gpl colour's name);
// otherwise only blanks.
PaletteFileStatus readColorLine(const char* begin, const char* end,
                                bool nameAllowed, std::uint8_t* rgb) {
  const char* at = begin;
  for (int k = 0; k < 3; ++k) {
    const char* start = skipBlanks(at, end);
    if (k > 0 && start == at) return PaletteFileStatus::MalformedText;
    at = start;
    std::uint32_t value;
    if (!readNumber(at, end, 255, value)) {
      return PaletteFileStatus::MalformedText;
    }
    if (value > 255) return PaletteFileStatus::ComponentTooLarge;
    rgb[k] = static_cast<std::uint8_t>(value);
  }
  if (at == end) return PaletteFileStatus::Ok;
  if (!isBlank(*at)) return PaletteFileStatus::MalformedText;
  if (!nameAllowed && !isBlankLine(at, end)) {
    return PaletteFileStatus::MalformedText;
  }
  return PaletteFileStatus::Ok;
}

// Entries read from text, 8-bit, in index order; the rest stay colourless.
struct TextEntries {
  std::uint8_t rgb[kEntryBytes];
  std::size_t count = 0;

  TextEntries() { std::memset(rgb, kNoColor, sizeof rgb); }

  PaletteFileStatus finish(PaletteColors& colors) const {
    if (count < kLeastEntries) return PaletteFileStatus::TooFewEntries;
    for (std::size_t i = 0; i < kEntryBytes; ++i) {
      colors[i] =
          i < 3 * count ? static_cast<std::uint8_t>(rgb[i] / 4) : kNoColor;
    }
    return PaletteFileStatus::Ok;
  }
};

PaletteFileStatus parseGimp(Lines& lines, PaletteColors& colors) {
  const char* begin;
  const char* end;
  lines.next(begin, end);  // "GIMP Palette"
  TextEntries entries;
  while (lines.next(begin, end)) {
    const char* text = skipBlanks(begin, end);
    if (text == end || *text == '#' || startsWithText(text, end, "Name:") ||
        startsWithText(text, end, "Columns:")) {
      continue;
    }
    if (entries.count == kPaletteEntries) {
      return PaletteFileStatus::TooManyEntries;
    }
    const PaletteFileStatus status =
        readColorLine(begin, end, true, entries.rgb + 3 * entries.count);
    if (status != PaletteFileStatus::Ok) return status;
    ++entries.count;
  }
  return entries.finish(colors);
}

PaletteFileStatus parseJasc(Lines& lines, PaletteColors& colors) {
  const char* begin;
  const char* end;
  lines.next(begin, end);  // "JASC-PAL"
  if (!lines.next(begin, end)) return PaletteFileStatus::MalformedText;
  const char* at = skipBlanks(begin, end);
  if (!startsWithText(at, end, "0100") || !isBlankLine(at + 4, end)) {
    return PaletteFileStatus::MalformedText;
  }
  if (!lines.next(begin, end)) return PaletteFileStatus::MalformedText;
  at = skipBlanks(begin, end);
  std::uint32_t declared;
  if (!readNumber(at, end, kPaletteEntries, declared) ||
      !isBlankLine(at, end)) {
    return PaletteFileStatus::MalformedText;
  }
  if (declared > kPaletteEntries) return PaletteFileStatus::TooManyEntries;
  if (declared < kLeastEntries) return PaletteFileStatus::TooFewEntries;

  TextEntries entries;
  while (lines.next(begin, end)) {
    if (entries.count == declared) {
      // Only blank lines may follow the last colour.
      if (!isBlankLine(begin, end)) return PaletteFileStatus::CountMismatch;
      continue;
    }
    const PaletteFileStatus status =
        readColorLine(begin, end, false, entries.rgb + 3 * entries.count);
    if (status != PaletteFileStatus::Ok) return status;
    ++entries.count;
  }
  if (entries.count != declared) return PaletteFileStatus::CountMismatch;
  return entries.finish(colors);
}

}  // namespace

PaletteFileStatus parsePaletteFile(const std::uint8_t* bytes, std::size_t size,
                                   PaletteColors& colors) {
  if (size > kMaxPaletteFileSize) return PaletteFileStatus::TooLarge;
  if (size == 0) return PaletteFileStatus::UnknownFormat;

  // The text headers first: a binary palette that began with either of them
  // would have a component above 63 in entry 1, and be refused anyway.
  Lines lines(bytes, size);
  if (lines.startsWith("GIMP Palette")) return parseGimp(lines, colors);
  if (lines.startsWith("JASC-PAL")) return parseJasc(lines, colors);

  switch (size) {
    case kPaletteResourceSize:
      if (!isSixBit(bytes)) return PaletteFileStatus::NotSixBit;
      std::memcpy(colors.data(), bytes, kEntryBytes);
      return PaletteFileStatus::Ok;
    case kEntryBytes:
      if (isSixBit(bytes)) {
        std::memcpy(colors.data(), bytes, kEntryBytes);
      } else {
        reduceEightBit(bytes, colors);
      }
      return PaletteFileStatus::Ok;
    case kActWithTrailer: {
      const std::uint32_t used = bigEndian16(bytes + kEntryBytes);
      if (used < kLeastEntries) return PaletteFileStatus::TooFewEntries;
      if (used > kPaletteEntries) return PaletteFileStatus::TooManyEntries;
      reduceEightBit(bytes, colors);
      // Entries past the count are padding, not colours: colourless, as in
      // the text formats.
      std::memset(colors.data() + 3 * std::size_t{used}, kNoColor,
                  kEntryBytes - 3 * std::size_t{used});
      return PaletteFileStatus::Ok;
    }
    default:
      return PaletteFileStatus::UnknownFormat;
  }
}

PaletteFileStatus readPaletteFile(const char* path, PaletteColors& colors) {
  platform::InputFile file;
  if (!file.open(path)) return PaletteFileStatus::CantOpen;
  // One byte more than the limit tells a file at the limit from a larger one.
  platform::ByteBuffer contents;
  if (!contents.allocate(kMaxPaletteFileSize + 1)) {
    return PaletteFileStatus::NoMemory;
  }
  std::size_t size = 0;
  while (size < contents.size()) {
    const std::size_t got =
        file.readSome(contents.data() + size, contents.size() - size);
    if (got == 0) break;
    size += got;
  }
  if (file.failed()) return PaletteFileStatus::ReadFailed;
  if (size > kMaxPaletteFileSize) return PaletteFileStatus::TooLarge;
  return parsePaletteFile(contents.data(), size, colors);
}

const char* paletteFileProblem(PaletteFileStatus status) {
  switch (status) {
    case PaletteFileStatus::Ok:
      return "no problem";
    case PaletteFileStatus::CantOpen:
      return "can't open it";
    case PaletteFileStatus::ReadFailed:
      return "reading it failed";
    case PaletteFileStatus::NoMemory:
      return "not enough memory";
    case PaletteFileStatus::TooLarge:
      return "too large for a palette";
    case PaletteFileStatus::UnknownFormat:
      return "not a palette (768 or 33536 bytes of 6-bit RGB, .act, GIMP "
             ".gpl or JASC-PAL)";
    case PaletteFileStatus::MalformedText:
      return "a line is not what its format allows";
    case PaletteFileStatus::ComponentTooLarge:
      return "a color component is above 255";
    case PaletteFileStatus::NotSixBit:
      return "a color of entries 1 to 228 has a component above 63";
    case PaletteFileStatus::TooFewEntries:
      return "fewer than 229 colors (entries 0 to 228 are needed)";
    case PaletteFileStatus::TooManyEntries:
      return "more than 256 colors";
    case PaletteFileStatus::CountMismatch:
      return "the number of colors differs from the count it gives";
  }
  return "unreadable";
}
