#include "qenproperties/host/document_error.h"

#include <sstream>

#include <nlohmann/json.hpp>

namespace Quenneth {
namespace host {

std::string DocumentError::Describe(const std::string& path) const {
  std::ostringstream out;
  if (line != 0) {
    out << path << ":" << line << ":" << column << ": " << message;
  } else if (!pointer.empty()) {
    out << path << ": at " << pointer << ": " << message;
  } else {
    out << path << ": " << message;
  }
  return out.str();
}

DocumentError SyntaxErrorAt(const std::string& text, std::size_t byte, const std::string& reason) {
  DocumentError error;
  error.message = reason;
  error.line = 1;
  error.column = 1;
  const std::size_t end = byte == 0 ? 0 : (byte - 1 < text.size() ? byte - 1 : text.size());
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++error.line;
      error.column = 1;
    } else {
      ++error.column;
    }
  }
  return error;
}

namespace {

// Locator reads JSON text through the library's event interface and keeps only where and why reading stops.
struct Locator {
  using Json = nlohmann::json;
  std::size_t position = 0;
  std::string reason;

  bool null() { return true; }
  bool boolean(bool /*value*/) { return true; }
  bool number_integer(Json::number_integer_t /*value*/) { return true; }
  bool number_unsigned(Json::number_unsigned_t /*value*/) { return true; }
  bool number_float(Json::number_float_t /*value*/, const Json::string_t& /*text*/) { return true; }
  bool string(Json::string_t& /*value*/) { return true; }
  bool binary(Json::binary_t& /*value*/) { return true; }
  bool start_object(std::size_t /*size*/) { return true; }
  bool key(Json::string_t& /*value*/) { return true; }
  bool end_object() { return true; }
  bool start_array(std::size_t /*size*/) { return true; }
  bool end_array() { return true; }
  bool parse_error(std::size_t at, const std::string& /*token*/, const nlohmann::detail::exception& e) {
    position = at;
    reason = e.what();
    return false;
  }
};

}  // namespace

DocumentError JsonErrorOf(const std::string& text) {
  Locator locator;
  nlohmann::json::sax_parse(text, &locator);
  // The library's text reads "[json.exception.KIND] parse error at line L, column C: WHY" for a syntax error
  // and "[json.exception.KIND] WHY" otherwise; the line and column are ours to give.
  std::string reason = locator.reason;
  const std::size_t column = reason.find("column");
  const std::size_t at = column != std::string::npos ? reason.find(": ", column) : reason.find("] ");
  if (at != std::string::npos) reason = reason.substr(at + 2);
  return SyntaxErrorAt(text, locator.position, reason);
}

}  // namespace host
}  // namespace Quenneth
