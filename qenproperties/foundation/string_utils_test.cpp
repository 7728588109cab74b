// White-box tests of the UTF-16 string type, its C-style helpers and the UTF-8 / UTF-16 conversions.
#include "qenproperties/foundation/string_utils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/testing/wide_text.h"

namespace Quenneth {
namespace {

using namespace StringUtils;
using testing::Narrow;
using testing::W;

TEST(WideString, OrdersCodeUnitsAsUnsignedAndKeepsEofDistinct) {
  QWString high = W(u"\uFFFF");
  EXPECT_GT(high.compare(W(u"a")), 0);
  EXPECT_FALSE(WCharTraits::eq_int_type(WCharTraits::to_int_type(0xFFFF), WCharTraits::eof()));
  QWString text = W(u"gain\u00E9");
  text.push_back(0);
  text += W(u"x");
  EXPECT_EQ(text.size(), 7u);
  EXPECT_EQ(text.find(W(u"x")), 6u);
  EXPECT_EQ(text.substr(1, 3), W(u"ain"));
}

TEST(WideString, LengthCopyEqualityAndAsciiWidening) {
  const QWString gain = W(u"Gain");
  EXPECT_EQ(QWLen(gain.c_str()), 4u);
  EXPECT_EQ(QWLen(W(u"").c_str()), 0u);
  EXPECT_EQ(QWLen(nullptr), 0u);

  WCHAR dst[8];
  std::fill(std::begin(dst), std::end(dst), WCHAR{0x7777});
  EXPECT_EQ(QWCopy(dst, gain.c_str(), 0), dst);
  EXPECT_EQ(QWString(dst), gain);
  EXPECT_EQ(dst[5], 0x7777) << "nothing is written past the terminator";

  std::fill(std::begin(dst), std::end(dst), WCHAR{0x7777});
  QWCopy(dst, gain.c_str(), 3);
  EXPECT_EQ(QWString(dst), W(u"Ga"));
  EXPECT_EQ(dst[3], 0x7777) << "a limit of 3 writes exactly 3 code units";
  QWCopy(dst, gain.c_str(), 1);
  EXPECT_EQ(dst[0], 0);
  QWCopy(dst, gain.c_str(), 5);
  EXPECT_EQ(QWString(dst), gain);

  EXPECT_TRUE(QWIsEqual(gain.c_str(), W(u"Gain").c_str(), 0));
  EXPECT_FALSE(QWIsEqual(gain.c_str(), W(u"Gai").c_str(), 0));
  EXPECT_FALSE(QWIsEqual(W(u"Gai").c_str(), gain.c_str(), 1));
  EXPECT_FALSE(QWIsEqual(W(u"gain").c_str(), gain.c_str(), 1)) << "comparison is exact whatever the flag";
  EXPECT_TRUE(QWIsEqual(nullptr, nullptr, 0));
  EXPECT_FALSE(QWIsEqual(nullptr, W(u"").c_str(), 0));

  EXPECT_EQ(QAsciiToUTF16("Q1"), W(u"Q1"));
  EXPECT_EQ(QAsciiToUTF16("\xE9"), W(u"\u00E9"));
  EXPECT_TRUE(QAsciiToUTF16(nullptr).empty());
}

// ---- UTF-8 / UTF-16 ----

TEST(Utf, RoundTripsEveryScalarValue) {
  QWString wide;
  std::size_t utf8Length = 0;
  for (std::uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp < 0x10000) {
      wide.push_back(static_cast<WCHAR>(cp));
    } else {
      wide.push_back(static_cast<WCHAR>(0xD800 + ((cp - 0x10000) >> 10)));
      wide.push_back(static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
    utf8Length += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  }
  std::string utf8;
  ASSERT_EQ(QUTF16ToUTF8(wide, utf8), kResultOk);
  EXPECT_EQ(utf8.size(), utf8Length);
  QWString back;
  ASSERT_EQ(QUTF8ToUTF16(utf8, back), kResultOk);
  EXPECT_TRUE(back == wide);
}

}  // namespace
}  // namespace Quenneth
