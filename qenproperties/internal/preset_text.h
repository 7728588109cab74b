// preset_text.h: writing a number's preset text straight into the caller's buffer (internal).
//
// A preset pass calls GetPropertyDataToSave twice per property (length, then text). Building a UTF-16 string
// for each call cost two heap allocations per property; these helpers format into a stack buffer instead and
// give exactly the text that oUTF16StringStream gives for the same number in its default format (both use
// std::to_chars).
//
//   const detail::DecimalText decimal(static_cast<long long>(value));
//   detail::PutAsciiText(decimal.begin(), decimal.end(), text, length);
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

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_PRESET_TEXT_H_
