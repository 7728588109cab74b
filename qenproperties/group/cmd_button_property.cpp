#include "qenproperties/group/cmd_button_property.h"

#include <cstring>
#include <new>
#include <vector>

namespace Quenneth {

CQCmdButtonProperty::CQCmdButtonProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                                         QDataType type, IQServicesManager* servicesManager,
                                         IQPropertyMediator* mediator)
    : PropertyShell(servicesManager, mediator) {
  Describe(name, description, groupId, propertyId, type);
  inner_->SetPropertyFlag(1 | kFlagValueSet);
}

CQCmdButtonProperty::CQCmdButtonProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                                         QDataType type, IQServicesManager* servicesManager,
                                         IQPropertyMediator* mediator)
    : PropertyShell(servicesManager, mediator) {
  Describe(name, description, groupId, propertyId, type);
  inner_->SetPropertyFlag(1 | kFlagValueSet);
}

CQCmdButtonProperty::CQCmdButtonProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : PropertyShell(servicesManager, mediator) {}

// The caption, text and procedure belong to the button the host set them on, so a copy starts without them.
CQCmdButtonProperty::CQCmdButtonProperty(CQCmdButtonProperty& source) : PropertyShell(source) { CopyShellFrom(source); }

// Only the base property and the services manager are taken; the target keeps its own caption, text and
// procedure.
CQCmdButtonProperty& CQCmdButtonProperty::operator=(const CQCmdButtonProperty& source) {
  if (this != &source) CopyShellFrom(source);
  return *this;
}

CQCmdButtonProperty::~CQCmdButtonProperty() = default;

// The button has no preset text, so the serializer identifier is refused here rather than answered by the
// base property.
ULONG CQCmdButtonProperty::QueryInterface(const _QGUID& iid, void** out) {
  if (out == nullptr) return kResultNullPointer;
  static const detail::InterfaceEntry<CQCmdButtonProperty> kTable[] = {
      {&IID_IQCmdButtonProperty, &detail::InterfaceCast<CQCmdButtonProperty, IQCmdButtonProperty>},
      {&IID_IQProperty, &detail::InterfaceCast<CQCmdButtonProperty, IQCmdButtonProperty>},
      {&IID_IQUnknown, &detail::InterfaceCast<CQCmdButtonProperty, IQCmdButtonProperty>},
  };
  if (detail::FindInterface(this, kTable, iid, out)) return kResultOk;
  return detail::NoInterface(out);
}

ULONG CQCmdButtonProperty::GetPropertyData(void* buffer, ULONG* length) {
  return inner_->GetPropertyData(buffer, length);
}

ULONG CQCmdButtonProperty::SetPropertyData(const void* data, ULONG length) {
  if (length != sizeof(ULONG)) return kResultInvalidArgument;
  SetterGuard guard(*this);
  return inner_->SetPropertyData(data, length);
}

ULONG CQCmdButtonProperty::GetPropertyData(ULONG* value) {
  if (value == nullptr) return kResultNullPointer;
  // The setters hold this lock, so the length read here still holds when the bytes are copied. The mediator's
  // change lock is not taken: a reader must not wait for a change whose mediator may be waiting for it.
  detail::QLockGuard guard(ObjectLock());
  ULONG held = 0;
  inner_->GetPropertyData(nullptr, &held);
  if (held == 0) return kResultOk;
  if (held == sizeof(ULONG)) return inner_->GetPropertyData(value, &held);
  // A value of another length (stored through the base property itself) is read whole and cut to 4 bytes,
  // zero-extended when shorter, never written past *value.
  std::vector<unsigned char> bytes(held < sizeof(ULONG) ? sizeof(ULONG) : held, 0);
  inner_->GetPropertyData(bytes.data(), &held);
  std::memcpy(value, bytes.data(), sizeof(ULONG));
  return kResultOk;
}

ULONG CQCmdButtonProperty::SetPropertyData(ULONG value) {
  if (!inner_) return kResultNullPointer;
  SetterGuard guard(*this);
  return inner_->SetPropertyData(&value, sizeof(value));
}

ULONG CQCmdButtonProperty::SetOnClickProc(ButtonOnClickProc proc, void* user) {
  detail::QLockGuard guard(ObjectLock());
  proc_ = proc;
  procUser_ = user;
  return kResultOk;
}

// The procedure and the callback run with no lock held, so either may use the button again.
ULONG CQCmdButtonProperty::ButtonClicked(ButtonClickCallback callback, void* user) {
  ButtonOnClickProc proc = nullptr;
  void* procUser = nullptr;
  {
    detail::QLockGuard guard(ObjectLock());
    proc = proc_;
    procUser = procUser_;
  }
  if (proc == nullptr) return kResultNullPointer;
  const ULONG status = proc(procUser);
  if (callback != nullptr) callback(static_cast<enumButtonClickStatus>(status), user);
  return kResultOk;
}

ULONG CQCmdButtonProperty::SetButtonCaption(const WCHAR* caption) {
  detail::QLockGuard guard(ObjectLock());
  caption_.reset();
  if (caption == nullptr) return kResultOk;
  try {
    caption_.emplace(caption);
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;  // the button is left without a caption
  }
  return kResultOk;
}

ULONG CQCmdButtonProperty::SetDescriptionText(const WCHAR* text) {
  detail::QLockGuard guard(ObjectLock());
  description_.reset();
  if (text == nullptr) return kResultNullPointer;
  try {
    description_.emplace(text);
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;  // the button is left without a text
  }
  return kResultOk;
}

ULONG CQCmdButtonProperty::SetDescriptionText(const char* text) {
  detail::QLockGuard guard(ObjectLock());
  description_.reset();
  if (text == nullptr) return kResultOk;
  try {
    QWString converted;
    const ULONG result = StringUtils::QUTF8ToUTF16(text, converted);
    // Text that is no valid UTF-8 is reported and leaves no description text.
    if (result != kResultOk) return result;
    description_.emplace(std::move(converted));
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;
  }
  return kResultOk;
}

ULONG CQCmdButtonProperty::GetText(const std::optional<QWString>& text, WCHAR* buffer, ULONG* length, bool caption) {
  if (length == nullptr) return kResultNullPointer;
  if (*length != 0 && buffer == nullptr) return kResultNullPointer;
  {
    detail::QLockGuard guard(ObjectLock());
    if (text) {
      *length = static_cast<ULONG>(text->size());
      if (*length != 0 && buffer != nullptr) StringUtils::QWCopy(buffer, text->c_str(), 0);
      return kResultOk;
    }
  }
  if (caption) return GetPropertyName(buffer, length);
  GetPropertyDescription(buffer, length);
  return kResultOk;
}

ULONG CQCmdButtonProperty::GetButtonCaption(WCHAR* buffer, ULONG* length) {
  return GetText(caption_, buffer, length, true);
}

ULONG CQCmdButtonProperty::GetDescriptionText(WCHAR* buffer, ULONG* length) {
  return GetText(description_, buffer, length, false);
}

}  // namespace Quenneth
