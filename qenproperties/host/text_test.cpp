#include "qenproperties/host/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qenproperties/qenproperties.h"

namespace Quenneth {
namespace host {
namespace {

std::vector<WCHAR> Units(std::initializer_list<unsigned> units) {
  std::vector<WCHAR> out;
  for (unsigned u : units) out.push_back(static_cast<WCHAR>(u));
  return out;
}

TEST(Text, IntoThePropertyIsStrictAndReusesTheBuffer) {
  std::vector<WCHAR> wide = Units({'o', 'l', 'd', 'e', 'r', 0});
  ASSERT_TRUE(ToUtf16("\xC3\xA9t\xC3\xA9", &wide));
  EXPECT_EQ(Units({0xE9, 't', 0xE9, 0}), wide);
  // Malformed UTF-8, an overlong NUL among it, is refused and leaves only the terminator.
  for (const char* bad : {"\xC0\x80", "a\xFF", "\xED\xA0\x80", "ab\xE2\x82"}) {
    EXPECT_FALSE(ToUtf16(bad, &wide)) << bad;
    EXPECT_EQ(Units({0}), wide);
  }
}

TEST(Text, OutOfThePropertyReplacesWhatIsNoText) {
  const std::vector<WCHAR> lone = Units({'a', 0xD800, 'b', 0});
  EXPECT_EQ(
      "a\xEF\xBF\xBD"
      "b",
      Utf8(lone.data()));
  const std::vector<WCHAR> pair = Units({0xD83C, 0xDFAC, 0});
  EXPECT_EQ("\xF0\x9F\x8E\xAC", Utf8(pair.data()));
  EXPECT_EQ("", Utf8(nullptr));
  // The counted form reads past zeros: they are text there.
  const std::vector<WCHAR> zero = Units({'a', 0, 'b'});
  EXPECT_EQ(std::string("a\0b", 3), Utf8(zero.data(), zero.size()));
}

TEST(Text, NamesAndDescriptionsComeOutAsUtf8) {
  auto named =
      QRef<CQBoolProperty>::Adopt(new CQBoolProperty("Gr\xC3\xBC\xC3\x9F"
                                                     "e",
                                                     "Ein Schalter", 1, 2, 0, 0, nullptr, nullptr));
  EXPECT_EQ(
      "Gr\xC3\xBC\xC3\x9F"
      "e",
      NameOf(named.get()));
  EXPECT_EQ("Ein Schalter", DescriptionOf(named.get()));
  auto unnamed = QRef<CQBoolProperty>::Adopt(new CQBoolProperty(nullptr, nullptr));
  EXPECT_EQ("", NameOf(unnamed.get()));
  EXPECT_EQ("", DescriptionOf(unnamed.get()));
}

}  // namespace
}  // namespace host
}  // namespace Quenneth
