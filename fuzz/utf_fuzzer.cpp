// utf_fuzzer.cpp: the UTF-8 and UTF-16 conversions on arbitrary input.
//
// The input is tried as UTF-8 and, read as little-endian code units, as UTF-16. A conversion either succeeds
// or refuses with an empty result; what converts must convert back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/frame/result_codes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Quenneth;
  const QU8String utf8(reinterpret_cast<const char*>(data), size);
  QWString wide;
  if (StringUtils::QUTF8ToUTF16(utf8, wide) == kResultOk) {
    QU8String back;
    if (StringUtils::QUTF16ToUTF8(wide, back) != kResultOk || back != utf8) std::abort();
  } else if (!wide.empty()) {
    std::abort();
  }

  QWString utf16;
  for (std::size_t i = 0; i + 1 < size; i += 2) utf16.push_back(static_cast<WCHAR>(data[i] | (data[i + 1] << 8)));
  QU8String narrow;
  if (StringUtils::QUTF16ToUTF8(utf16, narrow) == kResultOk) {
    QWString back;
    if (StringUtils::QUTF8ToUTF16(narrow, back) != kResultOk || back != utf16) std::abort();
  } else if (!narrow.empty()) {
    std::abort();
  }

  // The zero-terminated helpers over the same text.
  std::basic_string<WCHAR, WCharTraits> terminated = utf16;
  terminated.push_back(0);
  const ULONG length = StringUtils::QWLen(terminated.c_str());
  if (length > utf16.size()) std::abort();
  std::basic_string<WCHAR, WCharTraits> copy(static_cast<std::size_t>(length) + 1, 0);
  StringUtils::QWCopy(&copy[0], terminated.c_str(), 0);
  if (StringUtils::QWIsEqual(copy.c_str(), terminated.c_str(), 0) == 0) std::abort();
  return 0;
}
