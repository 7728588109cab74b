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
  EXPECT_EQ("Seven", first.name.value_or(""));
  EXPECT_EQ(7u, first.id);
  EXPECT_EQ("a\tb", first.value);
  EXPECT_EQ(9u, first.flags.value_or(0));
  const PresetEntry& second = content.entries[1];
  EXPECT_FALSE(second.name || second.group || second.flags || second.type || second.size);
  EXPECT_EQ(1u, content.index.Find(4294967295u));
  EXPECT_EQ(IdIndex::kNone, content.index.Find(8));
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
