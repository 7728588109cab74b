// property_serializer.h: IQPropertySerializer, identity and preset text of a property.
#ifndef QENPROPERTIES_PROPERTY_PROPERTY_SERIALIZER_H_
#define QENPROPERTIES_PROPERTY_PROPERTY_SERIALIZER_H_

#include "qenproperties/frame/types.h"
#include "qenproperties/frame/unknown.h"

namespace Quenneth {

// IQPropertySerializer pairs a save side (name, property ID, group ID, flags, data type, value size, value
// text) with a load side (name, property ID, data type, value size, flags, value text). The library writes no
// framing around the value text: whoever writes a preset stores the other attributes through these slots.
// The first eight operations are the object's own operations of the same name.
class IQPropertySerializer : public IQUnknown {
 public:
  virtual ULONG GetPropertyName(WCHAR* buffer, ULONG* length) = 0;
  virtual ULONG GetPropertyID(ULONG* id) = 0;
  virtual ULONG GetPropertyGroupID(ULONG* id) = 0;
  virtual ULONG GetPropertyFlags(ULONG* flags) = 0;
  virtual ULONG GetPropertyDataType(QDataType* type) = 0;
  // GetDataSize reports the value length in bytes.
  virtual ULONG GetDataSize(ULONG* size) = 0;
  // GetPropertyDataToSave writes the preset text of the value; the length unit is stated by each class.
  virtual ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) = 0;
  virtual ULONG SetPropertyName(const char* name) = 0;
  virtual ULONG SetPropertyID(ULONG id) = 0;
  virtual ULONG SetPropertyDataType(QDataType type) = 0;
  virtual ULONG SetDataSize(ULONG size) = 0;
  virtual ULONG SetPropertyFlag(ULONG flags) = 0;
  // LoadDirectDataFromPreset parses zero-terminated preset text and stores the value.
  virtual ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG size) = 0;

 protected:
  ~IQPropertySerializer() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_PROPERTY_PROPERTY_SERIALIZER_H_
