#include "qenproperties/foundation/utf16_stream.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <system_error>

namespace Quenneth {
namespace {

// A number's field is narrowed into a buffer of this many characters on the stack; a longer one (hundreds of
// digits, which no saved value has) goes to the heap.
constexpr std::size_t kStackFieldSize = 128;
// Beyond this precision the direct conversion is not worth a large stack buffer; the stream route takes over.
constexpr std::streamsize kMaxDirectPrecision = 100;
// Sign, the 309 integer digits of the largest double, point, digits after it, and slack.
constexpr std::size_t kDirectBufferSize = 512;

void AppendAscii(QWString& text, const char* first, const char* last) {
  const std::size_t start = text.size();
  text.resize(start + static_cast<std::size_t>(last - first));
  for (std::size_t i = start; first != last; ++first, ++i) text[i] = static_cast<unsigned char>(*first);
}

bool IsDigit(WCHAR c) { return c >= '0' && c <= '9'; }

// The classic locale's white space; everything above 0x7F stops a number instead.
bool IsSpace(WCHAR c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// Whether a decimal field that converted out of range was too large (rather than too small). Only called for
// fields the double conversion rejected as out of range, so the value is far from 1 and the position of its
// first significant digit decides.
bool IsOverflow(const char* field, std::size_t n) {
  std::size_t i = 0;
  if (i < n && (field[i] == '-' || field[i] == '+')) ++i;
  bool significant = false;
  long long integerDigits = 0;
  long long zerosAfterPoint = 0;
  for (; i < n && field[i] >= '0' && field[i] <= '9'; ++i) {
    if (significant || field[i] != '0') {
      significant = true;
      ++integerDigits;
    }
  }
  if (i < n && field[i] == '.') {
    for (++i; i < n && field[i] >= '0' && field[i] <= '9'; ++i) {
      if (!significant) {
        if (field[i] != '0') {
          significant = true;
        } else {
          ++zerosAfterPoint;
        }
      }
    }
  }
  if (!significant) return false;
  long long exponent = 0;
  if (i < n && (field[i] == 'e' || field[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < n && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
    // Saturating far beyond any double's range keeps the arithmetic below from overflowing.
    for (; i < n; ++i) {
      if (exponent < 1000000000) exponent = exponent * 10 + (field[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  const long long position = integerDigits > 0 ? integerDigits - 1 : -(zerosAfterPoint + 1);
  return exponent + position > 0;
}

}  // namespace

std::ostream& oUTF16StringStream::ManipulatorTarget(std::ios_base::fmtflags flags, std::streamsize precision) {
  thread_local std::ostream target(nullptr);
  target.flags(flags);
  target.precision(precision);
  return target;
}

bool oUTF16StringStream::PlainInteger() const {
  const std::ios_base::fmtflags base = flags_ & std::ios_base::basefield;
  return base != std::ios_base::oct && base != std::ios_base::hex && (flags_ & std::ios_base::showpos) == 0;
}

void oUTF16StringStream::AppendDecimal(long long value) {
  char buffer[24];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  AppendAscii(text_, buffer, result.ptr);
}

void oUTF16StringStream::AppendDecimal(unsigned long long value) {
  char buffer[24];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  AppendAscii(text_, buffer, result.ptr);
}

// The stream formats a double as printf does with "%.*f" (fixed) or "%.*g" (no float field), and to_chars
// with an explicit precision is defined to give that same text.
void oUTF16StringStream::AppendDouble(double value) {
  if (std::isnan(value)) {
    // The C library decides whether a NaN shows its sign, and they differ (one writes every NaN as "nan"), so
    // this one spelling keeps the text the same on every platform.
    const char* sign = std::signbit(value) ? "-" : ((flags_ & std::ios_base::showpos) != 0 ? "+" : "");
    const char* name = (flags_ & std::ios_base::uppercase) != 0 ? "NAN" : "nan";
    AppendAscii(text_, sign, sign + std::strlen(sign));
    AppendAscii(text_, name, name + 3);
    return;
  }
  const std::ios_base::fmtflags field = flags_ & std::ios_base::floatfield;
  const bool decorated = (flags_ & (std::ios_base::showpos | std::ios_base::showpoint | std::ios_base::uppercase)) != 0;
  const std::streamsize precision = precision_ < 0 ? 6 : precision_;
  if (!decorated && (field == std::ios_base::fixed || field == std::ios_base::fmtflags{}) &&
      precision <= kMaxDirectPrecision) {
    char buffer[kDirectBufferSize];
    const std::chars_format format =
        field == std::ios_base::fixed ? std::chars_format::fixed : std::chars_format::general;
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, format, static_cast<int>(precision));
    if (result.ec == std::errc()) {
      AppendAscii(text_, buffer, result.ptr);
      return;
    }
  }
  AppendThroughStream(value);
}

template <class T>
void oUTF16StringStream::AppendThroughStream(const T& value) {
  std::ostringstream stream;
  stream.imbue(std::locale::classic());
  stream.flags(flags_);
  stream.precision(precision_);
  stream << value;
  const std::string narrow = stream.str();
  AppendAscii(text_, narrow.data(), narrow.data() + narrow.size());
}

template void oUTF16StringStream::AppendThroughStream(const short&);
template void oUTF16StringStream::AppendThroughStream(const unsigned short&);
template void oUTF16StringStream::AppendThroughStream(const int&);
template void oUTF16StringStream::AppendThroughStream(const unsigned int&);
template void oUTF16StringStream::AppendThroughStream(const long&);
template void oUTF16StringStream::AppendThroughStream(const unsigned long&);
template void oUTF16StringStream::AppendThroughStream(const long long&);
template void oUTF16StringStream::AppendThroughStream(const unsigned long long&);
template void oUTF16StringStream::AppendThroughStream(const double&);

iUTF16StringStream::iUTF16StringStream(const WCHAR* text) {
  static const WCHAR kEmpty = 0;
  next_ = text != nullptr ? text : &kEmpty;
}

bool iUTF16StringStream::SkipSpace() {
  while (IsSpace(*next_)) ++next_;
  if (*next_ == 0) failed_ = true;
  return !failed_;
}

bool iUTF16StringStream::ExtractInteger(unsigned long long positiveLimit, unsigned long long negativeLimit,
                                        long long& value) {
  if (failed_ || !SkipSpace()) return false;
  const WCHAR* p = next_;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  // An out-of-range number is still consumed to its last digit, as the standard stream does.
  const WCHAR* first = p;
  while (IsDigit(*p)) ++p;
  next_ = p;
  if (first == p) {
    failed_ = true;
    return false;
  }
  while (first != p && *first == '0') ++first;
  // Up to 19 significant digits fit an unsigned 64-bit magnitude, so they are summed without a check per digit
  // and the sum compared with the limit once; a 20th digit puts the number beyond every limit (at most 2^63).
  constexpr std::ptrdiff_t kMaxDigits = 19;
  const unsigned long long limit = negative ? negativeLimit : positiveLimit;
  unsigned long long magnitude = 0;
  const bool fits = p - first <= kMaxDigits;
  if (fits) {
    for (; first != p; ++first) magnitude = magnitude * 10 + static_cast<unsigned>(*first - '0');
  }
  if (!fits || magnitude > limit) {
    failed_ = true;
    return false;
  }
  if (magnitude == 0) {
    value = 0;
  } else if (negative) {
    // Written so that the most negative value never passes through an unrepresentable positive one.
    value = -static_cast<long long>(magnitude - 1) - 1;
  } else {
    value = static_cast<long long>(magnitude);
  }
  return true;
}

iUTF16StringStream& iUTF16StringStream::operator>>(std::int32_t& v) {
  long long value = 0;
  const auto maximum = static_cast<unsigned long long>(std::numeric_limits<std::int32_t>::max());
  if (ExtractInteger(maximum, maximum + 1, value)) v = static_cast<std::int32_t>(value);
  return *this;
}

iUTF16StringStream& iUTF16StringStream::operator>>(long long& v) {
  long long value = 0;
  const auto maximum = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
  if (ExtractInteger(maximum, maximum + 1, value)) v = value;
  return *this;
}

// The field is taken by the standard stream's rules: an exponent marker is taken only after a mantissa digit and
// a point only before the exponent; a sign right after the marker is taken even when no digit follows, and the
// field is then incomplete, so the extraction fails. Every code unit taken is ASCII, so the field narrows one
// unit to one character.
iUTF16StringStream& iUTF16StringStream::operator>>(double& v) {
  if (failed_ || !SkipSpace()) return *this;
  const WCHAR* const start = next_;
  const WCHAR* p = start;
  if (*p == '-' || *p == '+') ++p;
  bool mantissa = false;
  bool point = false;
  bool exponent = false;
  bool exponentDigits = false;
  for (;; ++p) {
    const WCHAR c = *p;
    if (IsDigit(c)) {
      (exponent ? exponentDigits : mantissa) = true;
    } else if (c == '.' && !point && !exponent) {
      point = true;
    } else if ((c == 'e' || c == 'E') && mantissa && !exponent) {
      exponent = true;
      if (p[1] == '-' || p[1] == '+') ++p;
    } else {
      break;
    }
  }
  next_ = p;
  if (!mantissa || (exponent && !exponentDigits)) {
    failed_ = true;
    return *this;
  }
  const auto size = static_cast<std::size_t>(p - start);
  char onStack[kStackFieldSize];
  std::string onHeap;
  char* field = onStack;
  if (size > sizeof onStack) {
    onHeap.resize(size);
    field = &onHeap[0];
  }
  for (std::size_t i = 0; i < size; ++i) field[i] = static_cast<char>(start[i]);
  // from_chars refuses a leading plus, which changes nothing about the value.
  const char* first = field + (field[0] == '+' ? 1 : 0);
  const char* last = field + size;
  double value = 0;
  const std::from_chars_result result = std::from_chars(first, last, value);
  if (result.ec == std::errc::result_out_of_range && !IsOverflow(field, size)) {
    // Too small for a double: the standard stream reads it as zero of the field's sign.
    v = field[0] == '-' ? -0.0 : 0.0;
  } else if (result.ec != std::errc() || result.ptr != last) {
    failed_ = true;
  } else {
    v = value;
  }
  return *this;
}

}  // namespace Quenneth
