// White-box tests of the memory ports.
#include "qenproperties/foundation/port.h"

#include <gtest/gtest.h>

#include <vector>

namespace Quenneth {
namespace {

TEST(Port, ChecksRangesWithoutOverflow) {
  // A heap block of exactly the port's size, so any access past it is reported by the address sanitizer.
  std::vector<unsigned char> block(27, 0xEE);
  CQAutoPtr<CPort> port = CPort::StaticRamPort(block.data(), static_cast<ULONG>(block.size()));
  const unsigned char four[4] = {1, 2, 3, 4};
  EXPECT_TRUE(port->Writable());
  EXPECT_TRUE(port->Write(23, four, 4));
  EXPECT_FALSE(port->Write(24, four, 4));
  EXPECT_FALSE(port->Write(0xFFFFFFFEu, four, 4)) << "offset + n wraps around 32 bits";
  EXPECT_TRUE(port->Write(27, four, 0));
  EXPECT_EQ(block[22], 0xEE);
  EXPECT_EQ(block[26], 4);

  unsigned char read[4] = {9, 9, 9, 9};
  EXPECT_FALSE(port->Read(25, read, 4));
  EXPECT_EQ(read[0], 9);
  EXPECT_TRUE(port->Read(23, read, 4));
  EXPECT_EQ(read[3], 4);

  auto readOnly = CPort::ReadOnlyRamPort(block.data(), 27);
  EXPECT_FALSE(readOnly->Writable());
  EXPECT_FALSE(readOnly->Write(0, four, 1));
  EXPECT_EQ(block[0], 0xEE);
  EXPECT_TRUE(readOnly->Read(0, read, 1));
  EXPECT_EQ(CPort::StaticRamPort(nullptr, 100)->Size(), 0u);
}
}  // namespace
}  // namespace Quenneth
