#include "qenproperties/host/internal/name_index.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

// Names found in any letter case, at the position given, whether the table was sized first or grew while
// names were added; near misses are not found.
TEST(NameIndex, FindsEveryNameInAnyLetterCaseAndNothingElse) {
  for (const bool reserved : {true, false}) {
    std::deque<std::string> names;  // a deque keeps every name where it is as it grows
    NameIndex index;
    if (reserved) index.Reserve(3000);
    for (int i = 0; i < 3000; ++i) {
      names.push_back("Setting " + std::to_string(i) + (i % 2 == 0 ? " Width" : " height"));
      ASSERT_EQ(NameIndex::kNone, index.Find(names.back()));
      index.Add(&names.back(), static_cast<std::size_t>(i));
    }
    EXPECT_EQ(3000u, index.Size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      std::string upper = names[i];
      for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
      ASSERT_EQ(i, index.Find(names[i]));
      ASSERT_EQ(i, index.Find(upper));
    }
    EXPECT_EQ(NameIndex::kNone, index.Find("Setting 3000 Width"));
    EXPECT_EQ(NameIndex::kNone, index.Find("Setting 1 Width")) << "a name with another word";
    EXPECT_EQ(NameIndex::kNone, index.Find("Setting 0 Widt"));
    EXPECT_EQ(NameIndex::kNone, index.Find("Setting 0 Width "));
    EXPECT_EQ(NameIndex::kNone, index.Find(""));
  }
}

// Only ASCII letters fold: bytes of other characters, and characters that merely look alike, must match as they
// are.
TEST(NameIndex, FoldsOnlyAsciiLetters) {
  const std::string names[] = {"\xC3\xA9t\xC3\xA9", "A[1]", "x_y"};  // "été"
  NameIndex index;
  for (std::size_t i = 0; i < 3; ++i) index.Add(&names[i], i);
  EXPECT_EQ(0u, index.Find("\xC3\xA9T\xC3\xA9"));
  EXPECT_EQ(NameIndex::kNone, index.Find("\xC3\x89t\xC3\x89")) << "\"ÉtÉ\" is another name";
  EXPECT_EQ(1u, index.Find("a[1]"));
  EXPECT_EQ(NameIndex::kNone, index.Find("a{1]")) << "'[' is no capital of '{'";
  EXPECT_EQ(NameIndex::kNone, index.Find("X\x7Fy"));
  EXPECT_EQ(2u, index.Find("X_Y"));
  EXPECT_EQ(NameIndex::kNone, NameIndex().Find("x_y")) << "an empty index finds nothing";
}

}  // namespace
}  // namespace detail
}  // namespace host
}  // namespace Quenneth
