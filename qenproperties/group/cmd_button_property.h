// cmd_button_property.h: CQCmdButtonProperty, a push button with a caption, a description text, an on-click
// procedure and a 32-bit value.
//
// The button has no serializer part: it has no preset text, and QueryInterface answers only its own
// identifier, IID_IQProperty and IID_IQUnknown (the base property is not asked). Caption, description text and
// on-click procedure live only in the object: copies and clones start without them.
//
// The value is exactly four bytes in the platform's byte order; the constructors store none.
//
// Locking: the caption, the description text and the on-click procedure are read and replaced under the
// object's lock, so a host may use them from more than one thread; the on-click procedure and the callback run
// with no lock held.
#ifndef QENPROPERTIES_GROUP_CMD_BUTTON_PROPERTY_H_
#define QENPROPERTIES_GROUP_CMD_BUTTON_PROPERTY_H_

#include "qenproperties/frame/export.h"
#include "qenproperties/group/cmd_button_property_interface.h"
#include "qenproperties/internal/shared_text.h"
#include "qenproperties/property/typed_property.h"

namespace Quenneth {

class QEN_API CQCmdButtonProperty : public detail::PropertyShell<CQCmdButtonProperty, IQCmdButtonProperty> {
 public:
  // Named forms (narrow texts are UTF-8): name, description, IDs and the data type as given; flags 9.
  CQCmdButtonProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId, QDataType type,
                      IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  CQCmdButtonProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId, QDataType type,
                      IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Flags 1, nothing else set.
  CQCmdButtonProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Base property (without mediator) and services manager of the source; no caption, text or procedure.
  CQCmdButtonProperty(CQCmdButtonProperty& source);
  // As the copy constructor, but the target keeps its own caption, text and procedure.
  CQCmdButtonProperty& operator=(const CQCmdButtonProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  ULONG GetPropertyData(void* buffer, ULONG* length) override;
  // Only 4 bytes are accepted (kResultInvalidArgument otherwise); they go to the notifying store.
  ULONG SetPropertyData(const void* data, ULONG length) override;

  ULONG ButtonClicked(ButtonClickCallback callback, void* user) override;
  ULONG GetButtonCaption(WCHAR* buffer, ULONG* length) override;
  ULONG GetDescriptionText(WCHAR* buffer, ULONG* length) override;

  virtual ~CQCmdButtonProperty();
  // The stored value; an empty value leaves *value unchanged. kResultNullPointer for a null pointer.
  virtual ULONG GetPropertyData(ULONG* value);
  // The four bytes of `value` through the notifying store.
  virtual ULONG SetPropertyData(ULONG value);
  // A null procedure removes it.
  virtual ULONG SetOnClickProc(ButtonOnClickProc proc, void* user);
  // A null caption removes it (the name stands in again). The old caption goes first; an allocation failure
  // gives kResultOutOfMemory and leaves the button without one.
  virtual ULONG SetButtonCaption(const WCHAR* caption);
  // A null text removes it and gives kResultNullPointer. Allocation failures as for the caption.
  virtual ULONG SetDescriptionText(const WCHAR* text);
  // UTF-8; a null text removes it and gives 0; text that is no valid UTF-8 gives the conversion's error and
  // leaves no text. Allocation failures as for the caption.
  virtual ULONG SetDescriptionText(const char* text);

 private:
  // GetText gives the text (or the fallback's answer) under the length protocol.
  ULONG GetText(const detail::SharedText& text, WCHAR* buffer, ULONG* length, bool caption);

  ButtonOnClickProc proc_ = nullptr;
  void* procUser_ = nullptr;
  // Null while unset (the name or description stands in).
  detail::SharedText caption_;
  detail::SharedText description_;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_GROUP_CMD_BUTTON_PROPERTY_H_
