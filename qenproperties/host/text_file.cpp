#include "qenproperties/host/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

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

bool ReadTextFile(const std::string& path, std::string* content, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = "is a directory";
    return false;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
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
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size() && std::fflush(file) == 0;
  const int savedErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    *error = std::strerror(written ? errno : savedErrno);
    std::remove(temporary.c_str());
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace host
}  // namespace Quenneth
