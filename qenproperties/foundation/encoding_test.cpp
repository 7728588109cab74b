// White-box tests of the hex text of byte vectors.
#include "qenproperties/foundation/encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "qenproperties/testing/wide_text.h"

namespace Quenneth {
namespace {

using testing::Narrow;
using testing::W;

TEST(Encoding, EncodesUpperCasePairsAndRoundTrips) {
  EXPECT_EQ(Encode({0x00, 0x0F, 0xA5, 0xFF}), W(u"000FA5FF"));
  EXPECT_TRUE(Encode({}).empty());
  std::vector<unsigned char> every(256);
  for (int i = 0; i < 256; ++i) every[i] = static_cast<unsigned char>(i);
  EXPECT_EQ(Decode(Encode(every)), every);
  std::mt19937 random(7);
  for (std::size_t size : {1u, 2u, 3u, 17u, 1000u}) {
    std::vector<unsigned char> bytes(size);
    for (auto& b : bytes) b = static_cast<unsigned char>(random());
    const QWString text = Encode(bytes);
    EXPECT_EQ(Decode(text), bytes);
    EXPECT_EQ(Decode(text.c_str()), bytes);
  }
}

TEST(Encoding, DecodeRejectsAnythingButHexPairs) {
  EXPECT_EQ(Decode(W(u"a5fF")), (std::vector<unsigned char>{0xA5, 0xFF}));
  QWString withZero = W(u"0A");
  withZero.push_back(0);
  withZero += W(u"B");
  // clang-format off
  const std::vector<QWString> bad = {W(u"A"), W(u"ABC"), W(u"0G"), W(u"0 "), W(u" 0"), W(u"0x"), withZero,
                                     QWString{0x0130, '0'},  // low byte is '0'
                                     QWString{'0', 0x0141},  // low byte is 'A'
                                     W(u"\uFF10\uFF10")};
  // clang-format on
  for (const QWString& text : bad) EXPECT_TRUE(Decode(text).empty()) << Narrow(text);
  EXPECT_TRUE(Decode(static_cast<const WCHAR*>(nullptr)).empty());
  EXPECT_TRUE(Decode(W(u"").c_str()).empty());
  EXPECT_EQ(Decode(withZero.c_str()), std::vector<unsigned char>{0x0A}) << "reading stops at the terminator";
}
}  // namespace
}  // namespace Quenneth
