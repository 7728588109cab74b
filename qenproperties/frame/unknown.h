// unknown.h: IQUnknown, the root of every interface of the library.
#ifndef QENPROPERTIES_FRAME_UNKNOWN_H_
#define QENPROPERTIES_FRAME_UNKNOWN_H_

#include "qenproperties/frame/types.h"

namespace Quenneth {

// IQUnknown: reference counting and interface queries.
//
// Every object starts with a count of 1 for its creator. QueryInterface stores the interface pointer for `iid`
// in `*out` with one reference added and returns kResultOk, or stores null and returns kResultNoInterface.
// AddRef and Release return the count after the change; the value is informative only. The last Release
// destroys the object. Interfaces have no public destructor: objects are destroyed through Release only.
class IQUnknown {
 public:
  virtual ULONG QueryInterface(const _QGUID& iid, void** out) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IQUnknown() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_UNKNOWN_H_
