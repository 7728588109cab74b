#include "qenproperties/host/internal/value_grammar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

TEST(ValueGrammar, WholeNumbersAreDigitsWithAnOptionalMinusAndNothingElse) {
  long long value = 0;
  EXPECT_EQ(Parsed::kOk, ParseWhole("007", 0, 100, &value));
  EXPECT_EQ(7, value);
  EXPECT_EQ(Parsed::kOk, ParseWhole("-2147483648", INT32_MIN, INT32_MAX, &value));
  EXPECT_EQ(INT32_MIN, value);
  for (const char* text : {"", "-", "+5", " 5", "5 ", "5x", "0x10", "1e2", "1.0", "5\n", "--5"}) {
    EXPECT_EQ(Parsed::kMalformed, ParseWhole(text, -100, 100, &value)) << "'" << text << "'";
  }
  EXPECT_EQ(Parsed::kMalformed, ParseWhole(std::string("5\0", 2), 0, 9, &value));
  // Well-formed numbers beyond the bounds, the 64-bit ones included, are outside rather than malformed.
  for (const char* text : {"101", "-101", "4294967296", "99999999999999999999", "-99999999999999999999"}) {
    EXPECT_EQ(Parsed::kOutside, ParseWhole(text, -100, 100, &value)) << text;
  }
  value = 3;
  EXPECT_EQ(Parsed::kOutside, ParseWhole("8", 0, 7, &value));
  EXPECT_EQ(3, value) << "a refused number leaves the value alone";
}

TEST(ValueGrammar, DecimalsRefuseWhatAPersonWouldNotWrite) {
  double value = 0;
  const std::pair<const char*, double> good[] = {{"2.5", 2.5},   {"-0.25", -0.25}, {"1e3", 1000},
                                                 {"1E-2", 0.01}, {"7", 7},         {"3.0e+1", 30}};
  for (const auto& [text, expected] : good) {
    ASSERT_EQ(Parsed::kOk, ParseDecimal(text, &value)) << text;
    EXPECT_EQ(expected, value) << text;
  }
  for (const char* text : {"", "nan", "NaN", "inf", "-inf", "infinity", ".5", "5.", "0x1p3", "30,5", " 1", "1 ", "1e",
                           "1e+", "--1", "+1", "1.2.3", "30abc"}) {
    EXPECT_EQ(Parsed::kMalformed, ParseDecimal(text, &value)) << "'" << text << "'";
  }
  EXPECT_EQ(Parsed::kOutside, ParseDecimal("1e999", &value));
  EXPECT_EQ(Parsed::kOutside, ParseDecimal("-1e400", &value));
}

TEST(ValueGrammar, BoolsTakeTheSameSpellingsEverywhere) {
  bool value = false;
  for (const char* text : {"true", "TRUE", "True", "yes", "On", "1"}) {
    ASSERT_TRUE(ParseBool(text, &value)) << text;
    EXPECT_TRUE(value) << text;
  }
  for (const char* text : {"false", "FALSE", "no", "OFF", "0"}) {
    ASSERT_TRUE(ParseBool(text, &value)) << text;
    EXPECT_FALSE(value) << text;
  }
  for (const char* text : {"", "maybe", "2", "TRUEx", " true", "t", "y"}) EXPECT_FALSE(ParseBool(text, &value)) << text;
}

TEST(ValueGrammar, ByteTextAndRatios) {
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(ParseByteText("00ffA1", &bytes));
  EXPECT_EQ((std::vector<unsigned char>{0x00, 0xFF, 0xA1}), bytes);
  ASSERT_TRUE(ParseByteText("", &bytes));
  EXPECT_TRUE(bytes.empty());
  for (const char* text : {"0", "zz", "0g", "00 ", "0x00"}) EXPECT_FALSE(ParseByteText(text, &bytes)) << text;

  ULONG n = 0;
  ULONG d = 0;
  ASSERT_EQ(Parsed::kOk, ParseRatio("64:27", &n, &d));
  EXPECT_EQ(64u, n);
  EXPECT_EQ(27u, d);
  for (const char* text : {"2x", ":", "16:", ":9", "16:9:1", "a:b", " 16:9", "16 : 9", "1:2x"}) {
    EXPECT_EQ(Parsed::kMalformed, ParseRatio(text, &n, &d)) << text;
  }
  for (const char* text : {"0:5", "3:0", "4294967296:1", "-1:2"}) EXPECT_EQ(Parsed::kOutside, ParseRatio(text, &n, &d));
}

// A value rounded to its digits survives its text exactly: what a property keeps is what its text says.
TEST(ValueGrammar, RoundingToTheDigitsIsStableThroughTheText) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> spread(-1e6, 1e6);
  for (int i = 0; i < 20000; ++i) {
    const double value = i % 7 == 0 ? std::ldexp(spread(random), -40) : spread(random);
    const auto digits = static_cast<ULONG>(random() % 18);
    const double rounded = RoundToDigits(value, digits);
    const std::string text = FormatFixed(rounded, digits);
    ASSERT_EQ(text, FormatFixed(value, digits)) << value << " " << digits;
    double back = 0;
    ASSERT_EQ(Parsed::kOk, ParseDecimal(text, &back)) << text;
    ASSERT_EQ(rounded, RoundToDigits(back, digits)) << text;
    ASSERT_EQ(text, FormatFixed(back, digits));
  }
  EXPECT_EQ("2.50", FormatFixed(2.5, 2));
  EXPECT_EQ("10000000.00", FormatFixed(1e7, 2));
  EXPECT_EQ("29.97", FormatShortest(29.97));
  EXPECT_EQ("16000", FormatShortest(16000));
}

}  // namespace
}  // namespace detail
}  // namespace host
}  // namespace Quenneth
