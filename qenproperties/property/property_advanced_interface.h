// property_advanced_interface.h: IQPropertyAdvanced, the attribute word and window-string channel.
#ifndef QENPROPERTIES_PROPERTY_PROPERTY_ADVANCED_INTERFACE_H_
#define QENPROPERTIES_PROPERTY_PROPERTY_ADVANCED_INTERFACE_H_

#include "qenproperties/frame/types.h"
#include "qenproperties/frame/unknown.h"

namespace Quenneth {

// WindowStringChangeCallback receives the text given to SetWindowString and the registered context.
typedef ULONG (*WindowStringChangeCallback)(const WCHAR* text, void* context);

class IQPropertyAdvanced : public IQUnknown {
 public:
  virtual ULONG SetAttribute(ULONG attribute) = 0;
  // GetAttribute: kResultNullPointer for a null pointer.
  virtual ULONG GetAttribute(ULONG* attribute) = 0;
  // SetWindowString hands `text` to the registered callback (if any); kResultNullPointer for null text.
  virtual ULONG SetWindowString(const WCHAR* text) = 0;

 protected:
  ~IQPropertyAdvanced() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_PROPERTY_PROPERTY_ADVANCED_INTERFACE_H_
