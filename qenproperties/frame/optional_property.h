// optional_property.h: IQOptionalProperty, a host object that long, enum and ratio properties can carry.
#ifndef QENPROPERTIES_FRAME_OPTIONAL_PROPERTY_H_
#define QENPROPERTIES_FRAME_OPTIONAL_PROPERTY_H_

#include "qenproperties/frame/unknown.h"

namespace Quenneth {

// IQOptionalProperty is implemented by the host. A property that holds one calls only AddRef and Release on it
// and hands it out from QueryInterface(IID_IQOptionalProperty) while it is set.
class IQOptionalProperty : public IQUnknown {
 protected:
  ~IQOptionalProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_OPTIONAL_PROPERTY_H_
