// types.h: the fixed-width scalar types, the data-type enumeration and the 16-byte identifier record.
#ifndef QENPROPERTIES_FRAME_TYPES_H_
#define QENPROPERTIES_FRAME_TYPES_H_

#include <cstdint>

namespace Quenneth {

// ULONG is 32 bits on every platform (never `unsigned long`, which is 64 bits on LP64 systems).
using ULONG = std::uint32_t;

// WCHAR is one UTF-16 code unit; wide text is zero-terminated.
using WCHAR = unsigned short;

// QDataType says how a property's value bytes are laid out. Any 32-bit value may be cast into it; the library
// interprets only the values listed.
enum QDataType : ULONG {
  kDataTypeBool = 0,       // 1 byte, 0 or non-zero
  kDataTypeUInt8 = 1,      // 1 byte, unsigned
  kDataTypeUInt16 = 2,     // 2 bytes little-endian, unsigned
  kDataTypeUInt32 = 3,     // 4 bytes little-endian, unsigned
  kDataTypeInt64 = 4,      // 8 bytes (extended-enum sub data)
  kDataTypeEnum = 7,       // an enumeration's selection
  kDataTypeFloat = 8,      // 4-byte IEEE single
  kDataTypeDouble = 9,     // 8-byte IEEE double
  kDataTypeGroup = 11,     // group record
  kDataTypeInt32 = 14,     // 4 bytes little-endian, signed
  kDataTypeEnumLong = 15,  // enum-long selection
  kDataTypeWString = 16,   // UTF-16 text with terminator
  kDataTypeRatio = 26,     // selected ratio entry's index
  kDataTypeExEnum = 27,    // extended enumeration record
  kDataTypeEnum64 = 28,    // sub data type selecting the enum property's 64-bit form
};

// kFlagValueSet is set in a property's flags whenever value bytes are stored, and cleared by Reset.
constexpr ULONG kFlagValueSet = 8;

// _QGUID has the layout of the standard GUID. Two identifiers are equal when all four parts are equal.
struct _QGUID {
  ULONG Data1;
  unsigned short Data2;
  unsigned short Data3;
  unsigned char Data4[8];
};

inline bool operator==(const _QGUID& a, const _QGUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}

inline bool operator!=(const _QGUID& a, const _QGUID& b) { return !(a == b); }

static_assert(sizeof(_QGUID) == 16, "_QGUID must be 16 bytes");

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_TYPES_H_
