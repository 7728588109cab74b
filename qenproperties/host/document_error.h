// document_error.h: DocumentError, why a JSON document (panel description or preset) could not be used.
#ifndef QENPROPERTIES_HOST_DOCUMENT_ERROR_H_
#define QENPROPERTIES_HOST_DOCUMENT_ERROR_H_

#include <cstddef>
#include <string>

#include "qenproperties/host/host_export.h"

namespace Quenneth {
namespace host {

// DocumentError: a syntax error carries its line and column (both 1-based); a document that parses but does
// not have the expected shape carries the JSON pointer of the offending value ("/properties/2/kind") and
// line 0.
struct DocumentError {
  std::string message;
  std::size_t line = 0;
  std::size_t column = 0;
  std::string pointer;

  // Describe gives "PATH:LINE:COLUMN: MESSAGE" or "PATH: at POINTER: MESSAGE".
  QEN_HOST_API std::string Describe(const std::string& path) const;
};

// SyntaxErrorAt makes the error of a JSON syntax error found at 1-based byte `byte` of `text`: its line and
// column, and `reason`.
QEN_HOST_API DocumentError SyntaxErrorAt(const std::string& text, std::size_t byte, const std::string& reason);

// JsonErrorOf gives the error of `text` when it is no JSON document (a syntax error, or a number beyond the
// range of a double): where the JSON library stops reading it, and why.
QEN_HOST_API DocumentError JsonErrorOf(const std::string& text);

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_DOCUMENT_ERROR_H_
