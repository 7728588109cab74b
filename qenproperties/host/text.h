// text.h: text between the host kit (UTF-8) and the library (zero-terminated UTF-16), and a property's texts.
//
// Thin wrappers over the library's one codec (foundation/string_utils.h), so the host kit converts exactly as the
// library does:
// - text read out of a property converts in the replacing mode: an unpaired surrogate shows as U+FFFD and never
//   stops a display or a save;
// - text that goes into a property converts in the strict mode: malformed UTF-8 (an overlong form of NUL
//   included) is refused, never guessed at.
//
//   std::vector<WCHAR> wide;
//   if (!host::ToUtf16(argument, &wide)) ... "not UTF-8" ...
//   property->SetCurString(wide.data());
//   std::string shown = host::Utf8(wide.data());
#ifndef QENPROPERTIES_HOST_TEXT_H_
#define QENPROPERTIES_HOST_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "qenproperties/frame/types.h"
#include "qenproperties/host/host_export.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {
namespace host {

// Utf8 gives the UTF-8 of zero-terminated UTF-16 (null gives ""), or of `units` code units at `text`
// (zeros included); unpaired surrogates become U+FFFD.
QEN_HOST_API std::string Utf8(const WCHAR* text);
QEN_HOST_API std::string Utf8(const WCHAR* text, std::size_t units);

// ToUtf16 converts UTF-8 into `out`, zero-terminated (its size counts the terminator), reusing its storage.
// False for malformed UTF-8, with `out` holding only the terminator. An embedded zero converts to a zero
// code unit: callers that hand the text to a zero-terminated setter refuse such text first.
QEN_HOST_API bool ToUtf16(std::string_view text, std::vector<WCHAR>* out);

// NameOf and DescriptionOf read a property's name and description as UTF-8 ("" when it has none). The
// property is borrowed for the call.
QEN_HOST_API std::string NameOf(IQProperty* property);
QEN_HOST_API std::string DescriptionOf(IQProperty* property);

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_TEXT_H_
