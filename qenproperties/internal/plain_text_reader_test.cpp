// The plain-form readers of preset text must never read a text differently from the number stream that reads
// every other text: each text they take is checked against the stream, and the texts a save writes must be taken.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "qenproperties/foundation/utf16_stream.h"
#include "qenproperties/internal/preset_text.h"

namespace Quenneth {
namespace {

QWString Wide(const std::string& text) { return QWString(text.begin(), text.end()); }

// Each check reports whether the fast reader took the text, after comparing whatever it took with the stream.
bool IntegerAgreesWithStream(const std::string& narrow) {
  const QWString text = Wide(narrow);
  long long fast = 0x5A5A;
  if (!detail::ReadPlainDecimal(text.c_str(), fast)) {
    EXPECT_EQ(0x5A5A, fast) << "a refused text leaves the value alone: " << narrow;
    return false;
  }
  long long streamed = 0;
  iUTF16StringStream stream(text.c_str());
  stream >> streamed;
  EXPECT_FALSE(stream.fail()) << narrow;
  EXPECT_EQ(streamed, fast) << narrow;
  return true;
}

bool RealAgreesWithStream(const std::string& narrow) {
  const QWString text = Wide(narrow);
  double fast = 42.0;
  if (!detail::ReadPlainReal(text.c_str(), fast)) {
    EXPECT_EQ(42.0, fast) << "a refused text leaves the value alone: " << narrow;
    return false;
  }
  double streamed = 0.0;
  iUTF16StringStream stream(text.c_str());
  stream >> streamed;
  EXPECT_FALSE(stream.fail()) << narrow;
  // Bit for bit: a negative zero must stay negative.
  std::uint64_t fastBits = 0;
  std::uint64_t streamBits = 0;
  std::memcpy(&fastBits, &fast, sizeof fast);
  std::memcpy(&streamBits, &streamed, sizeof streamed);
  EXPECT_EQ(streamBits, fastBits) << narrow;
  return true;
}

TEST(PresetPlainReaders, IntegerTextsASaveWritesAreTakenAsTheStreamReadsThem) {
  for (const char* text : {"0", "7", "-7", "+7", "-0", "007", "2147483647", "-2147483648", "4294967295",
                           "999999999999999999", "-999999999999999999"}) {
    EXPECT_TRUE(IntegerAgreesWithStream(text)) << text;
  }
}

TEST(PresetPlainReaders, IntegerTextsOfOtherFormsAreLeftToTheStream) {
  for (const char* text : {"", "-", "+", "+-7", "--7", " 7", "7 ", "7x", "1.5", "1e3", "0x10", "1000000000000000000",
                           "-9223372036854775808", "99999999999999999999999"}) {
    EXPECT_FALSE(IntegerAgreesWithStream(text)) << text;
  }
  // A digit beyond ASCII is no digit.
  const WCHAR fullWidthOne[] = {0xFF11, 0};
  long long value = 3;
  EXPECT_FALSE(detail::ReadPlainDecimal(fullWidthOne, value));
}

TEST(PresetPlainReaders, RealTextsASaveWritesAreTakenAsTheStreamReadsThem) {
  for (const char* text : {"0", "0.00", "-0.00", "+1.5", "1.", ".5", "-.5", "-100.00", "123456.789", "0.1",
                           "0.30000000000000004", "9007199254740993", "1797693134862315708145274237317043567980"}) {
    EXPECT_TRUE(RealAgreesWithStream(text)) << text;
  }
}

TEST(PresetPlainReaders, RealTextsOfOtherFormsAreLeftToTheStream) {
  const std::string longest(detail::kPlainRealRoom, '9');
  EXPECT_TRUE(RealAgreesWithStream(longest));
  for (const std::string& text :
       std::vector<std::string>{"", "-", ".", "-.", "+-1", "1.2.3", "1e5", "1E-5", " 1", "1 ", "inf", "nan", "0x1p3",
                                longest + "9", "0." + std::string(detail::kPlainRealRoom, '0') + "1"}) {
    EXPECT_FALSE(RealAgreesWithStream(text)) << text;
  }
}

// Random texts of the plain forms, of every length the readers take, agree with the stream.
TEST(PresetPlainReaders, RandomPlainTextsAgreeWithTheStream) {
  std::mt19937_64 random(17);
  const auto digits = [&](std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text.push_back(static_cast<char>('0' + random() % 10));
    return text;
  };
  const char* const signs[] = {"", "-", "+"};
  for (int i = 0; i < 3000; ++i) {
    const std::string sign = signs[random() % 3];
    EXPECT_TRUE(IntegerAgreesWithStream(sign + digits(1 + random() % 18)));
    const std::size_t whole = random() % 30;
    const std::size_t fraction = random() % 30;
    std::string real = sign + digits(whole) + "." + digits(fraction);
    if (whole + fraction == 0) real += "0";
    EXPECT_TRUE(RealAgreesWithStream(real)) << real;
  }
}

TEST(PresetPlainReaders, HexBytesStopAtTheFirstUnitThatIsNoDigit) {
  unsigned char bytes[4] = {};
  const QWString mixedCase = Wide("0aFf7B10");
  ASSERT_TRUE(detail::ReadHexBytes(mixedCase.c_str(), 4, bytes));
  EXPECT_EQ(0x0A, bytes[0]);
  EXPECT_EQ(0xFF, bytes[1]);
  EXPECT_EQ(0x7B, bytes[2]);
  EXPECT_EQ(0x10, bytes[3]);

  // The short text ends at its terminator; the reader must not look past it (the sanitizers watch the heap
  // buffer's end).
  std::vector<WCHAR> shortText = {'A', 'B', 'C', 0};
  EXPECT_FALSE(detail::ReadHexBytes(shortText.data(), 4, bytes));
  for (const char* text : {"0G00", "00 0", "-100", "0x00"}) {
    const QWString wide = Wide(text);
    EXPECT_FALSE(detail::ReadHexBytes(wide.c_str(), 2, bytes)) << text;
  }
  const WCHAR beyondAscii[] = {'0', 0x0130, 0};
  EXPECT_FALSE(detail::ReadHexBytes(beyondAscii, 1, bytes));
}

}  // namespace
}  // namespace Quenneth
