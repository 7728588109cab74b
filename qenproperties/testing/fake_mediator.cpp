#include "qenproperties/testing/fake_mediator.h"

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/testing/property_values.h"

namespace Quenneth {
namespace testing {

ULONG FakeMediator::QueryInterface(const _QGUID& /*iid*/, void** out) {
  if (out != nullptr) *out = nullptr;
  return kResultNoInterface;
}

ULONG FakeMediator::PropertyChanged(IQProperty* previous, IQProperty* current) {
  Call call{previous == nullptr, {}, {}, current};
  if (previous != nullptr) call.previousValue = ValueOf(previous);
  if (current != nullptr) call.currentValue = ValueOf(current);
  calls.push_back(call);
  if (during) during();
  if (previous == nullptr || current == nullptr) return kResultNullPointer;
  return answer;
}

}  // namespace testing
}  // namespace Quenneth
