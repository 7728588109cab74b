// White-box tests of the UTF-8/UTF-16 codec: the strict mode that refuses malformed text and the replacing
// mode that turns each maximal ill-formed subsequence into one U+FFFD.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/testing/wide_text.h"

namespace Quenneth {
namespace {

using StringUtils::QUTF16ToUTF8;
using StringUtils::QUTF8ToUTF16;
using testing::W;

QWString Units(std::initializer_list<unsigned> units) {
  QWString out;
  for (unsigned u : units) out.push_back(static_cast<WCHAR>(u));
  return out;
}

QWString Replaced(const std::string& bytes) {
  QWString out;
  EXPECT_EQ(kResultOk, QUTF8ToUTF16(bytes.data(), bytes.size(), out, QUtfErrors::kReplace));
  return out;
}

std::string Replaced(const QWString& units) {
  std::string out;
  EXPECT_EQ(kResultOk, QUTF16ToUTF8(units.data(), units.size(), out, QUtfErrors::kReplace));
  return out;
}

// Each encoded length at both of its boundaries, an embedded zero, and surrogate pairs.
TEST(UtfCodec, BothModesConvertWellFormedTextAlikeBothWays) {
  const std::pair<std::string, QWString> samples[] = {
      {"", {}},
      {"plain", W(u"plain")},
      {std::string("a\0b", 3), Units({'a', 0, 'b'})},
      {"\xC3\xA9t\xC3\xA9", W(u"\u00E9t\u00E9")},
      {"\xE2\x82\xAC 5", W(u"\u20AC 5")},
      {"\xF0\x9F\x8E\xAC clap", Units({0xD83C, 0xDFAC, ' ', 'c', 'l', 'a', 'p'})},
      {std::string("A\0\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", 20),
       Units({'A', 0, 0x80, 0x7FF, 0x800, 0xFFFF, 0xD800, 0xDC00, 0xDBFF, 0xDFFF})}};
  for (const auto& [utf8, utf16] : samples) {
    SCOPED_TRACE(utf8);
    QWString strict;
    ASSERT_EQ(kResultOk, QUTF8ToUTF16(utf8, strict));
    EXPECT_EQ(utf16, strict);
    EXPECT_EQ(utf16, Replaced(utf8));
    std::string back;
    ASSERT_EQ(kResultOk, QUTF16ToUTF8(utf16, back));
    EXPECT_EQ(utf8, back);
    EXPECT_EQ(utf8, Replaced(utf16));
  }
}

// Each malformed input, what the replacing mode gives for it: one U+FFFD per maximal ill-formed subpart.
struct Malformed {
  const char* name;
  std::string bytes;
  QWString replaced;
};

class MalformedUtf8 : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedUtf8, StrictRefusesAndReplacingMarksEachSubpart) {
  const Malformed& m = GetParam();
  QWString out = W(u"left over");
  EXPECT_EQ(kResultInvalidArgument, QUTF8ToUTF16(m.bytes, out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(m.replaced, Replaced(m.bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Subparts, MalformedUtf8,
    ::testing::Values(Malformed{"OverlongNul", "\xC0\x80", Units({0xFFFD, 0xFFFD})},
                      Malformed{"OverlongThreeByteNul", "x\xE0\x80\x80", Units({'x', 0xFFFD, 0xFFFD, 0xFFFD})},
                      Malformed{"OverlongFourByte", "\xF0\x8F\xBF\xBF", Units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
                      Malformed{"EncodedSurrogate", "\xED\xA0\x80", Units({0xFFFD, 0xFFFD, 0xFFFD})},
                      Malformed{"EncodedLowSurrogate", "\xED\xBF\xBF", Units({0xFFFD, 0xFFFD, 0xFFFD})},
                      Malformed{"AboveTheLastCodePoint", "\xF4\x90\x80\x80", Units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
                      Malformed{"LoneContinuation", "a\x80z", Units({'a', 0xFFFD, 'z'})},
                      Malformed{"NeverALead", "\xFF\xFE", Units({0xFFFD, 0xFFFD})},
                      Malformed{"LeadBeyondTheLastCodePoint", "\xF5\x80\x80", Units({0xFFFD, 0xFFFD, 0xFFFD})},
                      Malformed{"TruncatedAtTheEnd", "ab\xE2\x82", Units({'a', 'b', 0xFFFD})},
                      Malformed{"CutByAnAsciiByte",
                                "\xF0\x9F\x8E"
                                "A",
                                Units({0xFFFD, 'A'})},
                      // The example of the Unicode standard (U+FFFD substitution of maximal subparts).
                      Malformed{"StandardExample", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
                                Units({'a', 0xFFFD, 0xFFFD, 0xFFFD, 'b', 0xFFFD, 'c', 0xFFFD, 0xFFFD, 'd'})}),
    [](const ::testing::TestParamInfo<Malformed>& param) { return std::string(param.param.name); });

TEST(UtfCodec, UnpairedSurrogatesAreRefusedOrReplaced) {
  const std::string kFffd = "\xEF\xBF\xBD";
  const std::pair<QWString, std::string> cases[] = {
      {Units({0xD800}), kFffd},
      {Units({'a', 0xDC00, 'b'}), "a" + kFffd + "b"},
      {Units({0xDC00, 0xD800}), kFffd + kFffd},
      {Units({0xD83C, 'x'}), kFffd + "x"},
      {Units({0xD83D, 0xD83D, 0xDE00}), kFffd + "\xF0\x9F\x98\x80"}};  // a high surrogate before a whole pair
  for (const auto& [units, replaced] : cases) {
    SCOPED_TRACE(replaced);
    std::string out = "left over";
    EXPECT_EQ(kResultInvalidArgument, QUTF16ToUTF8(units, out));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(replaced, Replaced(units));
  }
}

TEST(UtfCodec, PointerFormsReadOnlyTheGivenUnits) {
  QWString wide;
  ASSERT_EQ(kResultOk, QUTF8ToUTF16("abc\xC3\xA9", 3, wide, QUtfErrors::kRefuse));
  EXPECT_EQ(W(u"abc"), wide);
  // A sequence cut by the size is malformed, even though the bytes after it would complete it.
  EXPECT_EQ(kResultInvalidArgument, QUTF8ToUTF16("\xC3\xA9", 1, wide, QUtfErrors::kRefuse));
  ASSERT_EQ(kResultOk, QUTF8ToUTF16(nullptr, 0, wide, QUtfErrors::kRefuse));
  EXPECT_TRUE(wide.empty());
  const QWString pair = Units({0xD83C, 0xDFAC});
  std::string narrow;
  ASSERT_EQ(kResultOk, QUTF16ToUTF8(pair.data(), 1, narrow, QUtfErrors::kReplace));
  EXPECT_EQ("\xEF\xBF\xBD", narrow);
}

// Random bytes and code units, biased towards the interesting ones: the replacing mode never fails, gives
// what the strict mode gives whenever that succeeds, yields text the strict mode takes back unchanged, and
// never makes a zero out of anything but a zero.
TEST(UtfCodec, ReplacingModeAgreesWithTheStrictModeOnRandomInput) {
  std::mt19937 random(20240611);
  const unsigned char interesting[] = {0x00, 0x41, 0x7F, 0x80, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0,
                                       0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0x9F, 0xA0, 0x8F, 0x90};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(random() % 12, '\0');
    for (char& b : bytes) b = static_cast<char>(interesting[random() % sizeof(interesting)]);
    QWString strict;
    const QWString lenient = Replaced(bytes);
    if (QUTF8ToUTF16(bytes, strict) == kResultOk) {
      ASSERT_EQ(strict, lenient);
    } else {
      ASSERT_NE(lenient.find(static_cast<WCHAR>(0xFFFD)), QWString::npos);
    }
    ASSERT_EQ(std::count(bytes.begin(), bytes.end(), '\0'), std::count(lenient.begin(), lenient.end(), 0));
    std::string back;
    ASSERT_EQ(kResultOk, QUTF16ToUTF8(lenient, back));
    QWString again;
    ASSERT_EQ(kResultOk, QUTF8ToUTF16(back, again));
    ASSERT_EQ(lenient, again);

    QWString units(random() % 6, 0);
    const unsigned unitChoices[] = {0, 'a', 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFD, 0x20AC};
    for (WCHAR& u : units) u = static_cast<WCHAR>(unitChoices[random() % 8]);
    std::string narrow;
    const std::string lossy = Replaced(units);
    if (QUTF16ToUTF8(units, narrow) == kResultOk) {
      ASSERT_EQ(narrow, lossy);
    }
    ASSERT_EQ(std::count(units.begin(), units.end(), 0), std::count(lossy.begin(), lossy.end(), '\0'));
    QWString wide;
    ASSERT_EQ(kResultOk, QUTF8ToUTF16(lossy, wide));
  }
}

}  // namespace
}  // namespace Quenneth
