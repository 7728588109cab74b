#include "qenproperties/host/internal/json_bounds.h"

#include <gtest/gtest.h>

#include <string>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

TEST(JsonBounds, TheCapsHoldBeforeAnythingIsParsed) {
  DocumentError error;
  EXPECT_TRUE(CheckJsonBounds(R"({"a": [[1, {"b": "c"}]]})", JsonBounds{64, 4}, &error));
  EXPECT_FALSE(CheckJsonBounds(R"({"a": [[1, {"b": "c"}]]})", JsonBounds{64, 3}, &error));
  EXPECT_EQ(1u, error.line);
  EXPECT_EQ(12u, error.column) << "at the bracket that goes one level too deep";
  EXPECT_FALSE(CheckJsonBounds(std::string(65, ' '), JsonBounds{64, 4}, &error));
  EXPECT_EQ(0u, error.line);
  EXPECT_NE(std::string::npos, error.message.find("65 bytes long, more than the 64")) << error.message;
}

TEST(JsonBounds, BracketsAndEscapesInsideStringsAreText) {
  DocumentError error;
  EXPECT_TRUE(CheckJsonBounds(R"(["[[[[[[", "\"[[[[", "\\u0000 is a backslash and text"])", JsonBounds{64, 1}, &error))
      << error.message;
  EXPECT_FALSE(CheckJsonBounds("[\"ok\",\n \"x\\u0000\"]", JsonBounds{}, &error));
  EXPECT_EQ(2u, error.line);
  EXPECT_EQ(4u, error.column);
  EXPECT_FALSE(CheckJsonBounds(std::string("[1,\0]", 5), JsonBounds{}, &error));
  EXPECT_EQ(4u, error.column);
  EXPECT_NE(std::string::npos, error.message.find("NUL byte"));
}

TEST(JsonBounds, ColumnsCountCharactersAndMessagesLoseTheLibrarysPrefix) {
  const DocumentError error = ErrorAt("\xC3\xA9\xE2\x82\xAC\n\xF0\x9F\x8E\xAC x", 11, "why");
  EXPECT_EQ(2u, error.line);
  EXPECT_EQ(3u, error.column);
  EXPECT_EQ("unexpected ']'",
            ParseErrorMessage("[json.exception.parse_error.101] parse error at line 1, column 5: unexpected ']'"));
  EXPECT_EQ("number overflow", ParseErrorMessage("[json.exception.out_of_range.406] number overflow"));
}

}  // namespace
}  // namespace detail
}  // namespace host
}  // namespace Quenneth
