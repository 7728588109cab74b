#include "qenproperties/host/document_error.h"

#include <sstream>

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

}  // namespace host
}  // namespace Quenneth
