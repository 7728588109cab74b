#include "qenproperties/group/cmd_button_property.h"

#include <cstdint>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/internal/out_of_memory.h"

namespace Quenneth {

CQCmdButtonProperty::CQCmdButtonProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                                         QDataType type, IQServicesManager* servicesManager,
                                         IQPropertyMediator* mediator)
    : PropertyShell(servicesManager, mediator) {
  Describe(name, description, groupId, propertyId, type);
  base_->SetPropertyFlag(1 | kFlagValueSet);
}

CQCmdButtonProperty::CQCmdButtonProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                                         QDataType type, IQServicesManager* servicesManager,
                                         IQPropertyMediator* mediator)
    : PropertyShell(servicesManager, mediator) {
  Describe(name, description, groupId, propertyId, type);
  base_->SetPropertyFlag(1 | kFlagValueSet);
}

CQCmdButtonProperty::CQCmdButtonProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : PropertyShell(servicesManager, mediator) {}

// The caption, text and procedure belong to the button the host set them on, so a copy starts without them.
CQCmdButtonProperty::CQCmdButtonProperty(CQCmdButtonProperty& source) : PropertyShell(source) { CopyFrom(source); }

// Only the base property and the services manager are taken; the target keeps its own caption, text and
// procedure.
// NOLINTNEXTLINE(bugprone-unhandled-self-assignment): Assign does nothing when the source is this object.
CQCmdButtonProperty& CQCmdButtonProperty::operator=(const CQCmdButtonProperty& source) { return Assign(source); }

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
  return base_->GetPropertyData(buffer, length);
}

ULONG CQCmdButtonProperty::SetPropertyData(const void* data, ULONG length) {
  if (length != sizeof(ULONG)) return kResultInvalidArgument;
  return StoreRaw(data, length);
}

// A value of another length than 4 (stored through the base property itself) is cut to 4 bytes, zero-extended
// when shorter, and never written past *value.
ULONG CQCmdButtonProperty::GetPropertyData(ULONG* value) {
  if (value == nullptr) return kResultNullPointer;
  std::uint64_t stored = 0;
  if (ReadStored(4, stored)) *value = static_cast<ULONG>(stored);
  return kResultOk;
}

ULONG CQCmdButtonProperty::SetPropertyData(ULONG value) {
  if (!base_) return kResultNullPointer;
  SetterGuard guard(*this);
  return StoreWord(value, true);
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

// The texts are replaced whole under the lock. The old text goes first, so an allocation failure (answered
// with kResultOutOfMemory, as every setter of the button answers with a code) leaves the button without one.
ULONG CQCmdButtonProperty::SetButtonCaption(const WCHAR* caption) {
  detail::QLockGuard guard(ObjectLock());
  caption_.reset();
  if (caption == nullptr) return kResultOk;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    caption_ = detail::SharedText::Copy(caption, StringUtils::QWLen(caption));
    return kResultOk;
  });
}

ULONG CQCmdButtonProperty::SetDescriptionText(const WCHAR* text) {
  detail::QLockGuard guard(ObjectLock());
  description_.reset();
  if (text == nullptr) return kResultNullPointer;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    description_ = detail::SharedText::Copy(text, StringUtils::QWLen(text));
    return kResultOk;
  });
}

// Text that is no valid UTF-8 is reported and leaves no description text.
ULONG CQCmdButtonProperty::SetDescriptionText(const char* text) {
  detail::QLockGuard guard(ObjectLock());
  description_.reset();
  if (text == nullptr) return kResultOk;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    QWString converted;
    const ULONG result = StringUtils::QUTF8ToUTF16(text, converted);
    if (result != kResultOk) return result;
    description_ = detail::SharedText::Copy(converted.c_str(), static_cast<ULONG>(converted.size()));
    return kResultOk;
  });
}

ULONG CQCmdButtonProperty::GetText(const detail::SharedText& text, WCHAR* buffer, ULONG* length, bool caption) {
  if (length == nullptr) return kResultNullPointer;
  if (*length != 0 && buffer == nullptr) return kResultNullPointer;
  {
    detail::QLockGuard guard(ObjectLock());
    if (text) {
      *length = text.length();
      if (*length != 0 && buffer != nullptr) StringUtils::QWCopy(buffer, text.get(), 0);
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
