// guid.h: generation and display of the 16-byte identifiers (internal).
//
// QGenerateGUID(out)   fills *out with a fresh random identifier in the version-4 layout (version nibble 4,
//                      variant bits 10). Returns kResultOk, or kResultNullPointer for a null out. Safe to call
//                      from several threads at once.
// QGuidToString(id)    "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hexadecimal: Data1, Data2, Data3,
//                      Data4[0..1], Data4[2..7].
#ifndef QENPROPERTIES_FRAME_GUID_H_
#define QENPROPERTIES_FRAME_GUID_H_

#include <string>

#include "qenproperties/frame/types.h"

namespace Quenneth {

ULONG QGenerateGUID(_QGUID* out);
std::string QGuidToString(const _QGUID& id);

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_GUID_H_
