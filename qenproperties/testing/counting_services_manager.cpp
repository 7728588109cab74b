#include "qenproperties/testing/counting_services_manager.h"

#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace testing {

ULONG CountingServicesManager::QueryInterface(const _QGUID& /*iid*/, void** out) {
  if (out != nullptr) *out = nullptr;
  return kResultNoInterface;
}

ULONG CountingServicesManager::AcquireService(const char* name, ULONG /*reserved*/, void** service) {
  ++acquireCalls;
  lastServiceName = name != nullptr ? name : "";
  if (service != nullptr && acquireResult == 0) *service = &service_;
  return acquireResult;
}

ULONG CountingServicesManager::ReleaseService(const char* name, ULONG /*reserved*/, void** service) {
  ++releaseCalls;
  lastServiceName = name != nullptr ? name : "";
  if (service != nullptr && clearOnRelease) *service = nullptr;
  return 0;
}

}  // namespace testing
}  // namespace Quenneth
