// json_bounds.h: the caps on a JSON text that comes from outside (a preset document, a panel description),
// checked in one pass before any parser or tree sees it (internal).
//
//   DocumentError error;
//   if (!CheckJsonBounds(text, JsonBounds{}, &error)) ... error.Describe(path) ...
#ifndef QENPROPERTIES_HOST_INTERNAL_JSON_BOUNDS_H_
#define QENPROPERTIES_HOST_INTERNAL_JSON_BOUNDS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "qenproperties/host/document_error.h"
#include "qenproperties/host/preset_file.h"

namespace Quenneth {
namespace host {
namespace detail {

// kDefaultMaxJsonBytes: the largest text a reader takes unless told otherwise: as large as a file may be.
constexpr std::size_t kDefaultMaxJsonBytes = kDefaultMaxFileBytes;
// kMaxJsonDepth: the deepest nesting of arrays and objects; preset documents need 3 levels, descriptions 5.
constexpr std::size_t kMaxJsonDepth = 32;

struct JsonBounds {
  std::size_t maxBytes = kDefaultMaxJsonBytes;
  std::size_t maxDepth = kMaxJsonDepth;
};

// CheckJsonBounds refuses a text larger than maxBytes (no position), and, at their line and column: arrays and
// objects nested deeper than maxDepth, a NUL byte, and a NUL written as an escape (\u0000) in a string. It
// reads no further than the first of them, and judges nothing else of the JSON.
bool CheckJsonBounds(std::string_view text, const JsonBounds& bounds, DocumentError* error);

// ErrorAt gives the error at 0-based byte `offset` of `text`: 1-based line, and column in characters.
DocumentError ErrorAt(std::string_view text, std::size_t offset, std::string message);

// PointerToken gives a key as one token of a JSON pointer ("~" is written "~0", "/" is written "~1").
std::string PointerToken(const std::string& key);

// ParseErrorMessage gives the JSON library's reason for a syntax error without its prefix (the kind of
// exception, and a line and column of its own counting).
std::string ParseErrorMessage(const std::string& what);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_JSON_BOUNDS_H_
