// result_codes.h: every result code an operation of the library returns.
//
// 0 is success; codes 0xC... are errors; codes 0x4... report that nothing was done or found.
#ifndef QENPROPERTIES_FRAME_RESULT_CODES_H_
#define QENPROPERTIES_FRAME_RESULT_CODES_H_

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/types.h"

namespace Quenneth {

// kResultOk: success.
constexpr ULONG kResultOk = 0x00000000;
// kResultCapabilityUnknown: GetCapabilities was asked for a capability number other than 1.
constexpr ULONG kResultCapabilityUnknown = 0x00000002;
// kResultNullPointer: a required pointer (chiefly an output or length pointer) is null; also a command button
// clicked without an on-click procedure.
constexpr ULONG kResultNullPointer = 0xC0080001;
// kResultIndexOutOfRange: an index lies beyond the end of a list.
constexpr ULONG kResultIndexOutOfRange = 0xC0080002;
// kResultInvalidArgument: an argument cannot be used (a null value pointer, an ID or text no entry has, a size
// a property does not take, a name no vault entry has, an empty enum preset text).
constexpr ULONG kResultInvalidArgument = 0xC0080003;
// kResultOutOfMemory: a new object or list entry could not be allocated.
constexpr ULONG kResultOutOfMemory = 0xC0010001;
// kResultStorageFailed: value bytes could not be allocated or copied.
constexpr ULONG kResultStorageFailed = 0xC0010005;
// kResultNotFound: no property with the ID in a vault; a null ratio output; a float preset that is no number.
constexpr ULONG kResultNotFound = 0xC00B0002;
// kResultNoInterface: QueryInterface does not answer the identifier; the output pointer is set to null.
constexpr ULONG kResultNoInterface = 0x400D0001;
// kResultNoSelection: the request does not fit the data held (no selected entry, unsupported sub-data type,
// a size that does not match what the property stores).
constexpr ULONG kResultNoSelection = 0x400E0002;
// kResultOutOfRange: a value lies outside the property's range, or a selection index beyond the entries.
constexpr ULONG kResultOutOfRange = 0x400E0004;
// kResultNotAvailable: nothing to answer from (no base property, empty value, end of a list, unknown handle).
constexpr ULONG kResultNotAvailable = 0x400E0005;
// kResultPropertyMismatch: the two properties given to PropertyChanged have different property IDs.
constexpr ULONG kResultPropertyMismatch = 0x400E0007;
// kResultChangeRefused: the mediator's notify callback refused a change.
constexpr ULONG kResultChangeRefused = 0x400E0008;
// kResultAlreadyRegistered: a property of the same identity is already registered with the mediator.
constexpr ULONG kResultAlreadyRegistered = 0x400E0009;
// kResultNotRegistered: the property is not registered with the mediator.
constexpr ULONG kResultNotRegistered = 0x400E000A;
// kResultUnreadablePreset: an enum preset text holds no readable 64-bit number.
constexpr ULONG kResultUnreadablePreset = 0xFFFFFFFF;

// IsError reports whether `code` is an error (top two bits set).
constexpr bool IsError(ULONG code) { return (code & 0xC0000000u) == 0xC0000000u; }

// ResultName gives the constant name of a known code ("kResultOutOfRange"), or "unknown result" otherwise.
// The returned text is static.
QEN_API const char* ResultName(ULONG code);

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_RESULT_CODES_H_
