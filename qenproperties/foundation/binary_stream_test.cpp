// White-box tests of the typed binary streams over a memory port.
#include "qenproperties/foundation/binary_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "qenproperties/foundation/port.h"
#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace {

// ReadOk: the next value of type T, expecting the read to succeed.
template <class T>
T ReadOk(CReadStream& in, ULONG (CReadStream::*read)(T&)) {
  T value{};
  EXPECT_EQ((in.*read)(value), kResultOk);
  return value;
}

class BinaryStreamTest : public ::testing::Test {
 protected:
  // A heap block of exactly the port's size, so any access past it is reported by the address sanitizer.
  std::vector<unsigned char> block = std::vector<unsigned char>(27, 0xEE);
  CQAutoPtr<CPort> port = CPort::StaticRamPort(block.data(), static_cast<ULONG>(block.size()));

  void WriteRecord(QuenByteOrdering order) {
    CWriteStream out(*port, order, 0, 0, 0);
    EXPECT_EQ(out.PutByte(0xAB), kResultOk);
    EXPECT_EQ(out.PutShort(-2), kResultOk);
    EXPECT_EQ(out.PutInt(0x01020304), kResultOk);
    EXPECT_EQ(out.PutInt64(0x0102030405060708LL), kResultOk);
    EXPECT_EQ(out.PutFloat(1.0f), kResultOk);
    EXPECT_EQ(out.PutDouble(-2.0), kResultOk);
    EXPECT_EQ(out.Flush(0), kResultOk);
    EXPECT_FALSE(out.Failed());
    EXPECT_EQ(out.Position(), 27u);
  }
};

TEST_F(BinaryStreamTest, RecordHasExactBytesInEitherOrder) {
  WriteRecord(kQuenLittleEndian);
  EXPECT_EQ(block, (std::vector<unsigned char>{0xAB, 0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x08, 0x07,
                                               0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x80,
                                               0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0}));
  WriteRecord(kQuenBigEndian);
  EXPECT_EQ(block, (std::vector<unsigned char>{0xAB, 0xFF, 0xFE, 0x01, 0x02, 0x03, 0x04, 0x01, 0x02,
                                               0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x3F, 0x80, 0x00,
                                               0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(BinaryStreamTest, ExtremeValuesRoundTripInBothOrders) {
  for (QuenByteOrdering order : {kQuenLittleEndian, kQuenBigEndian}) {
    CWriteStream out(*port, order, 64, 0, 0);
    out.PutByte(0xFF);
    out.PutShort(std::numeric_limits<short>::min());
    out.PutInt(std::numeric_limits<std::int32_t>::min());
    out.PutInt64(std::numeric_limits<long long>::min());
    out.PutFloat(-0.0f);
    out.PutDouble(std::numeric_limits<double>::denorm_min());
    ASSERT_FALSE(out.Failed());

    CReadStream in(*port, order, 64, 0, 0);
    EXPECT_EQ(ReadOk(in, &CReadStream::ReadByte), 0xFF);
    EXPECT_EQ(ReadOk(in, &CReadStream::ReadShort), std::numeric_limits<short>::min());
    EXPECT_EQ(ReadOk<std::int32_t>(in, &CReadStream::ReadInt), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ReadOk<long long>(in, &CReadStream::ReadInt), std::numeric_limits<long long>::min());
    const float f = ReadOk(in, &CReadStream::ReadFloat);
    EXPECT_TRUE(f == 0.0f && std::signbit(f));
    EXPECT_EQ(ReadOk(in, &CReadStream::ReadDouble), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(in.Position(), 27u);
    EXPECT_FALSE(in.Failed());
  }
}

TEST_F(BinaryStreamTest, ValueThatDoesNotFitIsNotWrittenAndFailureSticks) {
  auto small = CPort::StaticRamPort(block.data(), 6);
  CWriteStream out(*small, kQuenLittleEndian, 0, 0, 0);
  EXPECT_EQ(out.PutInt(-1), kResultOk);
  EXPECT_EQ(out.PutInt(0), kResultOutOfRange);
  EXPECT_TRUE(out.Failed());
  EXPECT_EQ(block[4], 0xEE) << "no partial value";
  EXPECT_EQ(out.PutShort(0), kResultOutOfRange) << "a later value would land where the lost one belongs";
  EXPECT_EQ(block[4], 0xEE);
  EXPECT_EQ(out.Position(), 4u);

  auto readOnly = CPort::ReadOnlyRamPort(block.data(), 27);
  CWriteStream refused(*readOnly, kQuenLittleEndian, 0, 0, 0);
  EXPECT_EQ(refused.PutByte(1), kResultOutOfRange);
  EXPECT_EQ(block[0], 0xFF);
}

TEST_F(BinaryStreamTest, ReadPastTheEndGivesZero) {
  auto small = CPort::ReadOnlyRamPort(block.data() + 21, 6);
  CReadStream in(*small, kQuenLittleEndian, 0, 0, 0);
  std::int32_t i = 0;
  double d = 5;
  short s = 7;
  EXPECT_EQ(in.ReadInt(i), kResultOk);
  EXPECT_EQ(i, std::int32_t(0xEEEEEEEE));
  EXPECT_EQ(in.ReadDouble(d), kResultOutOfRange);
  EXPECT_EQ(d, 0.0);
  EXPECT_TRUE(in.Failed());
  EXPECT_EQ(in.ReadShort(s), kResultOutOfRange);
  EXPECT_EQ(s, 0);
}
}  // namespace
}  // namespace Quenneth
