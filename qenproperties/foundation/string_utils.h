// string_utils.h: the library's UTF-16 string type and the small text helpers built on it (internal).
//
// WCharTraits     character traits for WCHAR, so QWString does not depend on the standard library's generic
//                 char_traits template (which is deprecated or missing for unsigned short in some libraries).
// QWString        UTF-16 text; QU8String is UTF-8 text held in a std::string.
//
// StringUtils::QWLen(s)             code units before the terminator; 0 for a null s.
// StringUtils::QWCopy(dst, src, n)  copies src and its terminator into dst and returns dst. n == 0 means no
//                                   limit; otherwise at most n code units are written, the terminator included,
//                                   so dst is always terminated. A null src copies as empty text; a null dst
//                                   writes nothing. The two ranges must not overlap.
// StringUtils::QWIsEqual(a, b, f)   1 when a and b hold the same code units, else 0. Two null pointers are
//                                   equal; a null pointer never equals text. f is accepted for callers that
//                                   pass a comparison mode and is ignored: comparison is always exact.
// StringUtils::QUTF8ToUTF16(in, out)
// StringUtils::QUTF16ToUTF8(in, out)
//                                   convert the whole of `in`, embedded zeros included. Return kResultOk, or
//                                   kResultInvalidArgument for malformed input (bad lead or continuation bytes,
//                                   overlong forms, encoded surrogates, code points above 0x10FFFF, truncated
//                                   sequences, unpaired surrogates), in which case `out` is left empty.
// StringUtils::QUTF8ToUTF16(in, size, out, errors)
// StringUtils::QUTF16ToUTF8(in, size, out, errors)
//                                   the same over `size` units at `in` (null only with size 0). With
//                                   QUtfErrors::kRefuse they answer as above; with QUtfErrors::kReplace they
//                                   never fail: each maximal ill-formed subsequence (one unpaired surrogate; in
//                                   UTF-8 the longest start of a well-formed sequence, or one byte that starts
//                                   none) becomes one U+FFFD, and everything well-formed converts exactly as in
//                                   the strict mode. Neither mode ever produces a zero from anything but a zero
//                                   unit in the input: an overlong form of NUL (C0 80) is refused or replaced.
// StringUtils::QAsciiToUTF16(s)     widens each byte of the zero-terminated s to one code unit (bytes above
//                                   0x7F keep their value, as Latin-1 would); a null s gives empty text.
#ifndef QENPROPERTIES_FRAME_STRING_UTILS_H_
#define QENPROPERTIES_FRAME_STRING_UTILS_H_

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <iosfwd>
#include <string>

#include "qenproperties/frame/types.h"

namespace Quenneth {

struct WCharTraits {
  using char_type = WCHAR;
  // Wide enough that eof() differs from every code unit.
  using int_type = std::uint32_t;
  using off_type = std::streamoff;
  using pos_type = std::streampos;
  using state_type = std::mbstate_t;

  static constexpr void assign(char_type& r, const char_type& a) noexcept { r = a; }
  static constexpr bool eq(char_type a, char_type b) noexcept { return a == b; }
  static constexpr bool lt(char_type a, char_type b) noexcept { return a < b; }

  static constexpr int compare(const char_type* a, const char_type* b, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i) {
      if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
  }

  static constexpr std::size_t length(const char_type* s) noexcept {
    std::size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
  }

  static constexpr const char_type* find(const char_type* s, std::size_t n, const char_type& c) noexcept {
    for (std::size_t i = 0; i < n; ++i) {
      if (s[i] == c) return s + i;
    }
    return nullptr;
  }

  // memmove/memcpy are only called for n != 0: the pointers of an empty range may be null.
  static char_type* move(char_type* dst, const char_type* src, std::size_t n) noexcept {
    if (n != 0) std::memmove(dst, src, n * sizeof(char_type));
    return dst;
  }
  static char_type* copy(char_type* dst, const char_type* src, std::size_t n) noexcept {
    if (n != 0) std::memcpy(dst, src, n * sizeof(char_type));
    return dst;
  }
  static char_type* assign(char_type* s, std::size_t n, char_type c) noexcept {
    for (std::size_t i = 0; i < n; ++i) s[i] = c;
    return s;
  }

  static constexpr int_type eof() noexcept { return 0xFFFFFFFFu; }
  static constexpr int_type not_eof(int_type c) noexcept { return c == eof() ? 0 : c; }
  static constexpr char_type to_char_type(int_type c) noexcept { return static_cast<char_type>(c); }
  static constexpr int_type to_int_type(char_type c) noexcept { return c; }
  static constexpr bool eq_int_type(int_type a, int_type b) noexcept { return a == b; }
};

using QWString = std::basic_string<WCHAR, WCharTraits>;
using QU8String = std::string;

// QUtfErrors: what a conversion does with malformed input (see QUTF8ToUTF16 above).
enum class QUtfErrors { kRefuse, kReplace };

namespace StringUtils {

ULONG QWLen(const WCHAR* s);
WCHAR* QWCopy(WCHAR* dst, const WCHAR* src, unsigned int limit);
unsigned char QWIsEqual(const WCHAR* a, const WCHAR* b, unsigned char flag);
ULONG QUTF8ToUTF16(const QU8String& in, QWString& out);
ULONG QUTF16ToUTF8(const QWString& in, QU8String& out);
ULONG QUTF8ToUTF16(const char* in, std::size_t size, QWString& out, QUtfErrors errors);
ULONG QUTF16ToUTF8(const WCHAR* in, std::size_t size, QU8String& out, QUtfErrors errors);
QWString QAsciiToUTF16(const char* s);

}  // namespace StringUtils
}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_STRING_UTILS_H_
