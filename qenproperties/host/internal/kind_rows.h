// kind_rows.h: the rows of the kinds table, one per property class (internal). kinds.cpp lists them in the
// order KindOf tries them; each is defined beside the rows of related classes.
#ifndef QENPROPERTIES_HOST_INTERNAL_KIND_ROWS_H_
#define QENPROPERTIES_HOST_INTERNAL_KIND_ROWS_H_

#include "qenproperties/host/kinds.h"

namespace Quenneth {
namespace host {
namespace detail {

extern const PropertyKind kLongKind;      // kind_numbers.cpp
extern const PropertyKind kFloatKind;     // kind_numbers.cpp
extern const PropertyKind kBoolKind;      // kind_numbers.cpp
extern const PropertyKind kTextKind;      // kind_plain.cpp
extern const PropertyKind kEnumKind;      // kind_lists.cpp
extern const PropertyKind kEnumLongKind;  // kind_lists.cpp
extern const PropertyKind kExEnumKind;    // kind_ex_enum.cpp
extern const PropertyKind kRatioKind;     // kind_ratio.cpp
extern const PropertyKind kGroupKind;     // kind_plain.cpp
extern const PropertyKind kButtonKind;    // kind_plain.cpp
extern const PropertyKind kPlainKind;     // kind_plain.cpp
extern const PropertyKind kOtherKind;     // kind_plain.cpp

// KindFor is KindOf for a property whose data type the caller has read already.
const PropertyKind& KindFor(IQProperty* property, ULONG dataType);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_KIND_ROWS_H_
