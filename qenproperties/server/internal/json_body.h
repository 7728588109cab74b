// json_body.h: a request body read as JSON, refused with a place and a sentence when it is not.
//
//   detail::Json body;
//   detail::BodyError error;
//   if (!detail::ParseJsonBody(request.body, &body, &error)) ... 400 with error.line, error.column ...
//
// The nesting depth is checked by a scan of the text before the JSON library builds any tree, so a hostile body
// of many thousand brackets costs one pass and no recursion.
#ifndef QENPROPERTIES_SERVER_INTERNAL_JSON_BODY_H_
#define QENPROPERTIES_SERVER_INTERNAL_JSON_BODY_H_

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace Quenneth {
namespace server {
namespace detail {

// Json keeps the order of object keys, so answers list fields as they are written.
using Json = nlohmann::ordered_json;

// kMaxBodyDepth: the deepest nesting of arrays and objects a request may have (requests need three or four).
constexpr std::size_t kMaxBodyDepth = 32;

// BodyError: why a body is no JSON, and where (line and column 1-based, counted in bytes).
struct BodyError {
  std::string message;
  std::size_t line = 0;
  std::size_t column = 0;
};

// LineAndColumn gives the 1-based line and column of byte `offset` (0-based) of `text`.
void LineAndColumn(std::string_view text, std::size_t offset, std::size_t* line, std::size_t* column);

// ParseJsonBody reads `text` into `out`. False with `error` set when the text is empty, nested deeper than
// kMaxBodyDepth, or no JSON (invalid UTF-8 included).
bool ParseJsonBody(std::string_view text, Json* out, BodyError* error);

}  // namespace detail
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_INTERNAL_JSON_BODY_H_
