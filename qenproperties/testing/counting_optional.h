// counting_optional.h: an optional-property object that only counts its references.
//
// A property holds one reference while the object is set on it, and each copy or clone that shares it holds
// another; tests check `count` against that and expect 0 once every holder is gone.
#ifndef QENPROPERTIES_TESTING_COUNTING_OPTIONAL_H_
#define QENPROPERTIES_TESTING_COUNTING_OPTIONAL_H_

#include "qenproperties/frame/optional_property.h"
#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace testing {

class CountingOptional : public IQOptionalProperty {
 public:
  virtual ~CountingOptional() = default;
  // Answers no identifier and clears the output pointer.
  ULONG QueryInterface(const _QGUID&, void** out) override {
    if (out != nullptr) *out = nullptr;
    return kResultNoInterface;
  }
  ULONG AddRef() override { return ++count; }
  ULONG Release() override { return --count; }

  // References held by library objects (starts at 0).
  ULONG count = 0;
};

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_COUNTING_OPTIONAL_H_
