// White-box tests of formatting numbers into UTF-16 text and reading them back.
#include "qenproperties/foundation/utf16_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

#include "qenproperties/testing/wide_text.h"

namespace Quenneth {
namespace {

using testing::Narrow;
using testing::W;

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
      SCOPED_TRACE(::testing::Message() << std::hexfloat << value << " precision " << precision);
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
    SCOPED_TRACE(::testing::Message() << "precision " << precision);
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
                           "3.9", "1e3", "3000000000", "-2147483650", "00000000000000002147483647", "4294967295",
                           "-000000000000000000000000000000001", "12345678901234567890123"}) {
    ExpectReadsLikeStandard<std::int32_t>(text, 12345);
  }
  for (const char* text : {"9223372036854775807", "-9223372036854775808", "9223372036854775808",
                           "-9223372036854775809", "18446744073709551616", " -42 ",
                           "-00000000000000000000009223372036854775808", "9999999999999999999",
                           "18446744073709551615", "+0000", "-000"}) {
    ExpectReadsLikeStandard<long long>(text, 12345);
  }

  for (const char* text :
       {"2.50", "  -1e3x", ".5", "-.5", "+.5", "1.", "abc", "", ".", "-", "1e", "1e+", "1ex", "1E-2", "1.5.3",
        "1e5e3", "0x1p3", "1e400", "-1e400", "1e-400", "-1e-400", "1.7976931348623159e308",
        "2.4703282292062327e-324", "2.4703282292062328e-324", "0.000000000000000000000000000001e-300",
        "100000000000000000000000000000000e300", "1e99999999999999999999", "1e-99999999999999999999", ".e1",
        "inf", "nan", "-infinity", "0.1000000000000000055511151231257827021181583404541015625", "0e99999",
        "1E400", "-1E-400", "1E+2x"}) {
    ExpectReadsLikeStandard<double>(text, 12345.0);
  }
  // Fields longer than any number's usual text, around the length where they stop fitting a small buffer.
  for (std::size_t digits : {100, 126, 127, 128, 129, 400}) {
    const std::string zeros(digits, '0');
    for (const std::string& text : {"1." + zeros + "1x", "-0." + zeros + "25e" + std::to_string(digits),
                                    "0." + zeros + "1E-330", "1" + zeros + "E-" + std::to_string(digits),
                                    std::string(digits, '9'), "." + zeros + "1e+"}) {
      ExpectReadsLikeStandard<double>(text, 12345.0);
    }
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
