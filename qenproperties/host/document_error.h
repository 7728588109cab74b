// document_error.h: DocumentError, why a JSON document (panel description or preset) could not be used.
#ifndef QENPROPERTIES_HOST_DOCUMENT_ERROR_H_
#define QENPROPERTIES_HOST_DOCUMENT_ERROR_H_

#include <cstddef>
#include <string>

#include "qenproperties/host/host_export.h"

namespace Quenneth {
namespace host {

// DocumentError: an error found in the text (a syntax error, a NUL, nesting beyond the cap) carries its line
// and column (both 1-based; the column counts characters); one in what the document says carries the JSON
// pointer of the offending value ("/properties/2/kind") and line 0; a text over the size cap carries neither.
struct DocumentError {
  std::string message;
  std::size_t line = 0;
  std::size_t column = 0;
  std::string pointer;

  // Describe gives "PATH:LINE:COLUMN: MESSAGE" or "PATH: at POINTER: MESSAGE".
  QEN_HOST_API std::string Describe(const std::string& path) const;
};

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_DOCUMENT_ERROR_H_
