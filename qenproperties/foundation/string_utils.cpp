#include "qenproperties/foundation/string_utils.h"

#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace StringUtils {

ULONG QWLen(const WCHAR* s) {
  if (s == nullptr) return 0;
  return static_cast<ULONG>(WCharTraits::length(s));
}

WCHAR* QWCopy(WCHAR* dst, const WCHAR* src, unsigned int limit) {
  if (dst == nullptr) return dst;
  // Room for the code units before the terminator; with no limit that is the whole of src.
  std::size_t room = limit == 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(limit) - 1;
  std::size_t i = 0;
  if (src != nullptr) {
    for (; i < room && src[i] != 0; ++i) dst[i] = src[i];
  }
  dst[i] = 0;
  return dst;
}

unsigned char QWIsEqual(const WCHAR* a, const WCHAR* b, unsigned char /*flag*/) {
  if (a == nullptr || b == nullptr) return a == b ? 1 : 0;
  for (;; ++a, ++b) {
    if (*a != *b) return 0;
    if (*a == 0) return 1;
  }
}

namespace {

constexpr WCHAR kReplacement = 0xFFFD;

// PutCodePoint writes one or two code units at `out` and gives the end.
WCHAR* PutCodePoint(std::uint32_t cp, WCHAR* out) {
  if (cp < 0x10000u) {
    *out++ = static_cast<WCHAR>(cp);
  } else {
    cp -= 0x10000u;
    *out++ = static_cast<WCHAR>(0xD800u | (cp >> 10));
    *out++ = static_cast<WCHAR>(0xDC00u | (cp & 0x3FFu));
  }
  return out;
}

// Decodes one sequence starting at in[i] (whose lead byte is not ASCII). On success gives the code point and
// the sequence's length; otherwise gives 0 and, in `consumed`, the length of the maximal ill-formed subpart
// (at least 1), which the replacing mode turns into one U+FFFD. The second byte's allowed range depends on the
// lead, which is what rules out overlongs (C0, C1, E0, F0), surrogates (ED) and values above 0x10FFFF (F4).
std::size_t DecodeSequence(const unsigned char* in, std::size_t size, std::size_t i, std::uint32_t& cp,
                           std::size_t& consumed) {
  const unsigned char lead = in[i];
  std::size_t extra;
  unsigned char lo = 0x80, hi = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    cp = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    cp = lead & 0x0Fu;
    if (lead == 0xE0) lo = 0xA0;
    if (lead == 0xED) hi = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    cp = lead & 0x07u;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;
  } else {
    consumed = 1;
    return 0;
  }
  for (std::size_t k = 1; k <= extra; ++k) {
    const bool inRange = i + k < size && in[i + k] >= (k == 1 ? lo : 0x80) && in[i + k] <= (k == 1 ? hi : 0xBF);
    if (!inRange) {
      consumed = k;
      return 0;
    }
    cp = (cp << 6) | (in[i + k] & 0x3Fu);
  }
  return extra + 1;
}

// PutUtf8 writes one code point as UTF-8 at `out` and gives the end.
char* PutUtf8(std::uint32_t cp, char* out) {
  if (cp < 0x80u) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800u) {
    *out++ = static_cast<char>(0xC0u | (cp >> 6));
    *out++ = static_cast<char>(0x80u | (cp & 0x3Fu));
  } else if (cp < 0x10000u) {
    *out++ = static_cast<char>(0xE0u | (cp >> 12));
    *out++ = static_cast<char>(0x80u | ((cp >> 6) & 0x3Fu));
    *out++ = static_cast<char>(0x80u | (cp & 0x3Fu));
  } else {
    *out++ = static_cast<char>(0xF0u | (cp >> 18));
    *out++ = static_cast<char>(0x80u | ((cp >> 12) & 0x3Fu));
    *out++ = static_cast<char>(0x80u | ((cp >> 6) & 0x3Fu));
    *out++ = static_cast<char>(0x80u | (cp & 0x3Fu));
  }
  return out;
}

}  // namespace

// Both conversions write through a pointer into output sized for the worst case (a byte gives at most one code
// unit; a code unit at most three bytes, a pair four), then cut it to what was written.
ULONG QUTF8ToUTF16(const char* in, std::size_t size, QWString& out, QUtfErrors errors) {
  out.clear();
  if (size == 0) return kResultOk;
  out.resize(size);
  WCHAR* w = &out[0];
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(in);
  std::size_t i = 0;
  while (i < size) {
    const unsigned char c = bytes[i];
    if (c < 0x80) {
      *w++ = c;
      ++i;
      continue;
    }
    std::uint32_t cp = 0;
    std::size_t consumed = 0;
    const std::size_t length = DecodeSequence(bytes, size, i, cp, consumed);
    if (length != 0) {
      w = PutCodePoint(cp, w);
      i += length;
    } else if (errors == QUtfErrors::kReplace) {
      *w++ = kReplacement;
      i += consumed;
    } else {
      out.clear();
      return kResultInvalidArgument;
    }
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
  return kResultOk;
}

ULONG QUTF16ToUTF8(const WCHAR* in, std::size_t size, QU8String& out, QUtfErrors errors) {
  out.clear();
  if (size == 0) return kResultOk;
  out.resize(size * 3);
  char* p = &out[0];
  for (std::size_t i = 0; i < size; ++i) {
    std::uint32_t cp = in[i];
    if (cp < 0x80u) {
      *p++ = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800u && cp <= 0xDFFFu) {
      // Only a high surrogate directly followed by a low one forms a code point.
      if (cp <= 0xDBFFu && i + 1 < size && in[i + 1] >= 0xDC00u && in[i + 1] <= 0xDFFFu) {
        cp = 0x10000u + (((cp - 0xD800u) << 10) | (in[i + 1] - 0xDC00u));
        ++i;
      } else if (errors == QUtfErrors::kReplace) {
        cp = kReplacement;
      } else {
        out.clear();
        return kResultInvalidArgument;
      }
    }
    p = PutUtf8(cp, p);
  }
  out.resize(static_cast<std::size_t>(p - out.data()));
  return kResultOk;
}

ULONG QUTF8ToUTF16(const QU8String& in, QWString& out) {
  return QUTF8ToUTF16(in.data(), in.size(), out, QUtfErrors::kRefuse);
}

ULONG QUTF16ToUTF8(const QWString& in, QU8String& out) {
  return QUTF16ToUTF8(in.data(), in.size(), out, QUtfErrors::kRefuse);
}

QWString QAsciiToUTF16(const char* s) {
  QWString out;
  if (s == nullptr) return out;
  const std::size_t n = std::strlen(s);
  out.resize(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(s[i]);
  return out;
}

}  // namespace StringUtils
}  // namespace Quenneth
