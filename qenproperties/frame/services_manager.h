// services_manager.h: IQServicesManager, the host object every constructor of the library receives.
#ifndef QENPROPERTIES_FRAME_SERVICES_MANAGER_H_
#define QENPROPERTIES_FRAME_SERVICES_MANAGER_H_

#include "qenproperties/frame/unknown.h"

namespace Quenneth {

// IQServicesManager is implemented by the host. Every object that keeps the pointer holds one reference on it
// for as long as it keeps it. InitializeQENProperties acquires the "Quen Memory Service" through AcquireService
// (which is expected to store the service in `*service`) and TerminateQENProperties gives it back through
// ReleaseService (which is expected to set `*service` to null).
class IQServicesManager : public IQUnknown {
 public:
  virtual ULONG AcquireService(const char* name, ULONG reserved, void** service) = 0;
  virtual ULONG ReleaseService(const char* name, ULONG reserved, void** service) = 0;

 protected:
  ~IQServicesManager() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_SERVICES_MANAGER_H_
