// preset_text.h: writing a number's preset text straight into the caller's buffer, and reading the plain forms
// of preset text without the general number stream (internal).
//
// A preset pass calls GetPropertyDataToSave twice per property (length, then text). Building a UTF-16 string
// for each call cost two heap allocations per property; these helpers write straight into the caller's buffer
// instead and give exactly the text that oUTF16StringStream gives for the same number in its default format.
//
//   detail::PutDecimalText(static_cast<long long>(value), text, length);
//
// The length query only counts the digits: the digits are made once per property, for the text itself.
#ifndef QENPROPERTIES_INTERNAL_PRESET_TEXT_H_
#define QENPROPERTIES_INTERNAL_PRESET_TEXT_H_

#include <charconv>
#include <cstddef>
#include <system_error>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

// PutAsciiText answers a preset text request: `*length` gets the number of code units (no terminator); when
// `text` is not null the characters and a terminator are written there (the caller sized it from a first call).
inline void PutAsciiText(const char* first, const char* last, WCHAR* text, ULONG* length) {
  *length = static_cast<ULONG>(last - first);
  if (text == nullptr) return;
  for (; first != last; ++first) *text++ = static_cast<unsigned char>(*first);
  *text = 0;
}

// DecimalLength: the number of decimal digits of `value`, found by comparisons rather than a conversion.
inline ULONG DecimalLength(unsigned long long value) {
  ULONG count = 1;
  for (;;) {
    if (value < 10u) return count;
    if (value < 100u) return count + 1;
    if (value < 1000u) return count + 2;
    if (value < 10000u) return count + 3;
    value /= 10000u;
    count += 4;
  }
}

// WriteDigitsBefore writes the DecimalLength(magnitude) digits of `magnitude` so that the last one ends just
// before `end`, two at a time from a table.
inline void WriteDigitsBefore(unsigned long long magnitude, WCHAR* end) {
  static constexpr unsigned char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  while (magnitude >= 100u) {
    const auto pair = static_cast<unsigned>(magnitude % 100u) * 2u;
    magnitude /= 100u;
    *--end = static_cast<WCHAR>(kPairs[pair + 1]);
    *--end = static_cast<WCHAR>(kPairs[pair]);
  }
  if (magnitude >= 10u) {
    const auto pair = static_cast<unsigned>(magnitude) * 2u;
    *--end = static_cast<WCHAR>(kPairs[pair + 1]);
    *--end = static_cast<WCHAR>(kPairs[pair]);
  } else {
    *--end = static_cast<WCHAR>('0' + magnitude);
  }
}

// PutDecimalText answers a preset text request for an integer: its decimal text, a leading '-' for negative
// numbers, no sign otherwise, no padding. The length is counted first, so the digits go straight into the
// caller's buffer, last digit first.
inline void PutDecimalText(unsigned long long value, WCHAR* text, ULONG* length) {
  *length = DecimalLength(value);
  if (text == nullptr) return;
  text[*length] = 0;
  WriteDigitsBefore(value, text + *length);
}

inline void PutDecimalText(long long value, WCHAR* text, ULONG* length) {
  if (value >= 0) {
    PutDecimalText(static_cast<unsigned long long>(value), text, length);
    return;
  }
  // The magnitude is taken in unsigned arithmetic, so the most negative number has one too.
  const unsigned long long magnitude = 0ull - static_cast<unsigned long long>(value);
  *length = 1 + DecimalLength(magnitude);
  if (text == nullptr) return;
  text[0] = '-';
  text[*length] = 0;
  WriteDigitsBefore(magnitude, text + *length);
}

// The readers below take the plain forms a preset save writes, without the general number stream. Each
// answers false, reading nothing, for any other text (white space, a number too long for the fast form, anything
// after the number); the caller then reads that text the general way. Text they take reads to the same value
// the number stream gives for it.

// ReadPlainDecimal reads text that is exactly an optional sign and 1 to 18 ASCII digits, then the terminator.
inline bool ReadPlainDecimal(const WCHAR* text, long long& value) {
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  const WCHAR* const first = text;
  unsigned long long magnitude = 0;
  // Up to 18 digits cannot overflow; a longer run is refused once it ends.
  for (unsigned digit = 0; (digit = static_cast<unsigned>(*text) - '0') < 10u; ++text) {
    magnitude = magnitude * 10u + digit;
  }
  const auto count = text - first;
  if (*text != 0 || count == 0 || count > 18) return false;
  value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  return true;
}

// kPlainRealRoom: the longest text ReadPlainReal takes, in code units. No decimal number of that length
// overflows a double or underflows it to zero, so the conversion's answer needs no further reading.
constexpr std::size_t kPlainRealRoom = 63;

// ReadPlainReal reads text that is exactly an optional sign and ASCII digits with at most one point among them
// (at least one digit), then the terminator, at most kPlainRealRoom code units.
inline bool ReadPlainReal(const WCHAR* text, double& value) {
  char field[kPlainRealRoom];
  std::size_t size = 0;
  // The conversion refuses a leading plus, which changes nothing about the value.
  if (*text == '-' || *text == '+') {
    if (*text == '-') field[size++] = '-';
    ++text;
  }
  // The field is measured first, then narrowed in one plain copy.
  const WCHAR* const start = text;
  std::size_t points = 0;
  for (;; ++text) {
    const unsigned c = *text;
    if (c - '0' < 10u) continue;
    if (c != '.') break;
    ++points;
  }
  const auto units = static_cast<std::size_t>(text - start);
  if (*text != 0 || points > 1 || units == points || size + units > kPlainRealRoom) return false;
  for (std::size_t i = 0; i < units; ++i) field[size + i] = static_cast<char>(start[i]);
  size += units;
  double read = 0.0;
  const std::from_chars_result result = std::from_chars(field, field + size, read);
  if (result.ec != std::errc() || result.ptr != field + size) return false;
  value = read;
  return true;
}

// ReadHexBytes decodes `2 * count` code units of hexadecimal digits (either case), high digit first, into
// `count` bytes; false at the first unit that is no such digit, the terminator included (the bytes are then
// undefined).
inline bool ReadHexBytes(const WCHAR* text, std::size_t count, unsigned char* bytes) {
  static constexpr unsigned char kNone = 0xFF;
  static constexpr unsigned char kValues[128] = {
      kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
      kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
      kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
      0,     1,     2,     3,     4,     5,     6,     7,     8,     9,     kNone, kNone, kNone, kNone, kNone, kNone,
      kNone, 10,    11,    12,    13,    14,    15,    kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
      kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
      kNone, 10,    11,    12,    13,    14,    15,    kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
      kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
  // A unit is read only after the one before it was a digit, so a shorter text is never read past its end.
  for (std::size_t i = 0; i < 2 * count; ++i) {
    const WCHAR unit = text[i];
    const unsigned char digit = unit < 128 ? kValues[unit] : kNone;
    if (digit == kNone) return false;
    if (i % 2 == 0) {
      bytes[i / 2] = static_cast<unsigned char>(digit << 4);
    } else {
      bytes[i / 2] = static_cast<unsigned char>(bytes[i / 2] | digit);
    }
  }
  return true;
}

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_PRESET_TEXT_H_
