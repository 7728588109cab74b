#include "qenproperties/host/internal/preset_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

TEST(PresetReader, ReadsEveryFieldAndLeavesOutWhatIsNotGiven) {
  PresetContent content;
  DocumentError error;
  ASSERT_TRUE(ReadPresetDocument(R"({"entries": [
      {"id": 7, "value": "a\tb", "name": "Seven", "group": 1, "flags": 9, "type": 3, "size": 4},
      {"value": "", "id": 4294967295}], "version": "2", "format": "qenprops-preset"})",
                                 JsonBounds{}, &content, &error))
      << error.message;
  ASSERT_EQ(2u, content.entries.size());
  EXPECT_EQ("2", content.version.value_or(""));
  const PresetEntry& first = content.entries[0];
  EXPECT_EQ("Seven", first.name);
  EXPECT_EQ(7u, first.id);
  EXPECT_EQ("a\tb", first.value);
  EXPECT_EQ(9u, first.flags);
  EXPECT_EQ(127u, first.given);
  const PresetEntry& second = content.entries[1];
  EXPECT_EQ(unsigned{preset_keys::kId | preset_keys::kValue}, second.given);
  EXPECT_EQ(1u, content.index.Find(4294967295u));
  EXPECT_EQ(IdIndex::kNone, content.index.Find(8));
}

// An entry's texts view what its content holds: reading other documents on the same thread, while it lives and
// after another content is gone, leaves them as they were; a copy adopted by another content outlives it.
TEST(PresetReader, AContentsTextsStayAsReadWhileOtherDocumentsAreRead) {
  const auto document = [](const std::string& name, const std::string& value) {
    return R"({"format": "qenprops-preset", "entries": [{"id": 1, "name": ")" + name + R"(", "value": ")" + value +
           R"("}]})";
  };
  DocumentError error;
  PresetContent first;
  ASSERT_TRUE(ReadPresetDocument(document("First name", "first value"), JsonBounds{}, &first, &error));
  PresetContent adopted;
  {
    PresetContent second;
    ASSERT_TRUE(ReadPresetDocument(document("Second", "second value, longer"), JsonBounds{}, &second, &error));
    EXPECT_EQ("Second", second.entries[0].name);
    adopted.Adopt(second.entries[0]);
  }
  // An escaped surrogate pair takes the event reader, whose texts the content keeps itself; moved, the content
  // keeps them where they were.
  PresetContent third;
  ASSERT_TRUE(
      ReadPresetDocument(document(R"(Third \ud83d\ude00, longer than the first)", "3"), JsonBounds{}, &third, &error));
  PresetContent moved = std::move(third);
  third = std::move(moved);
  for (int round = 0; round < 2; ++round) {
    PresetContent again;
    ASSERT_TRUE(ReadPresetDocument(document("Again", "again"), JsonBounds{}, &again, &error));
  }
  EXPECT_EQ("First name", first.entries[0].name);
  EXPECT_EQ("first value", first.entries[0].value);
  EXPECT_EQ("Second", adopted.entries[0].name);
  EXPECT_EQ("second value, longer", adopted.entries[0].value);
  EXPECT_EQ("Third \xF0\x9F\x98\x80, longer than the first", third.entries[0].name);
  EXPECT_EQ("3", third.entries[0].value);
}

// The caps come before anything else a document gets wrong, and the size cap before any reading.
TEST(PresetReader, TheCapsAreJudgedFirst) {
  PresetContent content;
  DocumentError error;
  const std::string deepAndWrong = R"({"format": "qenprops-preset", "colour": [[[[[[1]]]]]], "entries": []})";
  ASSERT_FALSE(ReadPresetDocument(deepAndWrong, JsonBounds{1 << 20, 4}, &content, &error));
  EXPECT_NE(std::string::npos, error.message.find("nested more than 4")) << error.message;
  ASSERT_FALSE(ReadPresetDocument(deepAndWrong, JsonBounds{}, &content, &error));
  EXPECT_EQ("/colour", error.pointer) << "within the caps, the unknown key";
  ASSERT_FALSE(
      ReadPresetDocument(R"({"format": "qenprops-preset", "entries": []})", JsonBounds{10, 32}, &content, &error));
  EXPECT_NE(std::string::npos, error.message.find("more than the 10")) << error.message;
  // A NUL in an otherwise good document is placed by its line and column.
  ASSERT_FALSE(
      ReadPresetDocument("{\"format\": \"qenprops-preset\",\n \"entries\": [{\"id\": 1, \"value\": \"\\u0000\"}]}",
                         JsonBounds{}, &content, &error));
  EXPECT_EQ(2u, error.line);
  EXPECT_EQ(34u, error.column);
}

}  // namespace
}  // namespace detail
}  // namespace host
}  // namespace Quenneth
