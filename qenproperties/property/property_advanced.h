// property_advanced.h: CQPropertyAdvanced, the advanced attribute object every base property owns.
#ifndef QENPROPERTIES_PROPERTY_PROPERTY_ADVANCED_H_
#define QENPROPERTIES_PROPERTY_PROPERTY_ADVANCED_H_

#include <atomic>

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/services_manager.h"
#include "qenproperties/internal/counted.h"
#include "qenproperties/property/property_advanced_interface.h"

namespace Quenneth {

// CQPropertyAdvanced holds a host attribute word (0 at construction) and an optional window-string callback.
// It holds one reference on its services manager. Hosts reach it through QueryInterface(IID_IQPropertyAdvanced)
// on any property except the command button; a reference obtained that way keeps it alive on its own.
// Answers IID_IQPropertyAdvanced and IID_IQUnknown. It has no virtual destructor: the last Release frees it.
class QEN_API CQPropertyAdvanced final : public detail::Counted<CQPropertyAdvanced, IQPropertyAdvanced> {
 public:
  explicit CQPropertyAdvanced(IQServicesManager* servicesManager);
  // With an attribute word already set (what a copy of a property starts with).
  CQPropertyAdvanced(IQServicesManager* servicesManager, ULONG attribute);
  // The copy carries the attribute word, the callback and its context, and the services manager.
  CQPropertyAdvanced(CQPropertyAdvanced& source);
  CQPropertyAdvanced& operator=(const CQPropertyAdvanced&) = delete;

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  ULONG SetAttribute(ULONG attribute) override;
  ULONG GetAttribute(ULONG* attribute) override;
  // The callback runs on the caller's thread with no lock of this object held; its result is ignored.
  ULONG SetWindowString(const WCHAR* text) override;

  // Attribute is GetAttribute without the call (the word every snapshot copies).
  ULONG Attribute() const { return attribute_.load(std::memory_order_relaxed); }

  // SetWindowStringChangeCallback replaces the callback and context (a null callback removes it); returns 0.
  ULONG SetWindowStringChangeCallback(WindowStringChangeCallback callback, void* context);

 private:
  friend class detail::CountedCore<CQPropertyAdvanced, IQPropertyAdvanced>;
  ~CQPropertyAdvanced();

  QRef<IQServicesManager> servicesManager_;
  WindowStringChangeCallback windowStringCallback_ = nullptr;
  void* windowStringContext_ = nullptr;
  std::atomic<ULONG> attribute_{0};
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_PROPERTY_PROPERTY_ADVANCED_H_
