// interface_table.h: the table walk shared by every QueryInterface (internal).
//
// A class lists the identifiers it answers with itself and the cast for each:
//
//   static const detail::InterfaceEntry<CQPropertyVault> kTable[] = {
//       {&IID_IQPropertyVault, &detail::InterfaceCast<CQPropertyVault, IQPropertyVault>},
//       {&IID_IQUnknown, &detail::InterfaceCast<CQPropertyVault, IQPropertyVault>},
//   };
//   if (detail::FindInterface(this, kTable, iid, out)) return kResultOk;
//
// Answers that hand out another object (the advanced attribute object, the optional property, the base
// property's answer) stay in plain code after the table, with HandOut and NoInterface.
#ifndef QENPROPERTIES_INTERNAL_INTERFACE_TABLE_H_
#define QENPROPERTIES_INTERNAL_INTERFACE_TABLE_H_

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

template <class Self>
struct InterfaceEntry {
  const _QGUID* iid;
  void* (*cast)(Self*);
};

template <class Self, class Interface>
void* InterfaceCast(Self* self) {
  return static_cast<Interface*>(self);
}

// FindInterface stores the matching interface pointer with one reference added and returns true. `table` is
// any sequence of InterfaceEntry<Self> (an array, or the std::array a typed property builds).
template <class Self, class Table>
bool FindInterface(Self* self, const Table& table, const _QGUID& iid, void** out) {
  for (const InterfaceEntry<Self>& entry : table) {
    if (*entry.iid == iid) {
      *out = entry.cast(self);
      self->AddRef();
      return true;
    }
  }
  return false;
}

// HandOut gives the caller another object with one reference added.
template <class T>
ULONG HandOut(T* object, void** out) {
  object->AddRef();
  *out = object;
  return kResultOk;
}

inline ULONG NoInterface(void** out) {
  *out = nullptr;
  return kResultNoInterface;
}

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_INTERFACE_TABLE_H_
