// sub_data_width.h: how many bytes of sub data an extended enum's choice carries for each sub-data type
// (internal, not installed). The property sizes its record by it; the host kit, built beside the core, reads and
// writes choice numbers by it, so both agree on one table.
#ifndef QENPROPERTIES_INTERNAL_SUB_DATA_WIDTH_H_
#define QENPROPERTIES_INTERNAL_SUB_DATA_WIDTH_H_

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

// SubDataWidth: the bytes of sub data of `type`; 0 for a type that carries none.
constexpr ULONG SubDataWidth(ULONG type) {
  switch (type) {
    case kDataTypeUInt8: return 1;
    case kDataTypeUInt16: return 2;
    case kDataTypeUInt32:
    case kDataTypeFloat:
    case kDataTypeInt32: return 4;
    case kDataTypeInt64:
    case kDataTypeDouble: return 8;
    default: return 0;
  }
}

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_SUB_DATA_WIDTH_H_
