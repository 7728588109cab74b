#include "qenproperties/server/internal/json_body.h"

#include <gtest/gtest.h>

#include <string>

namespace Quenneth {
namespace server {
namespace detail {
namespace {

TEST(JsonBodyTest, ReadsAnObjectAndKeepsTheOrderOfItsKeys) {
  Json body;
  BodyError error;
  ASSERT_TRUE(ParseJsonBody(R"({"value": 1, "name": "Width"})", &body, &error)) << error.message;
  EXPECT_EQ("value", body.begin().key());
  EXPECT_EQ("Width", body["name"]);
}

TEST(JsonBodyTest, NamesTheLineAndColumnOfASyntaxError) {
  Json body;
  BodyError error;
  ASSERT_FALSE(ParseJsonBody("{\n  \"name\": \"Width\"\n  \"value\": 3\n}", &body, &error));
  // The place is where the reader stopped: the end of the token it did not expect.
  EXPECT_EQ(3u, error.line);
  EXPECT_EQ(9u, error.column);
  EXPECT_NE(std::string::npos, error.message.find("expected '}'")) << error.message;
  // The library's own prefix and place are not repeated in the sentence.
  EXPECT_EQ(std::string::npos, error.message.find("json.exception")) << error.message;
}

TEST(JsonBodyTest, RefusesEmptyBodiesTruncatedTextAndInvalidUtf8) {
  Json body;
  BodyError error;
  EXPECT_FALSE(ParseJsonBody("  \r\n", &body, &error));
  EXPECT_EQ(1u, error.line);
  EXPECT_FALSE(ParseJsonBody(R"({"name": "Wid)", &body, &error));
  EXPECT_EQ(1u, error.line);
  EXPECT_FALSE(ParseJsonBody("{\"name\": \"\xC0\x80\"}", &body, &error));
  EXPECT_FALSE(ParseJsonBody("{} {}", &body, &error));
  EXPECT_EQ(4u, error.column);
}

TEST(JsonBodyTest, StopsNestingBeyondTheCapBeforeParsing) {
  Json body;
  BodyError error;
  std::string ok(kMaxBodyDepth, '[');
  ok += std::string(kMaxBodyDepth, ']');
  EXPECT_TRUE(ParseJsonBody(ok, &body, &error)) << error.message;
  // A hundred thousand levels: refused at the first bracket past the cap, with no recursion anywhere.
  const std::string deep = "\n" + std::string(100000, '[');
  ASSERT_FALSE(ParseJsonBody(deep, &body, &error));
  EXPECT_EQ(2u, error.line);
  EXPECT_EQ(kMaxBodyDepth + 1, error.column);
  // Brackets inside strings, escaped quotes included, do not count.
  const std::string quoted = R"({"name": "\"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[", "value": 1})";
  EXPECT_TRUE(ParseJsonBody(quoted, &body, &error)) << error.message;
}

}  // namespace
}  // namespace detail
}  // namespace server
}  // namespace Quenneth
