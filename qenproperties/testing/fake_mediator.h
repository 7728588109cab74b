// fake_mediator.h: a mediator that answers a chosen code and records every PropertyChanged call.
#ifndef QENPROPERTIES_TESTING_FAKE_MEDIATOR_H_
#define QENPROPERTIES_TESTING_FAKE_MEDIATOR_H_

#include <atomic>
#include <functional>
#include <vector>

#include "qenproperties/frame/property_mediator_interface.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {
namespace testing {

class FakeMediator : public IQPropertyMediator {
 public:
  struct Call {
    bool previousWasNull;
    std::vector<unsigned char> previousValue;  // the snapshot's value bytes
    std::vector<unsigned char> currentValue;   // the changed property's bytes at the time of the call
    IQProperty* current;
  };

  FakeMediator() = default;
  virtual ~FakeMediator() = default;

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  ULONG AddRef() override { return ++count_; }
  ULONG Release() override { return --count_; }
  ULONG PropertyChanged(IQProperty* previous, IQProperty* current) override;
  ULONG RegisterDependency(ULONG, PropDependencyCallback, void*, ULONG*) override { return 0; }
  ULONG UnRegisterDependency(ULONG) override { return 0; }
  ULONG RegisterProperty(IQProperty*) override { return 0; }
  ULONG UnRegisterProperty(IQProperty*) override { return 0; }
  ULONG RegisterDependencyNotifyCallback(PropDependencyNotifyCallback, void*) override { return 0; }

  // References held by library objects (starts at 0).
  ULONG Count() const { return count_; }
  ULONG answer = 0;
  std::vector<Call> calls;
  // Runs inside PropertyChanged before it answers (for example to throw).
  std::function<void()> during;

 private:
  std::atomic<ULONG> count_{0};
};

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_FAKE_MEDIATOR_H_
