#include "qenproperties/internal/preset_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace Quenneth {
namespace {

// The length a query reports must be exactly the number of units the second call writes, or a host that sizes its
// buffer from the first call gets a cut text or a write past its buffer.
template <class Integer>
void ExpectQueryMatchesText(Integer value) {
  const std::string expected = std::to_string(value);
  ULONG queried = 0;
  detail::PutDecimalText(value, nullptr, &queried);
  std::vector<WCHAR> text(queried + 2, WCHAR{0x7777});
  ULONG written = 0;
  detail::PutDecimalText(value, text.data(), &written);
  EXPECT_EQ(queried, expected.size()) << expected;
  EXPECT_EQ(written, queried) << expected;
  EXPECT_EQ(std::string(text.begin(), text.begin() + written), expected);
  EXPECT_EQ(text[written], 0) << "terminator of " << expected;
  EXPECT_EQ(text[written + 1], 0x7777) << "nothing is written past the terminator of " << expected;
}

TEST(PresetDecimalText, LengthQueryAgreesWithTextAtEveryDigitCount) {
  unsigned long long power = 1;
  for (int digits = 1; digits <= 19; ++digits) {
    ExpectQueryMatchesText(power - 1);
    ExpectQueryMatchesText(power);
    ExpectQueryMatchesText(static_cast<long long>(power - 1));
    ExpectQueryMatchesText(static_cast<long long>(power));
    ExpectQueryMatchesText(-static_cast<long long>(power));
    ExpectQueryMatchesText(1 - static_cast<long long>(power));
    power *= 10;
  }
  ExpectQueryMatchesText(power);
  ExpectQueryMatchesText(ULLONG_MAX);
  ExpectQueryMatchesText(LLONG_MAX);
  ExpectQueryMatchesText(LLONG_MIN);
  ExpectQueryMatchesText(static_cast<long long>(INT_MIN));
  ExpectQueryMatchesText(static_cast<unsigned long long>(UINT_MAX));
}

}  // namespace
}  // namespace Quenneth
