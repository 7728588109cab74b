#include "qenproperties/host/internal/json_bounds.h"

namespace Quenneth {
namespace host {
namespace detail {

bool CheckJsonBounds(std::string_view text, const JsonBounds& bounds, DocumentError* error) {
  if (text.size() > bounds.maxBytes) {
    *error = DocumentError{};
    error->message = "the text is " + std::to_string(text.size()) + " bytes long, more than the " +
                     std::to_string(bounds.maxBytes) + " this reader takes";
    return false;
  }
  std::size_t depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0') {
      *error = ErrorAt(text, i, "a NUL byte, which JSON text never holds");
      return false;
    }
    if (inString) {
      if (c == '"') {
        inString = false;
      } else if (c == '\\' && i + 1 < text.size()) {
        if (text.compare(i + 1, 5, "u0000") == 0) {
          *error = ErrorAt(text, i, "a NUL character (\\u0000) in a string, which no value may hold");
          return false;
        }
        ++i;  // the escaped character cannot end the string
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > bounds.maxDepth) {
        *error = ErrorAt(text, i, "arrays and objects nested more than " + std::to_string(bounds.maxDepth) + " deep");
        return false;
      }
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return true;
}

DocumentError ErrorAt(std::string_view text, std::size_t offset, std::string message) {
  DocumentError error;
  error.message = std::move(message);
  error.line = 1;
  error.column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++error.line;
      error.column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++error.column;  // a UTF-8 continuation byte belongs to the character before it
    }
  }
  return error;
}

std::string PointerToken(const std::string& key) {
  std::string out;
  for (char c : key) {
    if (c == '~') {
      out += "~0";
    } else if (c == '/') {
      out += "~1";
    } else {
      out += c;
    }
  }
  return out;
}

std::string ParseErrorMessage(const std::string& what) {
  // The library writes "[json.exception.KIND] parse error at line L, column C: WHY" for a syntax error and
  // "[json.exception.KIND] WHY" otherwise.
  const std::size_t column = what.find("column");
  const std::size_t at = column != std::string::npos ? what.find(": ", column) : what.find("] ");
  return at != std::string::npos ? what.substr(at + 2) : what;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
