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
  // GetPropertyName: as IQProperty's (length in code units without the terminator; a null buffer asks only for
  // the length).
  virtual ULONG GetPropertyName(WCHAR* buffer, ULONG* length) = 0;
  // GetPropertyID, GetPropertyGroupID, GetPropertyDataType: as IQProperty's (a null pointer is no error).
  virtual ULONG GetPropertyID(ULONG* id) = 0;
  virtual ULONG GetPropertyGroupID(ULONG* id) = 0;
  // GetPropertyFlags: as IQProperty's; kResultNullPointer for null.
  virtual ULONG GetPropertyFlags(ULONG* flags) = 0;
  virtual ULONG GetPropertyDataType(QDataType* type) = 0;
  // GetDataSize: the value length in bytes (nothing for a null pointer). Returns 0.
  virtual ULONG GetDataSize(ULONG* size) = 0;
  // GetPropertyDataToSave: the preset text of the value; a null text asks only for the length, whose unit
  // each class states. kResultNullPointer for a null length; a class's reading error is returned unchanged.
  virtual ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) = 0;
  // SetPropertyName: the name as UTF-8. The typed properties return 0 whatever the base property answers.
  virtual ULONG SetPropertyName(const char* name) = 0;
  // SetPropertyID, SetPropertyDataType, SetPropertyFlag: replace the attribute; return 0.
  virtual ULONG SetPropertyID(ULONG id) = 0;
  virtual ULONG SetPropertyDataType(QDataType type) = 0;
  // SetDataSize: the length a later load stores, where the class keeps one (see each class); returns 0.
  virtual ULONG SetDataSize(ULONG size) = 0;
  virtual ULONG SetPropertyFlag(ULONG flags) = 0;
  // LoadDirectDataFromPreset: parses zero-terminated preset text and stores the value as each class states
  // (most tell the mediator, whose refusal is returned). A null text is refused (kResultNullPointer or
  // kResultInvalidArgument, as the class states); `size` is not used.
  virtual ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG size) = 0;

 protected:
  ~IQPropertySerializer() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_PROPERTY_PROPERTY_SERIALIZER_H_
