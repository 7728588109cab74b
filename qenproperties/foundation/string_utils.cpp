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

bool IsContinuation(unsigned char c) { return (c & 0xC0u) == 0x80u; }

void AppendCodePoint(std::uint32_t cp, QWString& out) {
  if (cp < 0x10000u) {
    out.push_back(static_cast<WCHAR>(cp));
  } else {
    cp -= 0x10000u;
    out.push_back(static_cast<WCHAR>(0xD800u | (cp >> 10)));
    out.push_back(static_cast<WCHAR>(0xDC00u | (cp & 0x3FFu)));
  }
}

// Decodes one sequence starting at in[i] (whose lead byte is not ASCII) and advances i past it. Returns false
// for anything but the shortest form of a scalar value: the second byte's allowed range depends on the lead,
// which is what rules out overlongs (E0, F0), surrogates (ED) and values above 0x10FFFF (F4).
bool DecodeSequence(const unsigned char* in, std::size_t size, std::size_t& i, std::uint32_t& cp) {
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
    return false;
  }
  if (size - i - 1 < extra) return false;
  const unsigned char second = in[i + 1];
  if (second < lo || second > hi) return false;
  cp = (cp << 6) | (second & 0x3Fu);
  for (std::size_t k = 2; k <= extra; ++k) {
    const unsigned char c = in[i + k];
    if (!IsContinuation(c)) return false;
    cp = (cp << 6) | (c & 0x3Fu);
  }
  i += extra + 1;
  return true;
}

}  // namespace

ULONG QUTF8ToUTF16(const QU8String& in, QWString& out) {
  out.clear();
  // Every code unit needs at least one byte, so the input length bounds the output.
  out.reserve(in.size());
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(in.data());
  const std::size_t size = in.size();
  std::size_t i = 0;
  while (i < size) {
    const unsigned char c = bytes[i];
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    std::uint32_t cp = 0;
    if (!DecodeSequence(bytes, size, i, cp)) {
      out.clear();
      return kResultInvalidArgument;
    }
    AppendCodePoint(cp, out);
  }
  return kResultOk;
}

ULONG QUTF16ToUTF8(const QWString& in, QU8String& out) {
  out.clear();
  out.reserve(in.size() + in.size() / 2);
  const std::size_t size = in.size();
  for (std::size_t i = 0; i < size; ++i) {
    std::uint32_t cp = in[i];
    if (cp >= 0xD800u && cp <= 0xDFFFu) {
      // Only a high surrogate directly followed by a low one forms a code point.
      if (cp > 0xDBFFu || i + 1 >= size || in[i + 1] < 0xDC00u || in[i + 1] > 0xDFFFu) {
        out.clear();
        return kResultInvalidArgument;
      }
      cp = 0x10000u + (((cp - 0xD800u) << 10) | (in[i + 1] - 0xDC00u));
      ++i;
    }
    if (cp < 0x80u) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800u) {
      out.push_back(static_cast<char>(0xC0u | (cp >> 6)));
      out.push_back(static_cast<char>(0x80u | (cp & 0x3Fu)));
    } else if (cp < 0x10000u) {
      out.push_back(static_cast<char>(0xE0u | (cp >> 12)));
      out.push_back(static_cast<char>(0x80u | ((cp >> 6) & 0x3Fu)));
      out.push_back(static_cast<char>(0x80u | (cp & 0x3Fu)));
    } else {
      out.push_back(static_cast<char>(0xF0u | (cp >> 18)));
      out.push_back(static_cast<char>(0x80u | ((cp >> 12) & 0x3Fu)));
      out.push_back(static_cast<char>(0x80u | ((cp >> 6) & 0x3Fu)));
      out.push_back(static_cast<char>(0x80u | (cp & 0x3Fu)));
    }
  }
  return kResultOk;
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
