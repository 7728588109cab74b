#include "qenproperties/internal/fixed_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace Quenneth {
namespace {

std::string GeneralText(double value, ULONG digits) {
  char buffer[512];
  const std::to_chars_result result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, static_cast<int>(digits));
  return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("<too long>");
}

// Checks values against the general conversion; the failures are counted, and the first few reported, so a sweep
// of many values stays readable.
class FixedTextCheck {
 public:
  ~FixedTextCheck() { EXPECT_EQ(failures_, 0) << "of " << checked_ << " values"; }

  // Expects the writer to take the value (where it takes any at all) and to match.
  void Taken(double value, ULONG digits) {
    ULONG queried = 0;
    if (detail::kFixedTextExact && !detail::PutFixedText(value, digits, nullptr, &queried)) {
      ++checked_;
      return Fail(value, digits, "refused", GeneralText(value, digits));
    }
    Either(value, digits);
  }

  // As a host meets it: the writer either takes the value, and then the length query, the text and its
  // terminator agree with the general conversion, or refuses it without touching the length.
  void Either(double value, ULONG digits) {
    ++checked_;
    ULONG queried = 12345;
    if (!detail::PutFixedText(value, digits, nullptr, &queried)) {
      if (queried != 12345) Fail(value, digits, "a refusal that wrote the length", GeneralText(value, digits));
      return;
    }
    const std::string expected = GeneralText(value, digits);
    std::vector<WCHAR> text(queried + 2, WCHAR{0x7777});
    ULONG written = 0;
    detail::PutFixedText(value, digits, text.data(), &written);
    const std::string got(text.begin(), text.begin() + written);
    if (got != expected || queried != written || text[written] != 0 || text[written + 1] != 0x7777) {
      Fail(value, digits, got + " (queried " + std::to_string(queried) + ")", expected);
    }
  }

 private:
  void Fail(double value, ULONG digits, const std::string& got, const std::string& expected) {
    if (++failures_ <= 10) {
      ADD_FAILURE() << std::hexfloat << value << " at " << digits << " digits: got " << got << ", expected "
                    << expected;
    }
  }

  int failures_ = 0;
  int checked_ = 0;
};

TEST(FixedText, RoundsExactlyAsTheGeneralConversion) {
  FixedTextCheck check;
  // Exact ties go to the even digit; values one step either side of a tie go the other way.
  for (double tie : {0.5, 1.5, 2.5, 0.125, 0.375, 0.625, 2.675, 1.005, 0.045, 1e-7 * 5, 4503599627370495.5}) {
    for (ULONG digits = 0; digits <= 3; ++digits) {
      for (double value : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300), -tie}) {
        check.Either(value, digits);
      }
    }
  }
  // Rounding that carries into a new integer digit, and the sign of values that round to zero.
  check.Taken(9.9996, 3);
  check.Taken(99.995, 2);
  check.Taken(999999.5, 0);
  check.Taken(-0.001, 2);
  check.Taken(-0.0, 2);
  check.Taken(0.0, 0);
  check.Taken(-0.0, 0);
  check.Taken(1e-300, 15);
  check.Taken(std::numeric_limits<double>::denorm_min(), 2);
  check.Taken(0.1, 15);
  check.Taken(-123456.7890123, 6);
}

TEST(FixedText, SweepsOfValuesNearRoundingBoundariesMatchTheGeneralConversion) {
  FixedTextCheck check;
  std::mt19937_64 random(20261207);
  for (ULONG digits = 0; digits <= detail::kFixedDigitsMax; ++digits) {
    const double scale = std::pow(10.0, static_cast<double>(digits));
    for (int i = 0; i < 3000; ++i) {
      // A half-way point between two texts, at every magnitude the writer takes, and its neighbours.
      const int magnitude = static_cast<int>(random() % 16);
      const auto units = static_cast<double>(random() % static_cast<std::uint64_t>(std::pow(10.0, magnitude) + 1));
      const double half = (units + 0.5) / scale;
      const double sign = random() % 2 == 0 ? 1.0 : -1.0;
      for (double value : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e300), units / scale}) {
        check.Either(sign * value, digits);
      }
    }
  }
}

TEST(FixedText, SweepOfArbitraryBitPatternsMatchesTheGeneralConversionOrIsRefused) {
  FixedTextCheck check;
  std::mt19937_64 random(7);
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t bits = random();
    double value = 0.0;
    static_assert(sizeof value == sizeof bits, "a double is 64 bits");
    std::memcpy(&value, &bits, sizeof value);
    check.Either(value, static_cast<ULONG>(random() % (detail::kFixedDigitsMax + 1)));
  }
  // Finite values below 2^52 units of the last digit are all taken.
  check.Taken(std::ldexp(1.0, 52) - 1.0, 0);
  check.Taken(-450359962737.0495, 4);
}

TEST(FixedText, RefusesWhatOnlyTheGeneralConversionWrites) {
  ULONG length = 77;
  EXPECT_FALSE(detail::PutFixedText(std::nan(""), 2, nullptr, &length));
  EXPECT_FALSE(detail::PutFixedText(std::numeric_limits<double>::infinity(), 2, nullptr, &length));
  EXPECT_FALSE(detail::PutFixedText(-std::numeric_limits<double>::infinity(), 0, nullptr, &length));
  EXPECT_FALSE(detail::PutFixedText(1.0, detail::kFixedDigitsMax + 1, nullptr, &length));
  EXPECT_FALSE(detail::PutFixedText(std::ldexp(1.0, 52), 0, nullptr, &length));
  EXPECT_FALSE(detail::PutFixedText(1e13, 4, nullptr, &length));
  EXPECT_EQ(length, 77u);
}

}  // namespace
}  // namespace Quenneth
