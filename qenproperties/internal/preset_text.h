// preset_text.h: writing a number's preset text straight into the caller's buffer (internal).
//
// A preset pass calls GetPropertyDataToSave twice per property (length, then text). Building a UTF-16 string
// for each call cost two heap allocations per property; these helpers format into a stack buffer instead and
// give exactly the text that oUTF16StringStream gives for the same number in its default format (both use
// std::to_chars).
//
//   detail::PutDecimalText(static_cast<long long>(value), text, length);
//
// The length query only counts the digits: the conversion is made once per property, for the text itself.
#ifndef QENPROPERTIES_INTERNAL_PRESET_TEXT_H_
#define QENPROPERTIES_INTERNAL_PRESET_TEXT_H_

#include <charconv>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

// DecimalText holds an integer's decimal text: a leading '-' for negative numbers, no sign otherwise, no padding.
class DecimalText {
 public:
  explicit DecimalText(long long value) : end_(std::to_chars(digits_, digits_ + sizeof digits_, value).ptr) {}
  explicit DecimalText(unsigned long long value) : end_(std::to_chars(digits_, digits_ + sizeof digits_, value).ptr) {}
  DecimalText(const DecimalText&) = delete;
  DecimalText& operator=(const DecimalText&) = delete;

  const char* begin() const { return digits_; }
  const char* end() const { return end_; }

 private:
  char digits_[24];  // the 20 digits and sign of any 64-bit number, with room to spare
  char* end_;
};

// PutAsciiText answers a preset text request: `*length` gets the number of code units (no terminator); when
// `text` is not null the characters and a terminator are written there (the caller sized it from a first call).
inline void PutAsciiText(const char* first, const char* last, WCHAR* text, ULONG* length) {
  *length = static_cast<ULONG>(last - first);
  if (text == nullptr) return;
  for (; first != last; ++first) *text++ = static_cast<unsigned char>(*first);
  *text = 0;
}

// DecimalLength: the number of characters of DecimalText(value), found by comparisons rather than a conversion.
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

inline ULONG DecimalLength(long long value) {
  // The magnitude is taken in unsigned arithmetic, so the most negative number has one too.
  return value < 0 ? 1 + DecimalLength(0ull - static_cast<unsigned long long>(value))
                   : DecimalLength(static_cast<unsigned long long>(value));
}

// PutDecimalText answers a preset text request for an integer as PutAsciiText does with DecimalText(value).
template <class Integer>
void PutDecimalText(Integer value, WCHAR* text, ULONG* length) {
  if (text == nullptr) {
    *length = DecimalLength(value);
    return;
  }
  const DecimalText decimal(value);
  PutAsciiText(decimal.begin(), decimal.end(), text, length);
}

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_PRESET_TEXT_H_
