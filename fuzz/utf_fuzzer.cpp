// utf_fuzzer.cpp: every UTF-8/UTF-16 conversion, strict and replacing, both ways, on arbitrary input.
//
// The input is tried as UTF-8 and, read as little-endian code units, as UTF-16. For each direction:
// - the strict mode either succeeds or refuses with an empty result, and what it converts converts back to the
//   same text;
// - the replacing mode never fails, gives exactly the strict result whenever the strict mode succeeds, marks a
//   refused input with at least one U+FFFD, gives text that the strict mode takes back and forth unchanged, and
//   makes a zero only out of a zero (no NUL is ever smuggled in through an encoding);
// - the string forms and the pointer forms agree.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/frame/result_codes.h"

namespace {

using namespace Quenneth;

void Check(bool condition) {
  if (!condition) std::abort();
}

void FromUtf8(const QU8String& utf8) {
  QWString strict;
  const bool ok = StringUtils::QUTF8ToUTF16(utf8, strict) == kResultOk;
  QWString viaPointer;
  Check((StringUtils::QUTF8ToUTF16(utf8.data(), utf8.size(), viaPointer, QUtfErrors::kRefuse) == kResultOk) == ok);
  Check(viaPointer == strict);
  QWString replaced;
  Check(StringUtils::QUTF8ToUTF16(utf8.data(), utf8.size(), replaced, QUtfErrors::kReplace) == kResultOk);
  if (ok) {
    QU8String back;
    Check(StringUtils::QUTF16ToUTF8(strict, back) == kResultOk && back == utf8);
    Check(replaced == strict);
  } else {
    Check(strict.empty());
    Check(replaced.find(static_cast<WCHAR>(0xFFFD)) != QWString::npos);
  }
  Check(std::count(utf8.begin(), utf8.end(), '\0') == std::count(replaced.begin(), replaced.end(), WCHAR{0}));
  QU8String again;
  Check(StringUtils::QUTF16ToUTF8(replaced, again) == kResultOk);
  QWString twice;
  Check(StringUtils::QUTF8ToUTF16(again, twice) == kResultOk && twice == replaced);
}

void FromUtf16(const QWString& utf16) {
  QU8String strict;
  const bool ok = StringUtils::QUTF16ToUTF8(utf16, strict) == kResultOk;
  QU8String viaPointer;
  Check((StringUtils::QUTF16ToUTF8(utf16.data(), utf16.size(), viaPointer, QUtfErrors::kRefuse) == kResultOk) == ok);
  Check(viaPointer == strict);
  QU8String replaced;
  Check(StringUtils::QUTF16ToUTF8(utf16.data(), utf16.size(), replaced, QUtfErrors::kReplace) == kResultOk);
  if (ok) {
    QWString back;
    Check(StringUtils::QUTF8ToUTF16(strict, back) == kResultOk && back == utf16);
    Check(replaced == strict);
  } else {
    Check(strict.empty());
    Check(replaced.find("\xEF\xBF\xBD") != QU8String::npos);
  }
  Check(std::count(utf16.begin(), utf16.end(), WCHAR{0}) == std::count(replaced.begin(), replaced.end(), '\0'));
  QWString wide;
  Check(StringUtils::QUTF8ToUTF16(replaced, wide) == kResultOk);
  QU8String twice;
  Check(StringUtils::QUTF16ToUTF8(wide, twice) == kResultOk && twice == replaced);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FromUtf8(QU8String(reinterpret_cast<const char*>(data), size));
  QWString utf16;
  for (std::size_t i = 0; i + 1 < size; i += 2) utf16.push_back(static_cast<WCHAR>(data[i] | (data[i + 1] << 8)));
  FromUtf16(utf16);

  // The zero-terminated helpers over the same text.
  QWString terminated = utf16;
  terminated.push_back(0);
  const ULONG length = StringUtils::QWLen(terminated.c_str());
  Check(length <= utf16.size());
  QWString copy(static_cast<std::size_t>(length) + 1, 0);
  StringUtils::QWCopy(&copy[0], terminated.c_str(), 0);
  Check(StringUtils::QWIsEqual(copy.c_str(), terminated.c_str(), 0) != 0);
  return 0;
}
