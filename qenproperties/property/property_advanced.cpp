#include "qenproperties/property/property_advanced.h"

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/internal/interface_table.h"

namespace Quenneth {

CQPropertyAdvanced::CQPropertyAdvanced(IQServicesManager* servicesManager)
    : servicesManager_(QRef<IQServicesManager>::Retain(servicesManager)) {}

CQPropertyAdvanced::CQPropertyAdvanced(IQServicesManager* servicesManager, ULONG attribute)
    : servicesManager_(QRef<IQServicesManager>::Retain(servicesManager)), attribute_(attribute) {}

CQPropertyAdvanced::CQPropertyAdvanced(CQPropertyAdvanced& source) : Counted(source) {
  attribute_.store(source.attribute_.load(std::memory_order_relaxed), std::memory_order_relaxed);
  detail::QLockGuard guard(source.ObjectLock());
  windowStringCallback_ = source.windowStringCallback_;
  windowStringContext_ = source.windowStringContext_;
  servicesManager_ = source.servicesManager_;
}

CQPropertyAdvanced::~CQPropertyAdvanced() = default;

ULONG CQPropertyAdvanced::QueryInterface(const _QGUID& iid, void** out) {
  if (out == nullptr) return kResultNullPointer;
  static const detail::InterfaceEntry<CQPropertyAdvanced> kTable[] = {
      {&IID_IQPropertyAdvanced, &detail::InterfaceCast<CQPropertyAdvanced, IQPropertyAdvanced>},
      {&IID_IQUnknown, &detail::InterfaceCast<CQPropertyAdvanced, IQPropertyAdvanced>},
  };
  if (detail::FindInterface(this, kTable, iid, out)) return kResultOk;
  return detail::NoInterface(out);
}

// The attribute word is one atomic word: every change of a property copies it into its snapshots, so it is
// read and written without the lock.
ULONG CQPropertyAdvanced::SetAttribute(ULONG attribute) {
  attribute_.store(attribute, std::memory_order_relaxed);
  return kResultOk;
}

ULONG CQPropertyAdvanced::GetAttribute(ULONG* attribute) {
  if (attribute == nullptr) return kResultNullPointer;
  *attribute = attribute_.load(std::memory_order_relaxed);
  return kResultOk;
}

ULONG CQPropertyAdvanced::SetWindowString(const WCHAR* text) {
  if (text == nullptr) return kResultNullPointer;
  WindowStringChangeCallback callback;
  void* context;
  {
    detail::QLockGuard guard(ObjectLock());
    callback = windowStringCallback_;
    context = windowStringContext_;
  }
  if (callback != nullptr) callback(text, context);
  return kResultOk;
}

ULONG CQPropertyAdvanced::SetWindowStringChangeCallback(WindowStringChangeCallback callback, void* context) {
  detail::QLockGuard guard(ObjectLock());
  windowStringCallback_ = callback;
  windowStringContext_ = context;
  return kResultOk;
}

}  // namespace Quenneth
