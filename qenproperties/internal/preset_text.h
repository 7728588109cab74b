// preset_text.h: writing a number's preset text straight into the caller's buffer (internal).
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

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_PRESET_TEXT_H_
