// text_file.h: reading a whole file, and replacing a file atomically.
#ifndef QENPROPERTIES_HOST_TEXT_FILE_H_
#define QENPROPERTIES_HOST_TEXT_FILE_H_

#include <string>

#include "qenproperties/host/host_export.h"

namespace Quenneth {
namespace host {

// ReadTextFile reads the whole file into `content`; on failure returns false and puts the reason (the system's
// error text) into `error`.
QEN_HOST_API bool ReadTextFile(const std::string& path, std::string* content, std::string* error);

// WriteFileAtomically writes `content` to a temporary file beside `path`, flushes it and renames it over
// `path`, so the file is either the old one or the whole new one. On failure the old file is untouched, the
// temporary file is removed, and the reason is put into `error`.
QEN_HOST_API bool WriteFileAtomically(const std::string& path, const std::string& content, std::string* error);

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_TEXT_FILE_H_
