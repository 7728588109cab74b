// Reserving room in the mediator's registry, also while a change is under way and when memory runs out.
#include <cstddef>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/change_recorder.h"

namespace Quenneth {
namespace {

using testing::LongOf;

class MediatorReserveTest : public testing::MediatorTest {
 protected:
  void SetUp() override {
    for (ULONG id = 1; id <= 20; ++id) properties_.push_back(Long(id));
  }

  // Every property is still found: a change of each goes through, and registering it again is refused.
  void ExpectAllRegistered() {
    for (const auto& property : properties_) {
      EXPECT_EQ(property->SetCurValue(LongOf(property) + 1), kResultOk);
      EXPECT_EQ(mediator_->RegisterProperty(property), kResultAlreadyRegistered);
    }
  }

  std::vector<CQLongProperty*> properties_;
};

TEST_F(MediatorReserveTest, KeepsEveryEntryAndRefusesWhatCannotBeHad) {
  EXPECT_EQ(mediator_->Reserve(1000), kResultOk);
  EXPECT_EQ(mediator_->Reserve(0), kResultOk);
  ExpectAllRegistered();
  EXPECT_EQ(mediator_->Reserve(std::numeric_limits<std::size_t>::max()), kResultOutOfMemory);
  {
    testing::AllocationFailure fail(1);
    EXPECT_EQ(mediator_->Reserve(100000), kResultOutOfMemory);
  }
  ExpectAllRegistered();
}

// A dependency callback that reserves moves the entry of the change under way: the change still ends cleanly
// and the next change of the same property finds it (AddressSanitizer watches the moved entry).
TEST_F(MediatorReserveTest, ReservingFromACallbackDuringAChangeIsSafe) {
  struct During {
    CQPropertyMediator* mediator;
    std::size_t room;
    int calls = 0;
  } during{mediator_.get(), 64};
  auto reserve = [](IQProperty*, IQProperty*, CModifiedPropIterator*, void* user, enumPropChangeStatus) -> ULONG {
    auto* d = static_cast<During*>(user);
    ++d->calls;
    d->room *= 2;
    return d->mediator->Reserve(d->room);
  };
  ULONG handle = 0;
  ASSERT_EQ(mediator_->RegisterDependency(3, reserve, &during, &handle), kResultOk);
  for (ULONG value = 1; value <= 3; ++value) {
    EXPECT_EQ(properties_[2]->SetCurValue(value), kResultOk);
    EXPECT_EQ(LongOf(properties_[2]), value);
  }
  EXPECT_EQ(during.calls, 6);  // preview and apply, three times
  EXPECT_EQ(mediator_->UnRegisterDependency(handle), kResultOk);
  ExpectAllRegistered();
}

}  // namespace
}  // namespace Quenneth
