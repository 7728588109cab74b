#include <gtest/gtest.h>

#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CountingServicesManager;

// Start-up state is module-wide, so the whole life cycle runs in one test, in order.
TEST(LibraryLifecycle, AcquiresTheMemoryServiceOnceAndAgainAfterRelease) {
  CountingServicesManager host;
  EXPECT_RESULT(kResultOk, InitializeQENProperties(nullptr));
  TerminateQENProperties(&host);
  EXPECT_EQ(0, host.acquireCalls + host.releaseCalls) << "nothing is held before a successful start";

  EXPECT_RESULT(kResultOk, InitializeQENProperties(&host));
  EXPECT_EQ(1, host.acquireCalls);
  EXPECT_EQ("Quen Memory Service", host.lastServiceName);
  EXPECT_RESULT(kResultOk, InitializeQENProperties(&host));
  EXPECT_EQ(1, host.acquireCalls) << "a second start while the service is held changes nothing";

  TerminateQENProperties(nullptr);
  EXPECT_EQ(0, host.releaseCalls);
  TerminateQENProperties(&host);
  EXPECT_EQ(1, host.releaseCalls);

  EXPECT_RESULT(kResultOk, InitializeQENProperties(&host));
  EXPECT_EQ(2, host.acquireCalls) << "the service is acquired again after it was given back";
  TerminateQENProperties(&host);
  EXPECT_EQ(0u, host.Count()) << "start-up takes no reference on the services manager";
}

TEST(LibraryLifecycle, PassesTheHostsFailureThrough) {
  CountingServicesManager host;
  host.acquireResult = 0xC0000123;
  EXPECT_RESULT(0xC0000123, InitializeQENProperties(&host));
  TerminateQENProperties(&host);
  EXPECT_EQ(0, host.releaseCalls) << "a failed start holds no service";
}

TEST(ResultCodes, HaveNamesAndSeverities) {
  EXPECT_STREQ("kResultOutOfRange", ResultName(kResultOutOfRange));
  EXPECT_STREQ("kResultNotRegistered", ResultName(0x400E000A));
  EXPECT_STREQ("unknown result", ResultName(0x12345678));
  EXPECT_TRUE(IsError(kResultNullPointer));
  EXPECT_TRUE(IsError(kResultNotFound));
  EXPECT_FALSE(IsError(kResultNoInterface));
  EXPECT_FALSE(IsError(kResultOk));
}

TEST(Guid, ComparesEveryPart) {
  _QGUID a = IID_IQProperty;
  EXPECT_EQ(a, IID_IQProperty);
  a.Data4[7] ^= 1;
  EXPECT_NE(a, IID_IQProperty);
  EXPECT_NE(IID_IQUnknown, IID_IQProperty);
}

}  // namespace
}  // namespace Quenneth
