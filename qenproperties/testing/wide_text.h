// wide_text.h: UTF-16 text from literals and back, for the white-box tests of the foundation layer.
//
//   EXPECT_EQ(Encode({0x0F}), W(u"0F"));
#ifndef QENPROPERTIES_TESTING_WIDE_TEXT_H_
#define QENPROPERTIES_TESTING_WIDE_TEXT_H_

#include <string>

#include "qenproperties/foundation/string_utils.h"

namespace Quenneth {
namespace testing {

// W: a UTF-16 literal, or ASCII text, as QWString.
inline QWString W(const char16_t* s) {
  QWString out;
  for (; *s != 0; ++s) out.push_back(static_cast<WCHAR>(*s));
  return out;
}
inline QWString W(const std::string& s) { return StringUtils::QAsciiToUTF16(s.c_str()); }

// Narrow: each code unit cut to one byte (for messages and ASCII comparisons).
inline std::string Narrow(const QWString& s) {
  std::string out;
  for (WCHAR c : s) out.push_back(static_cast<char>(c));
  return out;
}

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_WIDE_TEXT_H_
