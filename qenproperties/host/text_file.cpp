#include "qenproperties/host/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "qenproperties/host/document_error.h"

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

bool ReadTextFile(const std::string& path, std::string* content, std::string* error) {
  // Paths are UTF-8; on Windows the filesystem library opens them through their UTF-16 form.
  const std::filesystem::path file = std::filesystem::u8path(path);
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    *error = "is a directory";
    return false;
  }
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    *error = errno != 0 ? std::strerror(errno) : "cannot open the file";
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) {
    *error = "read error";
    return false;
  }
  *content = buffer.str();
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& content, std::string* error) {
  const std::filesystem::path target = std::filesystem::u8path(path);
  const std::filesystem::path temporary = std::filesystem::u8path(path + ".tmp");
  std::error_code ec;
  {
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      *error = errno != 0 ? std::strerror(errno) : "cannot create the temporary file";
      return false;
    }
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      *error = errno != 0 ? std::strerror(errno) : "write error";
      std::filesystem::remove(temporary, ec);
      return false;
    }
  }
  // std::rename refuses to replace an existing file on Windows; the filesystem library's rename replaces it
  // on every platform.
  std::filesystem::rename(temporary, target, ec);
  if (ec) {
    *error = ec.message();
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace host
}  // namespace Quenneth
