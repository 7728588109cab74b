// counting_services_manager.h: a services manager that counts its references and service calls.
//
// Tests create one, hand it to every constructor, and check at the end that Count() is back to its start:
// every object that stored the pointer gave its reference back.
#ifndef QENPROPERTIES_TESTING_COUNTING_SERVICES_MANAGER_H_
#define QENPROPERTIES_TESTING_COUNTING_SERVICES_MANAGER_H_

#include <atomic>
#include <string>

#include "qenproperties/frame/services_manager.h"

namespace Quenneth {
namespace testing {

class CountingServicesManager : public IQServicesManager {
 public:
  CountingServicesManager() = default;
  virtual ~CountingServicesManager() = default;

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  ULONG AddRef() override { return ++count_; }
  ULONG Release() override { return --count_; }
  ULONG AcquireService(const char* name, ULONG reserved, void** service) override;
  ULONG ReleaseService(const char* name, ULONG reserved, void** service) override;

  // References held by library objects (the creator's own reference is not counted: starts at 0).
  ULONG Count() const { return count_; }
  int acquireCalls = 0;
  int releaseCalls = 0;
  std::string lastServiceName;
  ULONG acquireResult = 0;
  // When false, ReleaseService leaves the service pointer as it is.
  bool clearOnRelease = true;

 private:
  std::atomic<ULONG> count_{0};
  int service_ = 0;
};

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_COUNTING_SERVICES_MANAGER_H_
