#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

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

// Hosts are built for LP64 (64-bit long) and LLP64 (Windows, 32-bit long) alike, and by other compilers than the
// library: what crosses the boundary has one layout everywhere, never one that follows long.
TEST(DataModel, PublicTypesHaveOneLayoutOnEveryPlatform) {
  static_assert(std::is_same_v<ULONG, std::uint32_t>, "ULONG is 32 bits whatever long is");
  static_assert(sizeof(WCHAR) == 2 && std::is_unsigned_v<WCHAR>, "WCHAR is one UTF-16 code unit");
  static_assert(std::is_same_v<std::underlying_type_t<QDataType>, ULONG>);
  static_assert(std::is_same_v<std::underlying_type_t<enumButtonClickStatus>, ULONG>);
  static_assert(std::is_same_v<std::underlying_type_t<enumPropChangeStatus>, ULONG>);
  EXPECT_EQ(sizeof(grPropData), 8u);
  EXPECT_EQ(offsetof(grPropData, state), 4u);
  EXPECT_EQ(sizeof(_QGUID), 16u);
  EXPECT_EQ(offsetof(_QGUID, Data2), 4u);
  EXPECT_EQ(offsetof(_QGUID, Data3), 6u);
  EXPECT_EQ(offsetof(_QGUID, Data4), 8u);
}

}  // namespace
}  // namespace Quenneth
