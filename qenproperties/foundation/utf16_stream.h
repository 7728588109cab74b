// utf16_stream.h: numbers written to and read from UTF-16 text (internal).
//
// oUTF16StringStream   appends numbers to UTF-16 text exactly as a wide string stream in the classic locale
//                      would: the same digits, signs, rounding and "nan"/"inf" spellings for the same format
//                      state. operator<< takes integers (any width, not bool or character types), float and
//                      double, and the format manipulators (std::setprecision, std::fixed, std::scientific,
//                      std::setiosflags, std::showpos, std::hex, ...). Anything else does not compile: the
//                      stream holds numbers only. Field width is not supported. str() returns the text so far.
//                      One exception, where C libraries disagree: a NaN is written "nan" ("NAN" with
//                      std::uppercase), after "-" when its sign bit is set or "+" with std::showpos, everywhere.
//
// iUTF16StringStream   reads numbers from zero-terminated UTF-16 text (null reads as empty text) the way a wide
//                      string stream in the classic locale extracts them: white space (space, \t \n \v \f \r)
//                      is skipped, then an optional sign and digits (for double also a point and an exponent);
//                      reading stops at the first code unit that cannot continue the number, and the next
//                      extraction starts there. Code units above 0x7F are never digits nor white space.
//                      Unlike the standard stream, every failure (no number, a number outside the target
//                      type's range) leaves the variable unchanged; fail() then stays true and later
//                      extractions do nothing. A double whose value is too small to represent reads as zero,
//                      as the standard stream reads it. The text must outlive the stream.
#ifndef QENPROPERTIES_FRAME_UTF16_STREAM_H_
#define QENPROPERTIES_FRAME_UTF16_STREAM_H_

#include <cstdint>
#include <iomanip>
#include <ios>
#include <ostream>
#include <type_traits>

#include "qenproperties/foundation/string_utils.h"

namespace Quenneth {

namespace detail {

template <class T>
constexpr bool kIsCharacterType =
    std::is_same_v<T, bool> || std::is_same_v<T, char> || std::is_same_v<T, signed char> ||
    std::is_same_v<T, unsigned char> || std::is_same_v<T, wchar_t> || std::is_same_v<T, char16_t> ||
    std::is_same_v<T, char32_t>;

// Each standard library names the manipulators' types differently, so they are named through the functions
// that make them.
template <class T>
constexpr bool kIsFormatManipulator =
    std::is_same_v<T, std::ios_base&(std::ios_base&)> || std::is_same_v<T, decltype(std::setprecision(0))> ||
    std::is_same_v<T, decltype(std::setiosflags(std::ios_base::fixed))> ||
    std::is_same_v<T, decltype(std::resetiosflags(std::ios_base::fixed))> ||
    std::is_same_v<T, decltype(std::setbase(10))>;

}  // namespace detail

class oUTF16StringStream {
 public:
  oUTF16StringStream() = default;

  template <class T>
  oUTF16StringStream& operator<<(const T& value) {
    if constexpr (std::is_integral_v<T>) {
      static_assert(!detail::kIsCharacterType<T>, "oUTF16StringStream writes numbers, not characters");
      if (PlainInteger()) {
        if constexpr (std::is_signed_v<T>) {
          AppendDecimal(static_cast<long long>(value));
        } else {
          AppendDecimal(static_cast<unsigned long long>(value));
        }
      } else {
        AppendThroughStream(value);
      }
    } else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
      AppendDouble(static_cast<double>(value));
    } else {
      static_assert(detail::kIsFormatManipulator<T>, "oUTF16StringStream takes numbers and format manipulators");
      std::ostream& state = ManipulatorTarget(flags_, precision_);
      state << value;
      flags_ = state.flags();
      precision_ = state.precision();
    }
    return *this;
  }

  QWString str() const { return text_; }

 private:
  // The standard gives the manipulators made by set... functions only an inserter into a basic_ostream, so
  // the target is a stream: one per thread, with no buffer, carrying this stream's format state meanwhile.
  static std::ostream& ManipulatorTarget(std::ios_base::fmtflags flags, std::streamsize precision);

  bool PlainInteger() const;
  void AppendDecimal(long long value);
  void AppendDecimal(unsigned long long value);
  void AppendDouble(double value);
  // The exact but slower route for format states the direct conversions do not cover.
  template <class T>
  void AppendThroughStream(const T& value);

  QWString text_;
  std::ios_base::fmtflags flags_ = std::ios_base::skipws | std::ios_base::dec;
  std::streamsize precision_ = 6;
};

class iUTF16StringStream {
 public:
  explicit iUTF16StringStream(const WCHAR* text);

  iUTF16StringStream& operator>>(std::int32_t& v);
  iUTF16StringStream& operator>>(long long& v);
  iUTF16StringStream& operator>>(double& v);
  bool fail() const { return failed_; }

 private:
  // Skips white space; false (and the stream fails) when the text ends first.
  bool SkipSpace();
  // Reads a sign and digits; succeeds when the magnitude is at most the limit for its sign.
  bool ExtractInteger(unsigned long long positiveLimit, unsigned long long negativeLimit, long long& value);

  const WCHAR* next_;
  bool failed_ = false;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_UTF16_STREAM_H_
