#include "qenproperties/testing/fake_mediator.h"

#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace testing {
namespace {

std::vector<unsigned char> ValueOf(IQProperty* property) {
  ULONG length = 0;
  property->GetPropertyData(nullptr, &length);
  std::vector<unsigned char> bytes(length);
  if (length != 0) property->GetPropertyData(bytes.data(), &length);
  return bytes;
}

}  // namespace

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
