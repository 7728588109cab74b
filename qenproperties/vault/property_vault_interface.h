// property_vault_interface.h: IQPropertyVault, the look-up side of an ordered collection of properties.
#ifndef QENPROPERTIES_VAULT_PROPERTY_VAULT_INTERFACE_H_
#define QENPROPERTIES_VAULT_PROPERTY_VAULT_INTERFACE_H_

#include "qenproperties/frame/unknown.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQPropertyVault : public IQUnknown {
 public:
  // GetPropertyInfoCount: the number of elements; kResultInvalidArgument for a null pointer.
  virtual ULONG GetPropertyInfoCount(ULONG* count) = 0;
  // GetPropertyInfoByIndex: the element at a zero-based position, one reference added for the caller;
  // kResultInvalidArgument for a position out of range or a null `out`.
  virtual ULONG GetPropertyInfoByIndex(ULONG index, IQProperty** out) = 0;
  // GetPropertyInfoByID: the front-most element with that property ID, one reference added; on a miss `*out`
  // is null and the result kResultNotFound.
  virtual ULONG GetPropertyInfoByID(ULONG id, IQProperty** out) = 0;
  // GetPropertyInfoByName: the front-most element with that name, one reference added; on a miss `*out` is
  // null and the result kResultInvalidArgument.
  virtual ULONG GetPropertyInfoByName(const WCHAR* name, IQProperty** out) = 0;
  // GetVersion: `*length` gets the version's code units without the terminator (0 when none); a non-null
  // buffer of at least length + 1 units gets the text and its terminator. Always kResultOk.
  virtual ULONG GetVersion(WCHAR* buffer, ULONG* length) = 0;

 protected:
  ~IQPropertyVault() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_VAULT_PROPERTY_VAULT_INTERFACE_H_
