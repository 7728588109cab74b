// White-box tests of the foundation layer: strings, identifiers, hex text, ports, binary and number streams.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iomanip>
#include <limits>
#include <locale>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "qenproperties/frame/binary_stream.h"
#include "qenproperties/frame/encoding.h"
#include "qenproperties/frame/guid.h"
#include "qenproperties/frame/port.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/frame/string_utils.h"
#include "qenproperties/frame/utf16_stream.h"

namespace Quenneth {
namespace {

using namespace StringUtils;

QWString W(const char16_t* s) {
  QWString out;
  for (; *s != 0; ++s) out.push_back(static_cast<WCHAR>(*s));
  return out;
}

QWString W(const std::string& s) { return QAsciiToUTF16(s.c_str()); }

std::string Narrow(const QWString& s) {
  std::string out;
  for (WCHAR c : s) out.push_back(static_cast<char>(c));
  return out;
}

// ---- QWString and the C-style helpers ----

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

TEST(Utf, ConvertsBoundaryCodePointsBothWays) {
  static const char kBytes[] = "A\0\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
  const std::string utf8(kBytes, sizeof kBytes - 1);
  QWString expected = W(u"A");
  expected.push_back(0);
  expected += W(u"\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF");
  QWString wide;
  ASSERT_EQ(QUTF8ToUTF16(utf8, wide), kResultOk);
  EXPECT_EQ(wide, expected);
  std::string back;
  ASSERT_EQ(QUTF16ToUTF8(wide, back), kResultOk);
  EXPECT_EQ(back, utf8);
}

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

TEST(Utf, RejectsMalformedInputAndLeavesOutputEmpty) {
  const std::vector<std::string> bad = {
      "\x80",              // continuation without lead
      "a\xBF",             //
      "\xC0\xAF",          // overlong '/'
      "\xC1\xBF",          // overlong
      "\xE0\x9F\xBF",      // overlong three-byte
      "\xF0\x8F\xBF\xBF",  // overlong four-byte
      "\xED\xA0\x80",      // encoded high surrogate
      "\xED\xBF\xBF",      // encoded low surrogate
      "\xF4\x90\x80\x80",  // 0x110000
      "\xF5\x80\x80\x80",  // lead beyond any code point
      "\xFF",              //
      "\xC3",              // truncated at end
      "\xE2\x82",          //
      "\xF0\x9F\x98",      //
      "\xC3(",             // lead followed by a non-continuation
      "\xE2\x28\xA1",      //
      "\xF0\x9F\x28\x80",  //
      "ok\xE2\x82 then more",
  };
  for (const std::string& text : bad) {
    QWString out = W(u"stale");
    EXPECT_EQ(QUTF8ToUTF16(text, out), kResultInvalidArgument) << testing::PrintToString(text);
    EXPECT_TRUE(out.empty()) << testing::PrintToString(text);
  }

  // clang-format off
  const std::vector<QWString> unpaired = {
      {0xD800}, {0xDC00}, {'a', 0xD83D}, {0xD83D, 'a'}, {0xDE00, 0xD83D}, {0xDC00, 0xDE00},
      {0xD83D, 0xD83D, 0xDE00},
  };
  // clang-format on
  for (const QWString& text : unpaired) {
    std::string out = "stale";
    EXPECT_EQ(QUTF16ToUTF8(text, out), kResultInvalidArgument);
    EXPECT_TRUE(out.empty());
  }
}

// ---- identifiers ----

TEST(Guid, HasVersion4LayoutIsUniqueAndPrintsInRegistryForm) {
  EXPECT_EQ(QGenerateGUID(nullptr), kResultNullPointer);
  std::set<std::string> seen;
  for (int i = 0; i < 20000; ++i) {
    _QGUID id{};
    ASSERT_EQ(QGenerateGUID(&id), kResultOk);
    ASSERT_EQ(id.Data3 >> 12, 4);
    ASSERT_EQ(id.Data4[0] & 0xC0, 0x80);
    ASSERT_TRUE(seen.insert(QGuidToString(id)).second);
  }

  const _QGUID id{0x0A1B2C3D, 0x4E5F, 0x0607, {0x80, 0x09, 0xAB, 0xCD, 0xEF, 0x01, 0x02, 0xF3}};
  EXPECT_EQ(QGuidToString(id), "{0A1B2C3D-4E5F-0607-8009-ABCDEF0102F3}");
}

TEST(Guid, ThreadsDrawDifferentIdentifiers) {
  constexpr int kThreads = 4;
  constexpr int kEach = 5000;
  std::vector<std::vector<std::string>> drawn(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&drawn, t] {
      for (int i = 0; i < kEach; ++i) {
        _QGUID id{};
        QGenerateGUID(&id);
        drawn[t].push_back(QGuidToString(id));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<std::string> all;
  for (const auto& list : drawn) all.insert(list.begin(), list.end());
  EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kEach));
}

// ---- hex text ----

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

// ---- ports and binary streams ----

class BinaryStreamTest : public testing::Test {
 protected:
  // A heap block of exactly the port's size, so any access past it is reported by the address sanitizer.
  std::vector<unsigned char> block = std::vector<unsigned char>(27, 0xEE);
  CQAutoPtr<CPort> port = CPort::StaticRamPort(block.data(), static_cast<ULONG>(block.size()));

  void WriteRecord(QuenByteOrdering order) {
    CWriteStream out(*port, order, 0, 0, 0);
    EXPECT_EQ(out.PutByte(0xAB), kResultOk);
    EXPECT_EQ(out.PutShort(-2), kResultOk);
    EXPECT_EQ(out.PutInt(0x01020304), kResultOk);
    EXPECT_EQ(out.PutInt64(0x0102030405060708LL), kResultOk);
    EXPECT_EQ(out.PutFloat(1.0f), kResultOk);
    EXPECT_EQ(out.PutDouble(-2.0), kResultOk);
    EXPECT_EQ(out.Flush(0), kResultOk);
    EXPECT_FALSE(out.Failed());
    EXPECT_EQ(out.Position(), 27u);
  }
};

TEST_F(BinaryStreamTest, PortChecksRangesWithoutOverflow) {
  const unsigned char four[4] = {1, 2, 3, 4};
  EXPECT_TRUE(port->Writable());
  EXPECT_TRUE(port->Write(23, four, 4));
  EXPECT_FALSE(port->Write(24, four, 4));
  EXPECT_FALSE(port->Write(0xFFFFFFFEu, four, 4)) << "offset + n wraps around 32 bits";
  EXPECT_TRUE(port->Write(27, four, 0));
  EXPECT_EQ(block[22], 0xEE);
  EXPECT_EQ(block[26], 4);

  unsigned char read[4] = {9, 9, 9, 9};
  EXPECT_FALSE(port->Read(25, read, 4));
  EXPECT_EQ(read[0], 9);
  EXPECT_TRUE(port->Read(23, read, 4));
  EXPECT_EQ(read[3], 4);

  auto readOnly = CPort::ReadOnlyRamPort(block.data(), 27);
  EXPECT_FALSE(readOnly->Writable());
  EXPECT_FALSE(readOnly->Write(0, four, 1));
  EXPECT_EQ(block[0], 0xEE);
  EXPECT_TRUE(readOnly->Read(0, read, 1));
  EXPECT_EQ(CPort::StaticRamPort(nullptr, 100)->Size(), 0u);
}

TEST_F(BinaryStreamTest, RecordHasExactBytesInEitherOrder) {
  WriteRecord(kQuenLittleEndian);
  EXPECT_EQ(block, (std::vector<unsigned char>{0xAB, 0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x08, 0x07,
                                               0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x80,
                                               0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0}));
  WriteRecord(kQuenBigEndian);
  EXPECT_EQ(block, (std::vector<unsigned char>{0xAB, 0xFF, 0xFE, 0x01, 0x02, 0x03, 0x04, 0x01, 0x02,
                                               0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x3F, 0x80, 0x00,
                                               0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(BinaryStreamTest, ExtremeValuesRoundTripInBothOrders) {
  for (QuenByteOrdering order : {kQuenLittleEndian, kQuenBigEndian}) {
    CWriteStream out(*port, order, 64, 0, 0);
    out.PutByte(0xFF);
    out.PutShort(std::numeric_limits<short>::min());
    out.PutInt(std::numeric_limits<std::int32_t>::min());
    out.PutInt64(std::numeric_limits<long long>::min());
    out.PutFloat(-0.0f);
    out.PutDouble(std::numeric_limits<double>::denorm_min());
    ASSERT_FALSE(out.Failed());

    CReadStream in(*port, order, 64, 0, 0);
    unsigned char b = 0;
    short s = 0;
    std::int32_t i = 0;
    long long l = 0;
    float f = 1;
    double d = 0;
    EXPECT_EQ(in.ReadByte(b), kResultOk);
    EXPECT_EQ(in.ReadShort(s), kResultOk);
    EXPECT_EQ(in.ReadInt(i), kResultOk);
    EXPECT_EQ(in.ReadInt(l), kResultOk);
    EXPECT_EQ(in.ReadFloat(f), kResultOk);
    EXPECT_EQ(in.ReadDouble(d), kResultOk);
    EXPECT_EQ(b, 0xFF);
    EXPECT_EQ(s, std::numeric_limits<short>::min());
    EXPECT_EQ(i, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(l, std::numeric_limits<long long>::min());
    EXPECT_TRUE(f == 0.0f && std::signbit(f));
    EXPECT_EQ(d, std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(in.Position(), 27u);
    EXPECT_FALSE(in.Failed());
  }
}

TEST_F(BinaryStreamTest, ValueThatDoesNotFitIsNotWrittenAndFailureSticks) {
  auto small = CPort::StaticRamPort(block.data(), 6);
  CWriteStream out(*small, kQuenLittleEndian, 0, 0, 0);
  EXPECT_EQ(out.PutInt(-1), kResultOk);
  EXPECT_EQ(out.PutInt(0), kResultOutOfRange);
  EXPECT_TRUE(out.Failed());
  EXPECT_EQ(block[4], 0xEE) << "no partial value";
  EXPECT_EQ(out.PutShort(0), kResultOutOfRange) << "a later value would land where the lost one belongs";
  EXPECT_EQ(block[4], 0xEE);
  EXPECT_EQ(out.Position(), 4u);

  auto readOnly = CPort::ReadOnlyRamPort(block.data(), 27);
  CWriteStream refused(*readOnly, kQuenLittleEndian, 0, 0, 0);
  EXPECT_EQ(refused.PutByte(1), kResultOutOfRange);
  EXPECT_EQ(block[0], 0xFF);
}

TEST_F(BinaryStreamTest, ReadPastTheEndGivesZero) {
  auto small = CPort::ReadOnlyRamPort(block.data() + 21, 6);
  CReadStream in(*small, kQuenLittleEndian, 0, 0, 0);
  std::int32_t i = 0;
  double d = 5;
  short s = 7;
  EXPECT_EQ(in.ReadInt(i), kResultOk);
  EXPECT_EQ(i, std::int32_t(0xEEEEEEEE));
  EXPECT_EQ(in.ReadDouble(d), kResultOutOfRange);
  EXPECT_EQ(d, 0.0);
  EXPECT_TRUE(in.Failed());
  EXPECT_EQ(in.ReadShort(s), kResultOutOfRange);
  EXPECT_EQ(s, 0);
}

// ---- number text ----

// Format text the standard stream gives for one value, in the classic locale.
template <class T, class... Manipulators>
std::string Standard(const T& value, const Manipulators&... manipulators) {
  std::ostringstream stream;
  stream.imbue(std::locale::classic());
  (stream << ... << manipulators) << value;
  return stream.str();
}

template <class T, class... Manipulators>
std::string Ours(const T& value, const Manipulators&... manipulators) {
  oUTF16StringStream stream;
  (stream << ... << manipulators) << value;
  return Narrow(stream.str());
}

TEST(NumberText, WritesTheDocumentedExamples) {
  EXPECT_EQ(Ours(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  EXPECT_EQ(Ours(std::numeric_limits<std::uint32_t>::max()), "4294967295");
  EXPECT_EQ(Ours(-7LL), "-7");
  EXPECT_EQ(Ours(std::numeric_limits<unsigned long long>::max()), "18446744073709551615");
  EXPECT_EQ(Ours(2.5, std::fixed, std::setprecision(2)), "2.50");
  EXPECT_EQ(Ours(1e7, std::setiosflags(std::ios::fixed), std::setprecision(2)), "10000000.00");
  EXPECT_EQ(Ours(-0.004, std::fixed, std::setprecision(2)), "-0.00");
  EXPECT_EQ(Ours(2.5, std::fixed, std::setprecision(0)), "2");
  EXPECT_EQ(Ours(3.5, std::fixed, std::setprecision(0)), "4");
  EXPECT_EQ(Ours(2.5, std::fixed, std::setprecision(3)), "2.500");

  oUTF16StringStream chained;
  chained << std::setprecision(3) << 1 << 2.25 << std::fixed << 0.5;
  EXPECT_EQ(Narrow(chained.str()), "12.250.500") << "format state persists across insertions";
}

TEST(NumberText, MatchesTheStandardStreamForEveryPrecision) {
  const double inf = std::numeric_limits<double>::infinity();
  // clang-format off
  const std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.005, 1e-5, 123456789.125,
                                      1e15, 1e16, 1e21, -1e300, std::numeric_limits<double>::max(),
                                      std::numeric_limits<double>::denorm_min(), 1.0 / 3.0, 0.1f, inf, -inf};
  // clang-format on
  for (double value : values) {
    for (int precision : {-1, 0, 1, 2, 3, 6, 10, 17, 25, 150}) {
      SCOPED_TRACE(testing::Message() << std::hexfloat << value << " precision " << precision);
      EXPECT_EQ(Ours(value, std::setprecision(precision)), Standard(value, std::setprecision(precision)));
      EXPECT_EQ(Ours(value, std::fixed, std::setprecision(precision)),
                Standard(value, std::fixed, std::setprecision(precision)));
    }
    EXPECT_EQ(Ours(value), Standard(value));
  }
  EXPECT_EQ(Ours(0.1f), Standard(0.1f)) << "a float is written as the double it widens to";
}

// C libraries differ on a NaN's sign (one drops it), so the stream spells NaNs itself, whatever the format.
TEST(NumberText, NotANumberIsSpelledTheSameEverywhere) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double negative = std::copysign(nan, -1.0);
  for (int precision : {-1, 0, 2, 150}) {
    SCOPED_TRACE(testing::Message() << "precision " << precision);
    EXPECT_EQ(Ours(nan, std::setprecision(precision)), "nan");
    EXPECT_EQ(Ours(negative, std::fixed, std::setprecision(precision)), "-nan");
    EXPECT_EQ(Ours(negative, std::scientific, std::setprecision(precision)), "-nan");
  }
  EXPECT_EQ(Ours(nan, std::showpos), "+nan");
  EXPECT_EQ(Ours(negative, std::showpos), "-nan");
  EXPECT_EQ(Ours(nan, std::uppercase, std::showpoint), "NAN");
  EXPECT_EQ(Ours(negative, std::uppercase, std::hexfloat), "-NAN");
  EXPECT_EQ(Ours(static_cast<double>(std::numeric_limits<float>::quiet_NaN())), "nan");
}

TEST(NumberText, OtherFormatFlagsStillMatchTheStandardStream) {
  EXPECT_EQ(Ours(1234.5678, std::scientific, std::setprecision(3)),
            Standard(1234.5678, std::scientific, std::setprecision(3)));
  EXPECT_EQ(Ours(0.1, std::hexfloat), Standard(0.1, std::hexfloat));
  EXPECT_EQ(Ours(2.5, std::showpos, std::fixed), Standard(2.5, std::showpos, std::fixed));
  EXPECT_EQ(Ours(2.0, std::showpoint), Standard(2.0, std::showpoint));
  EXPECT_EQ(Ours(-1e-20, std::uppercase), Standard(-1e-20, std::uppercase));
  EXPECT_EQ(Ours(std::numeric_limits<double>::infinity(), std::uppercase, std::fixed),
            Standard(std::numeric_limits<double>::infinity(), std::uppercase, std::fixed));
  EXPECT_EQ(Ours(2.5, std::fixed, std::resetiosflags(std::ios::fixed)), "2.5");
  EXPECT_EQ(Ours(static_cast<short>(-1), std::hex), Standard(static_cast<short>(-1), std::hex));
  EXPECT_EQ(Ours(-255, std::hex, std::showbase, std::uppercase),
            Standard(-255, std::hex, std::showbase, std::uppercase));
  EXPECT_EQ(Ours(64u, std::setbase(8), std::showbase), Standard(64u, std::setbase(8), std::showbase));
  EXPECT_EQ(Ours(42, std::showpos), "+42");
  EXPECT_EQ(Ours(42u, std::showpos), Standard(42u, std::showpos));
  EXPECT_EQ(Ours(static_cast<WCHAR>(65535)), "65535");
}

struct GroupingPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(NumberText, IgnoresTheGlobalLocale) {
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new GroupingPunct));
  const std::string plain = Ours(1234567.5, std::fixed, std::setprecision(1));
  const std::string throughStream = Ours(1234567.5, std::scientific);
  const std::string integer = Ours(1234567, std::showpos);
  std::locale::global(previous);
  EXPECT_EQ(plain, "1234567.5");
  EXPECT_EQ(throughStream, "1.234568e+06");
  EXPECT_EQ(integer, "+1234567");
}

// ---- number reading ----

// The standard stream's reading of the same ASCII text, for comparison.
template <class T>
bool StandardRead(const std::string& text, T& value) {
  std::istringstream stream(text);
  stream.imbue(std::locale::classic());
  stream >> value;
  return !stream.fail();
}

template <class T>
void ExpectReadsLikeStandard(const std::string& text, T sentinel) {
  SCOPED_TRACE("text \"" + text + "\"");
  const QWString wide = W(text);
  T ours = sentinel;
  iUTF16StringStream stream(wide.c_str());
  stream >> ours;
  T standard = sentinel;
  const bool standardOk = StandardRead(text, standard);
  EXPECT_EQ(!stream.fail(), standardOk);
  if (standardOk) {
    EXPECT_EQ(std::memcmp(&ours, &standard, sizeof(T)), 0) << ours << " vs " << standard;
  } else {
    EXPECT_EQ(std::memcmp(&ours, &sentinel, sizeof(T)), 0) << "a failed read leaves the variable unchanged";
  }
}

// clang-format off
TEST(NumberReading, NumbersReadLikeTheStandardStream) {
  for (const char* text : {"17", "  17abc", "+5", "-0", "-2147483648", "2147483647", "2147483648", "-2147483649",
                           "99999999999999999999", "abc", "", "   ", "-", "+-5", "0x10", "\t\n\v\f\r 42", "007",
                           "3.9", "1e3"}) {
    ExpectReadsLikeStandard<std::int32_t>(text, 12345);
  }
  for (const char* text : {"9223372036854775807", "-9223372036854775808", "9223372036854775808",
                           "-9223372036854775809", "18446744073709551616", " -42 "}) {
    ExpectReadsLikeStandard<long long>(text, 12345);
  }

  for (const char* text :
       {"2.50", "  -1e3x", ".5", "-.5", "+.5", "1.", "abc", "", ".", "-", "1e", "1e+", "1ex", "1E-2", "1.5.3",
        "1e5e3", "0x1p3", "1e400", "-1e400", "1e-400", "-1e-400", "1.7976931348623159e308",
        "2.4703282292062327e-324", "2.4703282292062328e-324", "0.000000000000000000000000000001e-300",
        "100000000000000000000000000000000e300", "1e99999999999999999999", "1e-99999999999999999999", ".e1",
        "inf", "nan", "-infinity", "0.1000000000000000055511151231257827021181583404541015625", "0e99999"}) {
    ExpectReadsLikeStandard<double>(text, 12345.0);
  }
}
// clang-format on

TEST(NumberReading, CodeUnitsAboveAsciiStopANumber) {
  std::int32_t value = 9;
  iUTF16StringStream(W(u"\u00A017").c_str()) >> value;
  EXPECT_EQ(value, 9) << "no-break space is not white space";
  QWString truncatesToZero{'1', 0x0130};
  iUTF16StringStream(truncatesToZero.c_str()) >> value;
  EXPECT_EQ(value, 1);
  double d = 9;
  iUTF16StringStream(W(u"2\u0665").c_str()) >> d;
  EXPECT_EQ(d, 2.0);
  const QWString fullWidthOne = W(u"\uFF11");
  iUTF16StringStream fullWidth(fullWidthOne.c_str());
  fullWidth >> d;
  EXPECT_TRUE(fullWidth.fail());
  iUTF16StringStream empty(nullptr);
  empty >> value;
  EXPECT_TRUE(empty.fail());
}

TEST(NumberReading, ExtractionsContinueAndFailureSticks) {
  const QWString text = W(u"3 -4.5 x 6");
  iUTF16StringStream stream(text.c_str());
  std::int32_t a = 0;
  double b = 0;
  long long c = 99;
  stream >> a >> b;
  EXPECT_EQ(a, 3);
  EXPECT_EQ(b, -4.5);
  EXPECT_FALSE(stream.fail());
  stream >> c;
  EXPECT_TRUE(stream.fail());
  stream >> c;
  EXPECT_EQ(c, 99);
}

}  // namespace
}  // namespace Quenneth
