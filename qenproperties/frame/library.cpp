#include "qenproperties/frame/library.h"

#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace {

constexpr char kMemoryServiceName[] = "Quen Memory Service";

// Filled by the host's AcquireService and cleared by its ReleaseService. The library allocates from the
// ordinary heap; the service is held for the host's accounting only.
void* moduleMemoryService = nullptr;

}  // namespace

ULONG InitializeQENProperties(IQServicesManager* servicesManager) {
  if (moduleMemoryService != nullptr || servicesManager == nullptr) return kResultOk;
  return servicesManager->AcquireService(kMemoryServiceName, 0, &moduleMemoryService);
}

void TerminateQENProperties(IQServicesManager* servicesManager) {
  if (moduleMemoryService == nullptr || servicesManager == nullptr) return;
  servicesManager->ReleaseService(kMemoryServiceName, 0, &moduleMemoryService);
}

}  // namespace Quenneth
