// cmd_button_property_interface.h: IQCmdButtonProperty, a push button among the settings.
#ifndef QENPROPERTIES_GROUP_CMD_BUTTON_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_GROUP_CMD_BUTTON_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

// The values are those the host's on-click procedure returns; the library passes them on unchanged.
enum enumButtonClickStatus : ULONG {};

// The host's on-click procedure, called with the user pointer given to SetOnClickProc.
using ButtonOnClickProc = ULONG (*)(void* user);
// Receives the on-click procedure's result and the user pointer given to ButtonClicked.
using ButtonClickCallback = void (*)(enumButtonClickStatus status, void* user);

class IQCmdButtonProperty : public IQProperty {
 public:
  // Runs the on-click procedure, then `callback` (when not null) with its result; kResultNullPointer when no
  // procedure is installed.
  virtual ULONG ButtonClicked(ButtonClickCallback callback, void* user) = 0;
  // Length in code units without the terminator; the buffer takes length + 1. Without a caption the property
  // name stands in. A length query passes *length == 0 and a null buffer.
  virtual ULONG GetButtonCaption(WCHAR* buffer, ULONG* length) = 0;
  // As GetButtonCaption, with the property description standing in.
  virtual ULONG GetDescriptionText(WCHAR* buffer, ULONG* length) = 0;

 protected:
  ~IQCmdButtonProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_GROUP_CMD_BUTTON_PROPERTY_INTERFACE_H_
