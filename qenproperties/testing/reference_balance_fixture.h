// reference_balance_fixture.h: ReferenceBalanceTest, a fixture that hands every test a counting services manager, a
// fake mediator and a counting optional property, and checks after the test that every reference the library took on
// them was given back.
//
//   class BoolPropertyTest : public testing::ReferenceBalanceTest { ... Make(...) uses &host_ and &mediator_ ... };
//
// A fixture that owns library objects of its own releases them in its TearDown before calling this one.
#ifndef QENPROPERTIES_TESTING_REFERENCE_BALANCE_FIXTURE_H_
#define QENPROPERTIES_TESTING_REFERENCE_BALANCE_FIXTURE_H_

#include <gtest/gtest.h>

#include "qenproperties/testing/counting_optional.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/fake_mediator.h"

namespace Quenneth {
namespace testing {

class ReferenceBalanceTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(0u, host_.Count()) << "services manager references leaked";
    EXPECT_EQ(0u, mediator_.Count()) << "mediator references leaked";
    EXPECT_EQ(0u, optional_.count) << "optional property references leaked";
  }

  CountingServicesManager host_;
  FakeMediator mediator_;
  CountingOptional optional_;
};

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_REFERENCE_BALANCE_FIXTURE_H_
